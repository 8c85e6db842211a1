#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A media player that misbehaves, on the session bus as org.mpris.MediaPlayer2.NAME:
#   mpris_player.py NAME hung        owns the name and never answers anything
#   mpris_player.py NAME wrong-type  answers PlaybackStatus with a number
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

name, behaviour = sys.argv[1], sys.argv[2]
if behaviour == "hung":
    bus = dbus.SessionBus()
    bus.request_name("org.mpris.MediaPlayer2." + name)
    # No main loop: calls queue up unanswered until the caller gives up.
    time.sleep(3600)
    sys.exit(0)

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()


class Player(dbus.service.Object):
    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return dbus.Int32(42)


Player(bus, "/org/mpris/MediaPlayer2")
bus_name = dbus.service.BusName("org.mpris.MediaPlayer2." + name, bus)
GLib.MainLoop().run()
