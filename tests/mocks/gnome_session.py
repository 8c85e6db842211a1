'''A small org.gnome.SessionManager: Inhibit/Uninhibit with a list of live inhibitors.

Parameters: "refuse" (answer Inhibit with an error), "hang" (never answer in time),
"slow" (answer after that many seconds).
'''
import dbus

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.inhibitors = {}
    mock.next_cookie = 1
    mock.refuse = bool(parameters.get('refuse', False))
    mock.hang = bool(parameters.get('hang', False))
    mock.slow = float(parameters.get('slow', 0))
    mock.AddMethods(MAIN_IFACE, [
        ('Inhibit', 'susu', 'u',
         'import time\n'
         'if self.hang: time.sleep(10)\n'
         'if self.slow: time.sleep(self.slow)\n'
         'if self.refuse: raise dbus.exceptions.DBusException("refused", name="org.gnome.SessionManager.GeneralError")\n'
         'ret = self.next_cookie\n'
         'self.next_cookie += 1\n'
         'self.inhibitors[ret] = (args[0], args[2], int(args[3]))\n'),
        ('Uninhibit', 'u', '', 'self.inhibitors.pop(int(args[0]), None)'),
        ('ListLive', '', 'a(ssu)', 'ret = [(a, r, f) for (a, r, f) in self.inhibitors.values()]'),
    ])
