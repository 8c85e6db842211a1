# SPDX-License-Identifier: GPL-3.0-or-later
'''KDE's org.kde.kglobalaccel with PowerDevil's component and its "Turn Off Screen" shortcut.

Parameter: "hang" (invokeShortcut answers after 10 s). An unknown shortcut name is an
error, as it is for the real service.
'''
import dbus

BUS_NAME = 'org.kde.kglobalaccel'
MAIN_OBJ = '/kglobalaccel'
MAIN_IFACE = 'org.kde.KGlobalAccel'
SYSTEM_BUS = False

COMPONENT = '/component/org_kde_powerdevil'
COMPONENT_IFACE = 'org.kde.kglobalaccel.Component'
SHORTCUTS = ['Turn Off Screen', 'Sleep', 'Hibernate', 'Lock Session']


def load(mock, parameters):
    hang = bool(parameters.get('hang', False))
    code = ('import time\n'
            f'if {hang}: time.sleep(10)\n'
            f'if args[0] not in {SHORTCUTS!r}:\n'
            '    raise dbus.exceptions.DBusException("no such shortcut", name="org.kde.kglobalaccel.NoSuchShortcut")\n')
    mock.AddObject(COMPONENT, COMPONENT_IFACE, {'uniqueName': 'org_kde_powerdevil'},
                   [('invokeShortcut', 's', '', code)])
