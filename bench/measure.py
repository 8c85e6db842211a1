# SPDX-License-Identifier: GPL-3.0-or-later
'''Start-up, memory, wake-ups and CPU of a running Corvane. Run through bench/run.'''
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

import dbus

corvane_binary, watcher_template = sys.argv[1], sys.argv[2]
# A bare Qt tray icon (tools/bare-tray) measured in the same session: what any Qt tray program costs.
bare_tray = os.path.join(os.path.dirname(os.path.dirname(corvane_binary)), 'tools', 'bare-tray', 'bare-tray')
quick = '--quick' in sys.argv
window = 10 if quick else 30  # seconds per wake-up measurement

bus = dbus.SessionBus()
WATCHER = 'org.kde.StatusNotifierWatcher'
children = []  # everything started here, stopped in the finally below on any way out
# SIGTERM (scripts/test-env passing one on) must run that finally too.
signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))


def wait_until(what, condition, seconds=5):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise SystemExit(f'{what} within {seconds} s')
        time.sleep(0.002)


def registered_items():
    try:
        obj = bus.get_object(WATCHER, '/StatusNotifierWatcher')
        return list(obj.Get(WATCHER, 'RegisteredStatusNotifierItems',
                            dbus_interface='org.freedesktop.DBus.Properties'))
    except dbus.DBusException:
        return []


def start_watcher():
    proc = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', '--template', watcher_template],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    children.append(proc)
    wait_until('the stand-in panel did not appear on the session bus', lambda: bus.name_has_owner(WATCHER))
    return proc


def launch(config):
    env = dict(os.environ, QT_QPA_PLATFORM='xcb', XDG_CONFIG_HOME=config)
    proc = subprocess.Popen([corvane_binary], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    children.append(proc)
    return proc


def control(method, *args):
    obj = bus.get_object('app.corvane.Corvane', '/app/corvane/Corvane/TestControl', introspect=False)
    return obj.get_dbus_method(method, 'app.corvane.Corvane.TestControl')(*args)


def corvane(method, *args):
    obj = bus.get_object('app.corvane.Corvane', '/app/corvane/Corvane', introspect=False)
    return obj.get_dbus_method(method, 'app.corvane.Corvane')(*args)


def answers():
    try:
        control('PanelGeometry')
        return True
    except dbus.DBusException:
        return False


def wait_ready():
    wait_until('Corvane did not answer on the session bus', answers)


def stop(proc):
    proc.terminate()
    proc.wait(10)


def thread_switches(pid):
    """Voluntary context switches per thread: each is the thread going to sleep, so the
    next run is a wake-up. Preemptions by other processes are left out."""
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


def wakeups_per_minute(pid, seconds, by_thread=False):
    before = thread_switches(pid)
    t0 = time.monotonic()
    time.sleep(seconds)
    after = thread_switches(pid)
    elapsed = time.monotonic() - t0
    # Threads born during the window count from zero; threads that ended are lost, which
    # errs low only for threads that live less than the window.
    deltas = {tid: n - before.get(tid, 0) for tid, n in after.items()}
    total = sum(deltas.values()) * 60 / elapsed
    if not by_thread:
        return total
    names = thread_names(pid)
    return total, {f'{names.get(tid, tid)} ({tid})': d * 60 / elapsed for tid, d in deltas.items() if d}


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


def per_minute(pid, seconds, measure):
    before = measure(pid)
    t0 = time.monotonic()
    time.sleep(seconds)
    return (measure(pid) - before) * 60 / (time.monotonic() - t0)


def row(name, value, unit, budget, ok):
    print(f'{name:<48} {value:>9.1f} {unit:<8} budget {budget:<10} {"ok" if ok else "OVER"}')


results = []
try:
    start_watcher()
    # Start-up: from exec until the panel knows our item.
    startups = []
    for _ in range(3 if quick else 7):
        with tempfile.TemporaryDirectory() as config:
            t0 = time.monotonic()
            proc = launch(config)
            wait_until('Corvane registered no tray item',
                   lambda: any(i.startswith('org.kde.StatusNotifierItem-%d-' % proc.pid) for i in registered_items()),
                   10)
            startups.append((time.monotonic() - t0) * 1000)
            stop(proc)
    startup = statistics.median(startups)

    # Launched after an update check an hour ago, as most launches are (checks are a day
    # apart): the idle state a user lives with.
    with tempfile.TemporaryDirectory() as config:
        os.makedirs(os.path.join(config, 'Corvane'))
        with open(os.path.join(config, 'Corvane', 'Corvane.conf'), 'w') as f:
            f.write(f'[General]\ncorvane.lastUpdateCheck={int(time.time()) - 3600}\n')
        proc = launch(config)
        wait_ready()
        # Let start-up work settle: the feed probe's name-lookup threads retire after 30 s
        # of idleness, a one-off that is not idle wake-ups.
        time.sleep(5 if quick else 33)
        rss, pss = memory(proc.pid)
        idle = wakeups_per_minute(proc.pid, window)

        corvane('Start', dbus.UInt32(60))
        time.sleep(1.5)
        # A whole minute, so the countdown text changes exactly once in the window.
        timed, by_thread = wakeups_per_minute(proc.pid, 10 if quick else 60, by_thread=True)

        item = [i for i in registered_items() if i.startswith('org.kde.StatusNotifierItem-%d-' % proc.pid)][0]
        t0 = time.monotonic()
        bus.get_object(item, '/StatusNotifierItem').Activate(400, 30, dbus_interface='org.kde.StatusNotifierItem')
        wait_until('the panel did not open', lambda: str(control('PanelGeometry')).endswith(' 1'))
        first_open = (time.monotonic() - t0) * 1000
        # The first breath of each glow blurs its few images and every control draws its body
        # once; after that an open panel only copies them. Measure the panel as it stays open.
        time.sleep(5)
        cpu_before = cpu_seconds(proc.pid)
        t_open = time.monotonic()
        open_wakeups, open_by_thread = wakeups_per_minute(proc.pid, window, by_thread=True)
        cpu_open = (cpu_seconds(proc.pid) - cpu_before) / (time.monotonic() - t_open) * 100
        rss_open, pss_open = memory(proc.pid)
        corvane('Stop')
        stop(proc)

    # A first launch checks for updates at once: the network and TLS libraries stay loaded.
    with tempfile.TemporaryDirectory() as config:
        proc = launch(config)
        wait_ready()
        time.sleep(5 if quick else 15)
        rss_checked, _ = memory(proc.pid)
        stop(proc)

    # The reference, settled as long as Corvane was.
    reference = None
    if os.path.exists(bare_tray):
        tray = subprocess.Popen([bare_tray], env=dict(os.environ, QT_QPA_PLATFORM='xcb'),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(tray)
        time.sleep(5 if quick else 33)
        tray_rss, tray_pss = memory(tray.pid)
        reference = (tray_rss, tray_pss, wakeups_per_minute(tray.pid, window))
        stop(tray)
finally:
    for child in children:
        child.terminate()
    for child in children:
        child.wait(10)

print(f'Corvane benchmark ({"quick, " if quick else ""}{window} s windows, Xvfb without compositor, {os.cpu_count()} cores)')
row('start-up until the tray item is registered', startup, 'ms', '< 300', startup < 300)
row('resident memory at idle (RSS, checked 1 h ago)', rss, 'MB', '<= 30', rss <= 30)
row('proportional memory at idle (PSS)', pss, 'MB', '-', True)
row('resident memory after an update check (RSS)', rss_checked, 'MB', '-', True)
row('wake-ups per minute, idle, panel closed', idle, '/min', '0', idle < 1)
row('wake-ups per minute, timed period, panel closed', timed, '/min', '<= 61', timed <= 61)
for name, rate in sorted(by_thread.items(), key=lambda item: -item[1]):
    print(f'    thread {name:<40} {rate:>9.1f} /min')
row('first opening of the panel (built on demand)', first_open, 'ms', '-', True)
row('CPU, panel open and animating, timed period', cpu_open, '% core', '<= 2', cpu_open <= 2)
row('wake-ups per minute, panel open, timed period', open_wakeups, '/min', '<= 2500', open_wakeups <= 2500)
for name, rate in sorted(open_by_thread.items(), key=lambda item: -item[1]):
    print(f'    thread {name:<40} {rate:>9.1f} /min')
row('resident memory with the panel open (RSS)', rss_open, 'MB', '-', True)
if reference:
    print('Reference: a bare Qt tray icon (tools/bare-tray) in the same session')
    row('  resident memory at idle (RSS)', reference[0], 'MB', '-', True)
    row('  proportional memory at idle (PSS)', reference[1], 'MB', '-', True)
    row('  wake-ups per minute, idle', reference[2], '/min', '-', True)
else:
    print(f'Reference: {bare_tray} not built (CORVANE_BUILD_TOOLS=OFF)')
