# SPDX-License-Identifier: GPL-3.0-or-later
'''One desktop's session services that keep the computer awake, all names in one process.

"desktop": gnome, kde (also PowerDevil's PolicyAgent: in force "delay" s late, 5 by default,
released at once), xfce (xscreensaver-systemd's ScreenSaver: inhibitions are per connection,
so an UnInhibit or leaving the bus drops all of the caller's; and xfce4-power-manager's
PowerManagement), freedesktop, portal ("response" 0 or 2). "answer": "hang" (10 s),
"slow" (0.3 s), or "s"/"b" (that type for the cookie). Live() -> apps in force; Reasons(app) -> its reasons in force;
Foreign() inhibits as another app.
'''
import time
import types
import dbus
import dbus.service
from gi.repository import GLib

BUS_NAME = 'org.corvane.MockInhibitServices'
MAIN_OBJ = '/org/corvane/MockInhibitServices'
MAIN_IFACE = 'org.corvane.MockInhibitServices'
SYSTEM_BUS = False

COOKIE_SERVICES = {  # name: (path, interface, Inhibit's signature, the release method)
    'org.gnome.SessionManager': ('/org/gnome/SessionManager', 'org.gnome.SessionManager', 'susu', 'Uninhibit'),
    'org.freedesktop.ScreenSaver': ('/org/freedesktop/ScreenSaver', 'org.freedesktop.ScreenSaver', 'ss', 'UnInhibit'),
    'org.freedesktop.PowerManagement': ('/org/freedesktop/PowerManagement/Inhibit',
                                        'org.freedesktop.PowerManagement.Inhibit', 'ss', 'UnInhibit'),
}
DESKTOPS = {
    'gnome': ['org.gnome.SessionManager'],
    'kde': ['org.freedesktop.ScreenSaver', 'org.freedesktop.PowerManagement',
            'org.kde.Solid.PowerManagement.PolicyAgent'],
    'xfce': ['org.freedesktop.ScreenSaver', 'org.freedesktop.PowerManagement'],
    'freedesktop': ['org.freedesktop.ScreenSaver', 'org.freedesktop.PowerManagement'],
    'portal': ['org.freedesktop.portal.Desktop'],
}


def load(mock, parameters):
    bus = mock.connection
    answer, delay = parameters.get('answer', ''), float(parameters.get('delay', 5 if parameters['desktop'] == 'kde' else 0))
    live = {}  # (service, cookie): (app, reason, in force from, sender); each service numbers from 1
    per_connection = parameters['desktop'] == 'xfce'

    def inhibit(service, app, reason, foreign=False, sender=None):
        if answer in ('hang', 'slow') and not foreign:
            time.sleep(10 if answer == 'hang' else 0.3)
        cookie = 1 + max([c for (s, c) in live if s == service], default=0)
        live[(service, cookie)] = (app, reason, time.monotonic() + (0 if foreign else delay), sender)
        return {'s': str(cookie), 'b': dbus.Boolean(True)}.get(answer, dbus.UInt32(cookie))

    def serve(path, interface, methods):
        ns = {'methods': {}, 'interface': interface}  # dbusmock's method lookup reads these
        for name, (in_sig, code) in methods.items():
            # A copy each time: the decorator marks the function object with its interface.
            code = types.FunctionType(code.__code__, code.__globals__, name, code.__defaults__, code.__closure__)
            sender = 'sender' if 'sender' in code.__code__.co_varnames else None
            ns[name] = dbus.service.method(interface, in_signature=in_sig, sender_keyword=sender)(code)
        type(dbus.service.Object)('Mock' + path + interface, (dbus.service.Object,), ns)(bus, path)  # one table per class name

    def forget(key):
        live.pop(key, None)

    def drop_sender(service, sender):
        for key in [k for k, v in live.items() if k[0] == service and v[3] == sender]:
            forget(key)

    def release(service, cookie, sender):
        if per_connection and service == 'org.freedesktop.ScreenSaver':
            drop_sender(service, sender)
        forget((service, int(cookie)))

    def cookie_methods(service, sig, release_method):
        return {'Inhibit': (sig, (lambda self, app, xid, reason, flags: inhibit(service, app, reason)) if sig == 'susu'
                            else (lambda self, app, reason, sender=None: inhibit(service, app, reason, sender=sender))),
                release_method: ('u', lambda self, cookie, sender=None: release(service, cookie, sender))}

    if per_connection:
        bus.add_signal_receiver(lambda name, old, new: not new and drop_sender('org.freedesktop.ScreenSaver', name),
                                'NameOwnerChanged', 'org.freedesktop.DBus', 'org.freedesktop.DBus',
                                '/org/freedesktop/DBus')

    mock.names = [dbus.service.BusName(n, bus, allow_replacement=True, replace_existing=True, do_not_queue=True)
                  for n in DESKTOPS[parameters['desktop']]]
    in_force = lambda: [(a, r) for (a, r, t, _) in live.values() if t <= time.monotonic()]
    for name in DESKTOPS[parameters['desktop']]:
        if name in COOKIE_SERVICES:
            path, interface, sig, release_method = COOKIE_SERVICES[name]
            paths = [path, '/ScreenSaver'] if parameters['desktop'] == 'kde' and 'ScreenSaver' in name else [path]
            for p in paths:
                serve(p, interface, cookie_methods(name, sig, release_method))
    if parameters['desktop'] == 'kde':
        serve('/org/kde/Solid/PowerManagement/PolicyAgent', 'org.kde.Solid.PowerManagement.PolicyAgent',
              {'ListInhibitions': ('', lambda self: dbus.Array(in_force(), signature='(ss)')),
               'HasInhibition': ('u', lambda self, types: dbus.Boolean(bool(in_force())))})
    if parameters['desktop'] == 'portal':
        class Request(dbus.service.Object):
            methods, interface = {}, ''
            @dbus.service.method('org.freedesktop.portal.Request')
            def Close(self):
                live.pop(self.key, None)
                self.remove_from_connection()

            @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
            def Response(self, response, results):
                pass

        def portal_inhibit(self, window, flags, options, sender=None):
            mistyped = inhibit('call', '', '')  # hangs or mistypes as asked
            live.pop(('call', 1))
            key = '/org/freedesktop/portal/desktop/request/%s/%s' % (sender[1:].replace('.', '_'),
                                                                      options['handle_token'])
            request = Request(bus, key)
            request.key = key
            response = int(parameters.get('response', 0))
            if response == 0:
                live[key] = ('Corvane', str(options.get('reason', '')), 0, sender)  # requests here are all ours
            GLib.timeout_add(20, lambda: request.Response(dbus.UInt32(response), {}) and False)
            return mistyped if answer in ('s', 'b') else dbus.ObjectPath(key)
        serve('/org/freedesktop/portal/desktop', 'org.freedesktop.portal.Inhibit', {'Inhibit': ('sua{sv}', portal_inhibit)})

    def foreign(self):
        for name in DESKTOPS[parameters['desktop']]:
            inhibit(name, 'Other', 'theirs', foreign=True)
    mock.AddMethods(MAIN_IFACE, [('Live', '', 'as', lambda self: [a for (a, r) in in_force()]),
                                 ('Reasons', 's', 'as', lambda self, app: [r for (a, r) in in_force() if a == app]),
                                 ('Foreign', '', '', foreign)])
