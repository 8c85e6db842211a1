# SPDX-License-Identifier: GPL-3.0-or-later
'''GNOME Mutter's org.gnome.Mutter.DisplayConfig, reduced to its PowerSaveMode property.

Parameters: "mode" (the initial PowerSaveMode, 0 on; -1 means unsupported).
'''
import dbus

BUS_NAME = 'org.gnome.Mutter.DisplayConfig'
MAIN_OBJ = '/org/gnome/Mutter/DisplayConfig'
MAIN_IFACE = 'org.gnome.Mutter.DisplayConfig'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {'PowerSaveMode': dbus.Int32(int(parameters.get('mode', 0)))})
