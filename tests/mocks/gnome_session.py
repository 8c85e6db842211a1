'''A small org.gnome.SessionManager: Inhibit/Uninhibit with a list of live inhibitors.

Parameters: "refuse" (answer Inhibit with an error), "hang" (never answer in time),
"slow" (answer after that many seconds), "mistype" (answer with a string or a boolean
instead of the cookie: "s" or "b"). "first_cookie" numbers cookies from there.
'''
import dbus

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.inhibitors = {}
    mock.next_cookie = int(parameters.get('first_cookie', 1))
    mock.mistype = parameters.get('mistype', '')
    mock.refuse = bool(parameters.get('refuse', False))
    mock.hang = bool(parameters.get('hang', False))
    mock.slow = float(parameters.get('slow', 0))
    out = mock.mistype or 'u'
    mock.AddMethods(MAIN_IFACE, [
        ('Inhibit', 'susu', out,
         'import time\n'
         'if self.hang: time.sleep(10)\n'
         'if self.slow: time.sleep(self.slow)\n'
         'if self.refuse: raise dbus.exceptions.DBusException("refused", name="org.gnome.SessionManager.GeneralError")\n'
         'ret = self.next_cookie\n'
         'self.next_cookie += 1\n'
         'self.inhibitors[ret] = (args[0], args[2], int(args[3]))\n'
         'if self.mistype == "s": ret = str(ret)\n'
         'if self.mistype == "b": ret = True\n'),
        ('Uninhibit', 'u', '', 'self.inhibitors.pop(int(args[0]), None)'),
        ('ListLive', '', 'a(ssu)', 'ret = [(a, r, f) for (a, r, f) in self.inhibitors.values()]'),
    ])
