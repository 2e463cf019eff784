"""What the benchmarks need of Wine and the X server: programs started in a folder of
their own inside the prefix and ended again, timed key presses, the cursor, the click
target's log, and the figures' statistics.

The environment comes from scripts/bench.sh (DISPLAY, WINEPREFIX, locale, the tests'
namespace); the Windows-side programs come from the cross build: bench/'s own in
build/win32/bench or build/win64/bench, the click target of the end-to-end tests in its e2e folder.
"""

import bisect
import ctypes
import json
import os
import shutil
import signal
import statistics
import subprocess
import tempfile
import time
import uuid

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("QW_BUILD_DIR", os.path.join(ROOT, "build", "win64"))
BENCH_TOOLS = os.path.join(BUILD, "bench")
CLICK_TARGET = os.path.join(BUILD, "e2e", "qw_click_target.exe")
PROGRAM = os.environ.get("QW_BENCH_EXE", os.path.join(BUILD, "QwClicker.exe"))
PREFIX = os.environ.get("WINEPREFIX", "")
WINE = os.environ.get("QW_WINE", "/usr/lib/wine/wine64")  # the loader of the program's architecture
TITLE = "青梧鼠标连点器v0.2"
INI_NAME = "配置文件.ini"
# Away from the program's dialog, which sits in the middle of the screen.
POINTER = (50, 700)


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise RuntimeError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def to_windows_path(unix_path):
    drive_c = os.path.join(PREFIX, "drive_c")
    rel = os.path.relpath(os.path.abspath(unix_path), drive_c)
    if rel.startswith(".."):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")
    return "C:\\" + rel.replace("/", "\\")


def wine_version():
    return subprocess.run([WINE, "--version"], stdout=subprocess.PIPE, text=True).stdout.strip()


def load_average():
    return os.getloadavg()[0]


def launcher(*args, timeout=90, wrapper=()):
    """Runs qw_bench_launcher.exe, under the wrapper command if one is given (a program
    it starts runs there too); returns the JSON of its last line, or None when it
    failed. Its output goes to a file, not a pipe: a program it starts inherits the
    output and would hold a pipe open."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(list(wrapper) + [WINE, os.path.join(BENCH_TOOLS, "qw_bench_launcher.exe")] +
                              [str(a) for a in args], stdout=out, stderr=subprocess.DEVNULL, timeout=timeout).returncode
        out.seek(0)
        lines = out.read().decode().strip().splitlines()
    if code != 0:
        return None
    return json.loads(lines[-1]) if lines else {}


def no_names():
    """A wrapper command: a mount namespace whose only name server is 127.0.0.1, where
    nothing answers, so that no name resolves and a look-up fails at once."""
    folder = tempfile.mkdtemp(prefix="qw-no-names-")
    for name, text in (("hosts", "127.0.0.1\tlocalhost\n"), ("resolv.conf", "nameserver 127.0.0.1\n")):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
    script = 'mount --bind "$0/hosts" /etc/hosts && mount --bind "$0/resolv.conf" /etc/resolv.conf && exec "$@"'
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, folder]


def unix_pids(fragment):
    """The processes whose command line matches the fragment."""
    out = subprocess.run(["pgrep", "-f", fragment], stdout=subprocess.PIPE, text=True).stdout
    return [int(p) for p in out.split()]


def memory_kib(pid):
    """Resident and private (anonymous) memory of a process, in KiB."""
    fields = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return int(fields["VmRSS"].split()[0]), int(fields.get("RssAnon", "0 kB").split()[0])


def cpu_ns(pid):
    """CPU time of every live thread of a process, in nanoseconds."""
    total = 0
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except FileNotFoundError:
        return 0
    for task in tasks:
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


class Program:
    """A Windows program copied into a folder of its own inside the prefix (the
    folder's name tells its processes from every other), started by the launcher,
    which times its window's appearance, and ended by its close command."""

    def __init__(self, source, caption, name, ini=None, wrapper=()):
        self.wrapper = wrapper
        self.folder = os.path.join(PREFIX, "drive_c", "bench", "%s-%s" % (name, uuid.uuid4().hex[:6]))
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, os.path.basename(source))
        shutil.copy(source, self.exe)
        self.caption = caption
        if ini is not None:
            with open(os.path.join(self.folder, INI_NAME), "w", encoding="ascii", newline="\r\n") as f:
                f.write(ini)

    def pids(self):
        return unix_pids(os.path.basename(self.folder) + ".*" + os.path.basename(self.exe))

    def start(self):
        """Milliseconds from the process's creation to its shown window."""
        data = launcher("launch", to_windows_path(self.exe), self.caption, 30000, wrapper=self.wrapper)
        if data is None:
            raise RuntimeError("%s did not show its window" % self.exe)
        return data["ms"]

    def stop(self):
        """Closes the window and waits for the end; kills what is left after a while."""
        launcher("close", self.caption, 5000)
        try:
            wait_until(lambda: not self.pids(), 15, what="%s to end" % self.exe)
        except RuntimeError:
            for pid in self.pids():
                os.kill(pid, signal.SIGKILL)


def now_us():
    # Wine's performance counter, which stamps the click target's log, is this clock.
    return int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1e6)


class Keyboard:
    """Key presses through the XTest extension from this process, so that the time
    taken just before a press is the press's time (xdotool would add its start-up)."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not self.display:
            raise RuntimeError("cannot open display %s" % os.environ["DISPLAY"])

    def press(self, key):
        """Presses and releases the key; returns the time of the press."""
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(key.encode()))
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        stamp = now_us()
        self.x11.XFlush(self.display)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XFlush(self.display)
        return stamp


def move_pointer(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True, timeout=30)


class ClickTarget:
    """qw_click_target.exe covering the screen, the cursor on it. Its log has one line
    per event, written through: "<microseconds> <LD|LU|RD|RU|MD|MU|KD|KU|ready> <message
    time ms> [where]", the message time being when the event was queued."""

    def __init__(self):
        self.log = os.path.join(PREFIX, "drive_c", "qw_clicks_%s.log" % uuid.uuid4().hex[:8])
        self.process = None
        # What has been read of the log: its lines are parsed once, so that waiting for
        # an event late in a long run costs no more than early in it (a poll that read the
        # whole log would take the CPU the clickers need at that moment).
        self.read_to, self.parsed = 0, []

    def start(self):
        self.process = subprocess.Popen([WINE, CLICK_TARGET, to_windows_path(self.log)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: any(e == "ready" for _, e, _ in self.lines()), 30, what="the click target")
        move_pointer(*POINTER)
        return self

    def lines(self):
        """[(microseconds, event, the message's own time in ms)] so far."""
        try:
            with open(self.log, "rb") as f:
                f.seek(self.read_to)
                text = f.read()
        except FileNotFoundError:
            return []
        complete = text[:text.rfind(b"\n") + 1]  # a line still being written waits for the next poll
        self.read_to += len(complete)
        for line in complete.decode("ascii").splitlines():
            parts = line.split()
            if len(parts) >= 3:
                self.parsed.append((int(parts[0]), parts[1], int(parts[2])))
        return self.parsed

    def events(self, since=0):
        """[(microseconds, "LD" | "LU" | "RD" | "RU", queued ms)] from `since` on."""
        lines = self.lines()  # in the order of their times
        return [x for x in lines[bisect.bisect_left(lines, (since,)):] if x[1] != "ready"]

    def presses(self, since=0):
        return [t for t, e, _ in self.events(since) if e == "LD"]

    def wait_presses(self, count, since, timeout):
        """The press times from `since` on, once there are `count` of them."""
        def enough():
            presses = self.presses(since)
            return presses if len(presses) >= count else None
        return wait_until(enough, timeout, interval=0.02, what="%d presses" % count)

    def wait_quiet(self, since, quiet, timeout=30.0):
        """The events once none has come for `quiet` seconds: the clicking has ended."""
        state = {"count": -1, "since": 0.0}

        def settled():
            events = self.events(since)
            now = time.monotonic()
            if len(events) != state["count"]:
                state["count"], state["since"] = len(events), now
                return None
            return events if now - state["since"] >= quiet else None
        return wait_until(settled, timeout, what="the clicks to stop")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        if os.path.exists(self.log):
            os.remove(self.log)


def percentile(values, p):
    """The nearest-rank percentile: p 0 is the minimum, 100 the maximum."""
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def spread(values):
    """(min, first quartile, median, third quartile, max), the quartiles interpolated as
    the median is."""
    if len(values) < 2:
        return (values[0],) * 5
    return (min(values),) + tuple(statistics.quantiles(values, n=4, method="inclusive")) + (max(values),)


def drift_per_100(starts_us, nominal_ms):
    """How far 100 cycles run from 100 nominal periods, in ms: the slope of the
    cycle starts fitted by least squares against the nominal period, so that a late
    first or last press does not count as drift."""
    xs = range(len(starts_us))
    mean_x, mean_y = statistics.mean(xs), statistics.mean(starts_us)
    slope = sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, starts_us)) / sum((x - mean_x) ** 2 for x in xs)
    return (slope / 1000.0 - nominal_ms) * 100
