# SPDX-License-Identifier: GPL-3.0-or-later
'''What a running Corvane costs, beside a bare Qt tray icon in the same session. Run through
bench/run.

Most figures come from the shipped program (build/src/corvane). Two need the test build
(tests/corvane_under_test, the shipped libraries plus a control object): memory after an
update check, because only its update helper (tests/corvane-update-check) can be pointed at a
loopback feed, and the open panel's
figures, because only its control object says when the panel is on screen. Those rows say so.
'''
import http.server
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import dbus

corvane_binary, test_binary, bare_tray, watcher_template = sys.argv[1:5]
quick = '--quick' in sys.argv
# The check that is due at launch waits this long (AppcastUpdaterOptions::firstCheckDelay).
FIRST_CHECK_DELAY = 120

bus = dbus.SessionBus()
system_bus = dbus.SystemBus()
WATCHER = 'org.kde.StatusNotifierWatcher'
configs = []  # every settings folder made here, removed at the end
children = []  # everything started here, stopped in the finally below on any way out
# SIGTERM (scripts/test-env passing one on) must run that finally too.
signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))


def wait_until(what, condition, seconds=5, step=0.002):
    deadline = time.monotonic() + seconds
    while True:
        try:
            if condition():
                return
        except dbus.DBusException:
            pass
        if time.monotonic() > deadline:
            raise SystemExit(f'{what} within {seconds} s')
        time.sleep(step)


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.monotonic()))


def registered_items():
    try:
        obj = bus.get_object(WATCHER, '/StatusNotifierWatcher')
        return list(obj.Get(WATCHER, 'RegisteredStatusNotifierItems',
                            dbus_interface='org.freedesktop.DBus.Properties'))
    except dbus.DBusException:
        return []


def registered(proc):
    """Whether proc's item is in the panel. Corvane registers its well-known name; Qt's own tray
    icon registers its unique name."""
    for item in registered_items():
        if item.startswith('org.kde.StatusNotifierItem-%d-' % proc.pid):
            return True
        if item.startswith(':'):
            try:
                daemon = bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus')
                if daemon.GetConnectionUnixProcessID(item, dbus_interface='org.freedesktop.DBus') == proc.pid:
                    return True
            except dbus.DBusException:
                pass  # gone since
    return False


def start_watcher():
    proc = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', '--template', watcher_template],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    children.append(proc)
    wait_until('the stand-in panel did not appear on the session bus', lambda: bus.name_has_owner(WATCHER))
    return proc


def config_dir(last_check_ago=None):
    config = tempfile.mkdtemp(prefix='corvane-bench-')
    configs.append(config)
    if last_check_ago is not None:
        os.makedirs(os.path.join(config, 'Corvane'))
        with open(os.path.join(config, 'Corvane', 'Corvane.conf'), 'w') as f:
            f.write(f'[General]\ncorvane.lastUpdateCheck={int(time.time()) - last_check_ago}\n')
    return config


def launch(binary, config, *args, **extra):
    env = dict(os.environ, QT_QPA_PLATFORM='xcb', XDG_CONFIG_HOME=config, **extra)
    proc = subprocess.Popen([binary, *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    children.append(proc)
    return proc


def stop(proc):
    proc.terminate()
    proc.wait(10)


def corvane(method, *args):
    obj = bus.get_object('app.corvane.Corvane', '/app/corvane/Corvane', introspect=False)
    return obj.get_dbus_method(method, 'app.corvane.Corvane')(*args)


def corvane_property(name):
    obj = bus.get_object('app.corvane.Corvane', '/app/corvane/Corvane', introspect=False)
    return obj.Get('app.corvane.Corvane', name, dbus_interface='org.freedesktop.DBus.Properties')


def control(method, *args):
    obj = bus.get_object('app.corvane.Corvane', '/app/corvane/Corvane/TestControl', introspect=False)
    return obj.get_dbus_method(method, 'app.corvane.Corvane.TestControl')(*args)


def logind_locks():
    login1 = system_bus.get_object('org.freedesktop.login1', '/org/freedesktop/login1')
    return [i for i in login1.ListInhibitors(dbus_interface='org.freedesktop.login1.Manager')
            if str(i[1]) == 'Corvane' and str(i[3]) == 'block']


def thread_switches(pid):
    """Voluntary context switches per thread since the thread began: each is the thread going
    to sleep, so the next run is a wake-up. Preemptions by other processes are left out."""
    counts = {}
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/status') as f:
                for line in f:
                    if line.startswith('voluntary_ctxt_switches'):
                        counts[task] = int(line.split()[1])
        except FileNotFoundError:
            pass  # the thread ended while we looked
    return counts


def thread_names(pid):
    names = {}
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/comm') as f:
                names[task] = f.read().strip()
        except FileNotFoundError:
            pass
    return names


class Window:
    """Wake-ups of every thread between start() and finish(); threads born meanwhile count
    from zero. A thread that ends meanwhile (Qt's pool threads end 30 s after their last
    task) counts with what it had at the last sample(): sleep through wait() to sample."""

    def __init__(self, pid):
        self.pid = pid
        self.before = thread_switches(pid)
        self.seen = dict(self.before)
        self.t0 = time.monotonic()

    def sample(self):
        self.seen.update(thread_switches(self.pid))

    def wait(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            time.sleep(min(0.25, max(0.0, end - time.monotonic())))
            self.sample()

    def finish(self, per_minute=True):
        self.sample()
        after = self.seen
        minutes = (time.monotonic() - self.t0) / 60 if per_minute else 1
        deltas = {tid: n - self.before.get(tid, 0) for tid, n in after.items()}
        names = thread_names(self.pid)
        by_thread = {f'{names.get(tid, tid)} ({tid})': d / minutes for tid, d in deltas.items() if d}
        return sum(deltas.values()) / minutes, by_thread


def cpu_seconds(pid):
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


def memory(pid):
    values = {}
    with open(f'/proc/{pid}/smaps_rollup') as f:
        for line in f:
            parts = line.split()
            if parts[0] in ('Rss:', 'Pss:'):
                values[parts[0][:-1]] = int(parts[1]) / 1024
    return values['Rss'], values['Pss']


def child_processes(pid):
    found = []
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open(f'/proc/{entry}/stat') as f:
                    if int(f.read().rsplit(')', 1)[1].split()[1]) == pid:
                        found.append(int(entry))
            except (FileNotFoundError, ProcessLookupError):
                pass
    return found


def serve_feed():
    '''A loopback feed with an appcast that offers nothing newer, as most checks find.'''
    appcast = (b'<?xml version="1.0" encoding="utf-8"?>\n<rss version="2.0" '
               b'xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>\n'
               b'<item><title>Corvane 1</title><enclosure url="https://example.invalid/C-1" length="1" '
               b'sparkle:version="1" sparkle:os="linux"/></item>\n</channel></rss>\n')
    requests = []

    class Feed(http.server.BaseHTTPRequestHandler):
        def answer(self, body):
            requests.append(f'{self.command} {self.path}')
            self.send_response(200)
            self.send_header('Content-Type', 'application/rss+xml')
            self.send_header('Content-Length', str(len(appcast)))
            self.end_headers()
            if body:
                self.wfile.write(appcast)

        def do_HEAD(self):
            self.answer(False)

        def do_GET(self):
            self.answer(True)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Feed)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f'http://127.0.0.1:{server.server_address[1]}/corvane/appcast.xml', requests


rows = []


def row(name, value, unit, budget='-', ok=True, note=''):
    rows.append((name, value, unit, budget, ok, note))


def threads(title, by_thread):
    rows.append((title, by_thread))


try:
    watcher = start_watcher()

    # Start-up to the registered tray item, Corvane and the bare tray taking turns.
    startups = {'corvane': [], 'bare': []}
    for _ in range(3 if quick else 7):
        for name, binary in (('corvane', corvane_binary), ('bare', bare_tray)):
            config = config_dir(3600)
            t0 = time.monotonic()
            proc = launch(binary, config)
            wait_until(f'{name} registered no tray item', lambda: registered(proc), 10, 0.001)
            startups[name].append((time.monotonic() - t0) * 1000)
            stop(proc)
    startup = statistics.median(startups['corvane'])
    bare_startup = statistics.median(startups['bare'])

    # The shipped program from launch on, its last update check an hour ago (checks are a
    # day apart, so most launches find none due), with the bare tray beside it.
    first_minute = 20 if quick else 60
    settled_window = 15 if quick else 60
    tray = launch(bare_tray, config_dir())
    wait_until('the bare tray registered no tray item', lambda: registered(tray), 10)
    launched = time.monotonic()
    proc = launch(corvane_binary, config_dir(3600))
    wait_until('Corvane registered no tray item', lambda: registered(proc), 10)
    wait_until('Corvane did not answer on the session bus', lambda: corvane_property('Active') is not None)
    # From the registered item on: start-up's own round trips to the X server and the buses
    # are start-up time, not the program waiting.
    start_window, tray_start_window = Window(proc.pid), Window(tray.pid)
    sleep_until(launched + first_minute)
    first, first_threads = start_window.finish(per_minute=False)
    tray_first, _ = tray_start_window.finish(per_minute=False)

    idle_window, tray_idle_window = Window(proc.pid), Window(tray.pid)
    time.sleep(settled_window)
    idle, idle_threads = idle_window.finish()
    tray_idle, _ = tray_idle_window.finish()
    rss, pss = memory(proc.pid)
    tray_rss, tray_pss = memory(tray.pid)
    stop(tray)

    # Thirty minutes: the ring moves in 48 steps, with the countdown text, so in a whole
    # minute the text changes once and the ring (redrawn for each step) moves once too.
    corvane('Start', dbus.UInt32(30))
    time.sleep(1.5)
    timed_window = Window(proc.pid)
    timed_window.wait(10 if quick else 60)
    timed, timed_threads = timed_window.finish()
    corvane('Stop')

    # Memory over start/stop cycles through the public interface, with mode switches.
    cycles = 300 if quick else 3000
    modes = ['systemOnly', 'displayAndSystem']

    def cycle(i):
        corvane('Start', dbus.UInt32(0))
        wait_until('no inhibition', logind_locks, 5, 0.0002)
        corvane('SetMode', modes[i % 2])
        corvane('Stop')
    for i in range(300):
        cycle(i)
    cycles_before, _ = memory(proc.pid)
    for i in range(cycles):
        cycle(i)
    cycles_after, _ = memory(proc.pid)
    corvane('SetMode', 'displayAndSystem')

    # Triggers on and nothing to trigger them: players and sessions are followed through
    # bus signals, the program list through a look into /proc every five seconds.
    corvane('SetWhileMediaPlays', True)
    corvane('SetWhileRemoteSession', True)
    # Past the moment Qt's pixmap cache lets go of the icons the cycles drew (30 s on), which
    # would otherwise count here.
    time.sleep(32)
    triggers_window = Window(proc.pid)
    time.sleep(settled_window)
    triggers_idle, triggers_threads = triggers_window.finish()
    corvane('SetWhileAppsRun', dbus.Array(['no-such-program', 'another-one'], signature='s'))
    time.sleep(2)
    apps_window = Window(proc.pid)
    time.sleep(settled_window)
    apps_idle, apps_threads = apps_window.finish()
    for setter, off in (('SetWhileMediaPlays', False), ('SetWhileRemoteSession', False),
                        ('SetWhileAppsRun', dbus.Array([], signature='s'))):
        corvane(setter, off)
    stop(proc)

    # The test build, for its loopback feed: never checked, so the check comes once the
    # launch has settled. Then the panel, for the control object that says it is open.
    server, feed, feed_requests = serve_feed()
    config = config_dir()
    launched = time.monotonic()
    proc = launch(test_binary, config, CORVANE_TEST_FEED=feed)
    wait_until('the test build did not answer on the session bus', lambda: control('PanelGeometry'), 10)
    sleep_until(launched + FIRST_CHECK_DELAY - 10)
    rss_before_check, _ = memory(proc.pid)
    wait_until('no update check after the launch had settled', lambda: feed_requests, FIRST_CHECK_DELAY)
    wait_until('the update check did not end', lambda: not child_processes(proc.pid), 60, 0.05)
    checked = time.monotonic()
    time.sleep(5 if quick else 60)
    rss_checked, pss_checked = memory(proc.pid)
    check_requests = list(feed_requests)
    with open(os.path.join(config, 'Corvane', 'Corvane.conf')) as f:
        recorded = 'corvane.lastUpdateCheck=' in f.read()

    corvane('Start', dbus.UInt32(60))
    item = [i for i in registered_items() if i.startswith('org.kde.StatusNotifierItem-%d-' % proc.pid)][0]
    t0 = time.monotonic()
    bus.get_object(item, '/StatusNotifierItem').Activate(400, 30, dbus_interface='org.kde.StatusNotifierItem')
    wait_until('the panel did not open', lambda: str(control('PanelGeometry')).endswith(' 1'))
    first_open = (time.monotonic() - t0) * 1000
    # The first breath of each glow blurs its few images and every control draws its body
    # once; after that an open panel only copies them. Measure the panel as it stays open.
    time.sleep(5)
    cpu_before = cpu_seconds(proc.pid)
    open_window = Window(proc.pid)
    time.sleep(10 if quick else 30)
    cpu_open = (cpu_seconds(proc.pid) - cpu_before) / (time.monotonic() - open_window.t0) * 100
    open_wakeups, open_threads = open_window.finish()
    rss_open, _ = memory(proc.pid)
    corvane('Stop')
    stop(proc)
    server.shutdown()

    # No tray of either kind, as on a stock GNOME: started by the session, so no window opens
    # either. A tray that comes later announces itself; nothing should be asked meanwhile.
    stop(watcher)
    wait_until('the stand-in panel did not leave the session bus', lambda: not bus.name_has_owner(WATCHER))
    proc = launch(corvane_binary, config_dir(3600), '--autostart')
    wait_until('Corvane did not answer on the session bus', lambda: corvane_property('Active') is not None, 10)
    # Past the wait for a StatusNotifier watcher to answer (2 s), after which the icon counts
    # as shown nowhere.
    time.sleep(5)
    no_tray_window = Window(proc.pid)
    time.sleep(settled_window)
    no_tray_idle, no_tray_threads = no_tray_window.finish()
    stop(proc)
finally:
    for child in children:
        if child.poll() is None:
            child.terminate()
    for child in children:
        child.wait(10)
    for config in configs:
        shutil.rmtree(config, ignore_errors=True)

memory_budget = min(28, 1.2 * tray_rss)
row('start-up to the registered tray item', startup, 'ms', f'<= {1.5 * bare_startup:.0f}',
    startup <= 1.5 * bare_startup, f'x{startup / bare_startup:.2f} the bare tray (budget x1.5)')
row('  the bare tray', bare_startup, 'ms')
row(f'wake-ups, first minute, idle (from the registered item)', first, '', '<= 10', first <= 10,
    f'bare tray {tray_first:.0f}')
threads('    by thread', first_threads)
row('wake-ups a minute, idle, settled', idle, '/min', '0', idle < 1, f'bare tray {tray_idle:.1f}')
threads('    by thread', idle_threads)
row('wake-ups a minute, idle, no tray at all', no_tray_idle, '/min', '0', no_tray_idle < 1)
threads('    by thread', no_tray_threads)
row('resident memory, idle, settled (RSS)', rss, 'MB', f'<= {memory_budget:.1f}', rss <= memory_budget,
    f'x{rss / tray_rss:.2f} the bare tray (budget x1.2, and <= 28 MB)')
row('  proportional (PSS)', pss, 'MB')
row('  the bare tray (RSS / PSS)', tray_rss, 'MB', note=f'PSS {tray_pss:.1f} MB')
row('wake-ups a minute, timed period, panel closed', timed, '/min', '<= 61', timed <= 61)
threads('    by thread', timed_threads)
row('wake-ups a minute, idle, media and remote triggers on', triggers_idle, '/min', '0', triggers_idle < 1,
    f'no trigger on: {idle:.1f} (the idle row)')
threads('    by thread', triggers_threads)
row('wake-ups a minute, idle, a program list (2 names)', apps_idle, '/min', '<= 12', apps_idle <= 12)
threads('    by thread', apps_threads)
growth = cycles_after - cycles_before
row(f'RSS growth over {cycles} start/stop cycles', growth, 'MB', '<= 1', growth <= 1,
    f'{cycles_before:.1f} -> {cycles_after:.1f} MB after 300 to warm up')
row('resident memory before the update check [test build]', rss_before_check, 'MB', f'<= {memory_budget:.1f}',
    rss_before_check <= memory_budget)
row('resident memory 60 s after an update check [test build]', rss_checked, 'MB', f'<= {memory_budget:.1f}',
    rss_checked <= memory_budget and recorded and any(r.startswith('GET') for r in check_requests),
    f'PSS {pss_checked:.1f} MB; loopback feed saw {", ".join(check_requests) or "nothing"}')
row('first opening of the panel (built on demand) [test build]', first_open, 'ms')
row('CPU, panel open and animating, timed period [test build]', cpu_open, '% core', '<= 2', cpu_open <= 2)
row('wake-ups a minute, panel open, timed period [test build]', open_wakeups, '/min', '<= 2500',
    open_wakeups <= 2500)
threads('    by thread', open_threads)
row('resident memory with the panel open [test build]', rss_open, 'MB')

print(f'Corvane benchmark ({"quick, " if quick else ""}Xvfb without compositor, {os.cpu_count()} cores, '
      f'load average {os.getloadavg()[0]:.2f})')
print(f'{"figure":<58} {"value":>9} {"":<7} {"budget":<10}')
for entry in rows:
    if len(entry) == 2:
        for name, rate in sorted(entry[1].items(), key=lambda item: -item[1]):
            print(f'      thread {name:<46} {rate:>9.1f}')
        continue
    name, value, unit, budget, ok, note = entry
    verdict = '' if budget == '-' else ('ok' if ok else 'OVER')
    print(f'{name:<58} {value:>9.1f} {unit:<7} {budget:<10} {verdict:<4} {note}')
