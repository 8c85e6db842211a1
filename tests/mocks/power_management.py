'''org.freedesktop.PowerManagement's Inhibit interface, for the system-only route.'''
import dbus

BUS_NAME = 'org.freedesktop.PowerManagement'
MAIN_OBJ = '/org/freedesktop/PowerManagement/Inhibit'
MAIN_IFACE = 'org.freedesktop.PowerManagement.Inhibit'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.inhibitors = {}
    mock.next_cookie = 1
    mock.AddMethods(MAIN_IFACE, [
        ('Inhibit', 'ss', 'u',
         'ret = self.next_cookie\n'
         'self.next_cookie += 1\n'
         'self.inhibitors[ret] = args[1]\n'),
        ('UnInhibit', 'u', '', 'self.inhibitors.pop(int(args[0]), None)'),
        ('HasInhibit', '', 'b', 'ret = bool(self.inhibitors)'),
    ])
