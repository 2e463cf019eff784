"""Click timing of the real program under Wine: the start key pressed through the X
server, every press and release recorded by a target window under the cursor.
Prints, for intervals of 10, 100 and 1000 ms and both methods: the period error
against the nominal cycle (median, p95, p99), the drift over the run, the CPU time the
program uses per minute of clicking; then the hot-key-to-first-press and
stop-to-last-event latencies. Asserts nothing.

    scripts/bench.sh click_timing_bench.py            (builds, then runs in the tests' namespace)
    python3 tests/bench/click_timing_bench.py [--cycles N] [--latency-rounds N]
"""

import argparse
import ctypes
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import clicks as c  # noqa: E402
import harness as h  # noqa: E402

HOLD_MS = 50


def now_us():
    # Wine's performance counter, which stamps the target's log, is this clock.
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


def process_cpu_ns(pid):
    """CPU time of every live thread of a process, in nanoseconds."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def wineserver_pid():
    """The wineserver of this prefix: its working directory names the prefix's device and inode."""
    st = os.stat(h.PREFIX)
    tag = "server-%x-%x" % (st.st_dev, st.st_ino)
    out = subprocess.run(["pgrep", "-x", "wineserver32"], stdout=subprocess.PIPE, text=True).stdout.split()
    out += subprocess.run(["pgrep", "-x", "wineserver"], stdout=subprocess.PIPE, text=True).stdout.split()
    for pid in out:
        try:
            if os.readlink("/proc/%s/cwd" % pid).endswith(tag):
                return int(pid)
        except OSError:
            pass
    return None


def app_pid(app):
    folder = os.path.basename(app.folder)
    out = subprocess.run(["pgrep", "-f", folder + ".*QwClicker"], stdout=subprocess.PIPE, text=True).stdout.split()
    return int(out[0]) if out else None


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def start_app(name, method, interval):
    app = h.App("clk-bench-" + name, ini="[Config]\nLeftKey=%d\nLeftInterval=%d\nRightKey=0\n" % (method, interval))
    exe = os.environ.get("QW_BENCH_EXE")
    if exe:
        shutil.copy(exe, app.exe)
    app.start()
    return app


def timing_run(keyboard, target, method, interval, cycles):
    app = start_app("m%d-i%d" % (method, interval), method, interval)
    try:
        pid, server = app_pid(app), wineserver_pid()
        presses_per_cycle = 1 if method == 1 else 2
        nominal_ms = (HOLD_MS if method == 1 else 3 * HOLD_MS) + interval
        cpu0 = process_cpu_ns(pid) if pid else 0
        server0 = process_cpu_ns(server) if server else 0
        key_at = keyboard.press("F9")
        wanted = (cycles + 1) * presses_per_cycle
        h.wait_until(lambda: len([1 for t, e in target.events() if t >= key_at and e == "LD"]) >= wanted,
                     cycles * nominal_ms / 1000.0 * 1.5 + 30, interval=0.2, what="%d presses" % wanted)
        cpu1 = process_cpu_ns(pid) if pid else 0
        server1 = process_cpu_ns(server) if server else 0
        clicking_us = now_us() - key_at
        stop_at = keyboard.press("F11")
        events = [(t, e) for t, e in target.wait_quiet(quiet=0.5 + interval / 1000.0) if t >= key_at]
        queued = [ms for t, e, ms in target.queued_lines() if t >= key_at and e == "LD"]
    finally:
        app.stop()

    presses = [t for t, e in events if e == "LD"]
    starts = presses[::presses_per_cycle][:cycles + 1]
    periods = [(b - a) / 1000.0 for a, b in zip(starts, starts[1:])]
    errors = [abs(p - nominal_ms) for p in periods]
    # The same from the times the presses were queued (whole milliseconds): the
    # program's own timing, without the delivery to the target.
    queued_starts = queued[::presses_per_cycle][:cycles + 1]
    queued_errors = [abs(b - a - nominal_ms) for a, b in zip(queued_starts, queued_starts[1:])]
    # The least-squares line through the cycle starts: its slope against the nominal
    # period, over the whole run, is the drift; a late first or last press is not.
    xs = range(len(starts))
    mean_x, mean_y = statistics.mean(xs), statistics.mean(starts)
    slope = sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, starts)) / sum((x - mean_x) ** 2 for x in xs)
    drift = (slope / 1000.0 - nominal_ms) * (len(starts) - 1)
    minutes = clicking_us / 60e6
    return {
        "nominal": nominal_ms,
        "cycles": len(periods),
        "median": statistics.median(errors),
        "p95": percentile(errors, 95),
        "p99": percentile(errors, 99),
        "queued": (statistics.median(queued_errors), percentile(queued_errors, 95), percentile(queued_errors, 99)),
        "mean": statistics.mean(periods) - nominal_ms,
        "drift": drift,
        "first": (presses[0] - key_at) / 1000.0,
        "stop": max(0, events[-1][0] - stop_at) / 1000.0,
        "cpu": (cpu1 - cpu0) / 1e9 / minutes,
        "server": (server1 - server0) / 1e9 / minutes,
        "holds": statistics.median([(u - d) / 1000.0 for (d, _), (u, _) in zip(
            [x for x in events if x[1] == "LD"], [x for x in events if x[1] == "LU"])]),
    }


def latency_runs(keyboard, target, rounds):
    """Start and stop at random points of the cycle: 100 ms interval, single clicks."""
    app = start_app("latency", 1, 100)
    first, last = [], []
    rng = random.Random(7)
    try:
        for _ in range(rounds):
            key_at = keyboard.press("F9")
            h.wait_until(lambda: any(t >= key_at and e == "LD" for t, e in target.events()), 10, interval=0.01,
                         what="the first press")
            first.append(min(t for t, e in target.events() if t >= key_at and e == "LD") - key_at)
            time.sleep(rng.uniform(0.2, 0.5))  # the stop lands anywhere in a cycle: that is the point
            stop_at = keyboard.press("F11")
            events = [(t, e) for t, e in target.wait_quiet(quiet=0.4) if t >= key_at]
            last.append(max(0, events[-1][0] - stop_at))
    finally:
        app.stop()
    return [v / 1000.0 for v in first], [v / 1000.0 for v in last]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cycles", type=int, default=0, help="cycles per run (default 500, 100 at 1000 ms)")
    parser.add_argument("--latency-rounds", type=int, default=20)
    args = parser.parse_args()

    keyboard = Keyboard()
    target = c.ClickTarget().start()
    load_before = os.getloadavg()
    rows = []
    try:
        for interval in (10, 100, 1000):
            for method in (1, 2):
                cycles = args.cycles or (100 if interval >= 1000 else 500)
                rows.append((interval, method, timing_run(keyboard, target, method, interval, cycles)))
        first, last = latency_runs(keyboard, target, args.latency_rounds)
    finally:
        target.stop()

    wine_version = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, text=True).stdout.strip()
    print("click timing under %s, %d cores, load average %.2f before and %.2f after" % (
        wine_version, os.cpu_count(), load_before[0], os.getloadavg()[0]))
    print("period error = |cycle start to next cycle start - nominal|, in ms; drift = (slope of the cycle "
          "starts fitted by least squares - nominal) x cycles, in ms")
    print("%-9s %-7s %7s %6s %7s %7s %7s %7s %8s %7s %9s %9s %9s" % (
        "interval", "method", "nominal", "cycles", "median", "p95", "p99", "mean", "drift", "hold",
        "1st press", "cpu %core", "wineserver"))
    for interval, method, r in rows:
        print("%-9s %-7s %7.0f %6d %7.3f %7.3f %7.3f %+7.3f %+8.2f %7.2f %9.2f %9.3f %9.3f" % (
            "%d ms" % interval, "single" if method == 1 else "double", r["nominal"], r["cycles"], r["median"],
            r["p95"], r["p99"], r["mean"], r["drift"], r["holds"], r["first"], r["cpu"] / 60 * 100,
            r["server"] / 60 * 100))
    print("the same period error from the times the presses were queued (the program's timing without the "
          "delivery to the target; whole milliseconds, so 1.000 is the resolution):")
    for interval, method, r in rows:
        print("%-9s %-7s median %.3f  p95 %.3f  p99 %.3f" % (
            ("%d ms" % interval, "single" if method == 1 else "double") + r["queued"]))
    print("cpu %core: the program's CPU time per minute of clicking, as a share of one core; "
          "wineserver: the same for the prefix's wineserver (all of the prefix, the target included)")
    print("hot-key to first press, %d starts: median %.2f ms, p95 %.2f ms, max %.2f ms" % (
        len(first), statistics.median(first), percentile(first, 95), max(first)))
    print("stop key to last event, %d stops at random points of a 150 ms cycle: median %.2f ms, p95 %.2f ms, "
          "max %.2f ms (0 when the stop came in a pause)" % (len(last), statistics.median(last),
                                                            percentile(last, 95), max(last)))


if __name__ == "__main__":
    main()
