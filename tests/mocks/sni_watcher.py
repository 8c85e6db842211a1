# SPDX-License-Identifier: GPL-3.0-or-later
'''A StatusNotifierWatcher with a host registered, as a desktop panel would run it.

Items that register are kept in RegisteredStatusNotifierItems, so a test can find ours.
'''
import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(parameters.get('host', True)),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
    })
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '',
         'items = list(self.Get("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems"))\n'
         'name = args[0]\n'
         'items.append(name)\n'
         'self.Set("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems", dbus.Array(items, signature="s"))\n'
         'self.EmitSignal("org.kde.StatusNotifierWatcher", "StatusNotifierItemRegistered", "s", [name])\n'),
    ])
