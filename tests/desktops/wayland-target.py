#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A native Wayland window for the real-desktop test to click on (run it without DISPLAY):
# magenta all over, so the test finds it on a screenshot, and it prints "pressed" for every
# press it gets.
import gi
gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk
css = Gtk.CssProvider()
css.load_from_data(b"* { background: #ff00ff; }")
Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css, 800)
w = Gtk.Window(title="target")
w.set_default_size(300, 200)
box = Gtk.EventBox()
box.connect("button-press-event", lambda *a: print("pressed", flush=True))
w.add(box)
w.connect("destroy", Gtk.main_quit)
w.show_all()
Gtk.main()
