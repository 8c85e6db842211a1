# SPDX-License-Identifier: GPL-3.0-or-later
'''The desktop portal's GlobalShortcuts as a desktop that takes the preferred trigger.

"answer": "bind" (default: Response 0 with the shortcuts and their triggers), "decline"
(Response 1, the user said no), "hang" (no Response ever). The Response goes out before the
call's reply, as a fast portal's can. Press(session, id) sends Activated; Sessions() lists
the sessions still open; Bound() the last preferred triggers asked for.
'''
import dbus
import dbus.service

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/corvane/MockPortal'
MAIN_IFACE = 'org.corvane.MockPortal'
SYSTEM_BUS = False

PORTAL_PATH = '/org/freedesktop/portal/desktop'
IFACE = 'org.freedesktop.portal.GlobalShortcuts'


def load(mock, parameters):
    bus = mock.connection
    answer = parameters.get('answer', 'bind')
    sessions, bound = {}, []

    def request_path(sender, options):
        return '/org/freedesktop/portal/desktop/request/%s/%s' % (sender[1:].replace('.', '_'),
                                                                   options['handle_token'])

    def respond(path, response, results):
        if answer == 'hang':
            return
        if answer == 'decline':
            response, results = 1, {}
        message = dbus.lowlevel.SignalMessage(path, 'org.freedesktop.portal.Request', 'Response')
        message.append(dbus.UInt32(response), dbus.Dictionary(results, signature='sv'), signature='ua{sv}')
        bus.send_message(message)

    class Session(dbus.service.Object):
        methods, interface = {}, ''  # what dbusmock's method lookup reads
        @dbus.service.method('org.freedesktop.portal.Session')
        def Close(self):
            sessions.pop(self.path, None)
            self.remove_from_connection()

    class Portal(dbus.service.Object):
        methods, interface = {}, ''
        @dbus.service.method(IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
        def CreateSession(self, options, sender=None):
            path = '/org/freedesktop/portal/desktop/session/%s/%s' % (sender[1:].replace('.', '_'),
                                                                      options['session_handle_token'])
            if answer == 'bind':
                session = Session(bus, path)
                session.path = path
                sessions[path] = session
            handle = request_path(sender, options)
            respond(handle, 0, {'session_handle': path})
            return dbus.ObjectPath(handle)

        @dbus.service.method(IFACE, in_signature='oa(sa{sv})sa{sv}', out_signature='o', sender_keyword='sender')
        def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
            bound[:] = [str(s[1].get('preferred_trigger', '')) for s in shortcuts]
            handle = request_path(sender, options)
            results = [(s[0], {'description': s[1]['description'],
                               'trigger_description': s[1].get('preferred_trigger', '')}) for s in shortcuts]
            respond(handle, 0 if str(session) in sessions else 2,
                    {'shortcuts': dbus.Array(results, signature='(sa{sv})')})
            return dbus.ObjectPath(handle)

        @dbus.service.signal(IFACE, signature='osta{sv}')
        def Activated(self, session, shortcut_id, timestamp, options):
            pass

    portal = Portal(bus, PORTAL_PATH)
    mock.AddMethods(MAIN_IFACE, [
        ('Press', 'os', '', lambda self, session, shortcut: portal.Activated(session, shortcut, dbus.UInt64(1),
                                                                             dbus.Dictionary({}, signature='sv'))),
        ('Sessions', '', 'as', lambda self: list(sessions)),
        ('Bound', '', 'as', lambda self: list(bound)),
    ])
