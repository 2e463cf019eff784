"""Click timing of the real program under Wine against the plain loop a clicker is
usually written as (press, Sleep(50), release, Sleep(interval): qw_plain_clicker.exe),
both clicking into the same target window in the same run. The program is started and
stopped by its hot-keys pressed through the X server; the plain loop runs a number of
cycles. Prints, for intervals of 10, 100 and 1000 ms: the period error against the
nominal cycle (median, p95, p99), the drift per 100 cycles and the CPU time; then a
press held 200 ms (LeftHold=200) and pauses drawn within 20 % of 100 ms
(LeftJitter=20); then a sequence of two steps ([Sequence]: a left click and a pause of
100 ms, a right click and a pause of 200 ms), its period error per step and drift per
100 steps against its deadlines, beside the plain loop at 100 ms; then the
hot-key-to-first-press latency beside its floor (qw_hotkey_floor.exe, which presses in
its own WM_HOTKEY handler) and the stop-to-last-event latency. Asserts nothing.

    scripts/bench.sh click_timing_bench.py             (builds, then runs in the tests' namespace)
    python3 bench/click_timing_bench.py [--scale F] [--latency-rounds N]
"""

import argparse
import os
import random
import statistics
import subprocess
import time

import winebench as w

HOLD_MS = 50
# Cycles per run at each interval: about 20 to 50 s of clicking each.
CYCLES = {10: 300, 100: 200, 1000: 20}


def ini(method, interval, extra=""):
    return "[Config]\nStartKey=8\nEndKey=10\nLeftKey=%d\nRightKey=0\nLeftInterval=%d\nRightInterval=1000\n%s" % (
        method, interval, extra)


def program_run(keyboard, target, name, settings, presses_per_cycle, cycles, pause_ms):
    """Starts the program with these settings, clicks `cycles` cycles from the start key
    on, stops it with the stop key: (events from the start key on, CPU s per minute)."""
    program = w.Program(w.PROGRAM, w.TITLE, name, ini=settings)
    program.start()
    try:
        pid = program.pids()[0]
        key_at = keyboard.press("F9")
        first = target.wait_presses(1, key_at, 30)[0]
        cpu0, clock0 = w.cpu_ns(pid), w.now_us()
        target.wait_presses((cycles + 1) * presses_per_cycle, key_at, cycles * (pause_ms + 200) / 1000.0 + 30)
        cpu1, clock1 = w.cpu_ns(pid), w.now_us()
        keyboard.press("F11")
        events = target.wait_quiet(key_at, quiet=0.5 + pause_ms / 1000.0)
    finally:
        program.stop()
    return events, first - key_at, (cpu1 - cpu0) / 1e9 / ((clock1 - clock0) / 60e6)


def plain_run(target, interval, cycles):
    """Runs the plain loop for cycles + 1 presses: (events, CPU s per minute)."""
    since = w.now_us()
    process = subprocess.Popen([w.WINE, os.path.join(w.BENCH_TOOLS, "qw_plain_clicker.exe"), str(interval),
                                str(cycles + 1)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        target.wait_presses(1, since, 30)
        cpu0, clock0 = w.cpu_ns(process.pid), w.now_us()
        target.wait_presses(cycles + 1, since, cycles * (interval + 200) / 1000.0 + 30)
        cpu1, clock1 = w.cpu_ns(process.pid), w.now_us()
        process.wait(timeout=30)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait(timeout=10)
    return target.wait_quiet(since, quiet=0.3), (cpu1 - cpu0) / 1e9 / ((clock1 - clock0) / 60e6)


def pairs(events):
    """[(press µs, release µs, press queued ms)] of the left button."""
    out, down = [], None
    for t, e, queued in events:
        if e == "LD":
            down = (t, queued)
        elif e == "LU" and down:
            out.append((down[0], t, down[1]))
            down = None
    return out


def period_figures(events, presses_per_cycle, cycles, nominal_ms):
    clicks = pairs(events)
    starts = [p[0] for p in clicks[::presses_per_cycle]][:cycles + 1]
    queued = [p[2] for p in clicks[::presses_per_cycle]][:cycles + 1]
    periods = [(b - a) / 1000.0 for a, b in zip(starts, starts[1:])]
    errors = [abs(p - nominal_ms) for p in periods]
    # The same from the times the presses were queued (whole milliseconds): the
    # sender's own timing, without the delivery to the target.
    queued_errors = [abs(b - a - nominal_ms) for a, b in zip(queued, queued[1:])]
    return {
        "cycles": len(periods),
        "median": statistics.median(errors),
        "p95": w.percentile(errors, 95),
        "p99": w.percentile(errors, 99),
        "queued": (statistics.median(queued_errors), w.percentile(queued_errors, 95),
                   w.percentile(queued_errors, 99)),
        "mean": statistics.mean(periods),
        "drift": w.drift_per_100(starts, nominal_ms),
        "holds": [(up - down) / 1000.0 for down, up, _ in clicks],
        "periods": periods,
    }


# Each step's press to the next step's press: the 50 ms hold and the step's pause.
SEQUENCE = "[Sequence]\nEnabled=1\nStep1=Left * 100\nStep2=Right * 200\n"
SEQUENCE_STEPS_MS = (150, 250)


def sequence_figures(events, steps):
    """Per step: |press to next step's press - its nominal|, and how far 100 steps run from their deadlines (the
    least-squares slope of each press's lateness against the first press plus the nominal steps before it)."""
    presses = [t for t, e, _ in events if e in ("LD", "RD")][:steps + 1]
    nominal = [SEQUENCE_STEPS_MS[i % 2] for i in range(len(presses) - 1)]
    errors = [abs((b - a) / 1000.0 - n) for a, b, n in zip(presses, presses[1:], nominal)]
    due = [0.0]
    for n in nominal:
        due.append(due[-1] + n)
    late = [(t - presses[0]) / 1000.0 - d for t, d in zip(presses, due)]
    xs = range(len(late))
    mean_x, mean_y = statistics.mean(xs), statistics.mean(late)
    slope = sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, late)) / sum((x - mean_x) ** 2 for x in xs)
    return {"steps": len(errors), "median": statistics.median(errors), "p95": w.percentile(errors, 95),
            "p99": w.percentile(errors, 99), "drift": slope * 100}


def latency_runs(keyboard, target, rounds):
    """Start and stop at random points of the cycle: 100 ms interval, single clicks."""
    program = w.Program(w.PROGRAM, w.TITLE, "latency", ini=ini(1, 100))
    program.start()
    first, last = [], []
    rng = random.Random(7)
    try:
        for _ in range(rounds):
            key_at = keyboard.press("F9")
            first.append(target.wait_presses(1, key_at, 10)[0] - key_at)
            time.sleep(rng.uniform(0.2, 0.5))  # the stop lands anywhere in a cycle: that is the point
            stop_at = keyboard.press("F11")
            events = target.wait_quiet(key_at, quiet=0.4)
            last.append(max(0, events[-1][0] - stop_at))
    finally:
        program.stop()
    return [v / 1000.0 for v in first], [v / 1000.0 for v in last]


def floor_runs(keyboard, target, rounds):
    """The start key's floor: qw_hotkey_floor.exe presses in its WM_HOTKEY handler; the
    same rhythm of keys as latency_runs."""
    process = subprocess.Popen([w.WINE, os.path.join(w.BENCH_TOOLS, "qw_hotkey_floor.exe")], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    first = []
    rng = random.Random(7)
    try:
        if process.stdout.readline().strip() != b"ready":
            raise RuntimeError("qw_hotkey_floor.exe could not take F9 and F11")
        for _ in range(rounds):
            key_at = keyboard.press("F9")
            first.append(target.wait_presses(1, key_at, 10)[0] - key_at)
            time.sleep(rng.uniform(0.2, 0.5))
            target.wait_quiet(key_at, quiet=0.4)
        keyboard.press("F11")
        process.wait(timeout=30)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait(timeout=10)
    return [v / 1000.0 for v in first]


def hold_report(hold):
    """The row of a press held 200 ms at 100 ms: the hold, and the period against 300 ms."""
    holds = hold["holds"]
    return ("LeftHold=200, single clicks at 100 ms, nominal period 300 ms, %d cycles: hold median %.2f ms "
            "(min %.2f, p95 %.2f, max %.2f); period error median %.3f, p95 %.3f, p99 %.3f ms; mean %+.3f ms "
            "(%+.2f %%); drift per 100 cycles %+.2f ms" % (
                hold["cycles"], statistics.median(holds), min(holds), w.percentile(holds, 95), max(holds),
                hold["median"], hold["p95"], hold["p99"], hold["mean"] - 300, (hold["mean"] / 300 - 1) * 100,
                hold["drift"]) + ("\n  (the presses are not held 200 ms: this program ignores LeftHold)"
                                  if statistics.median(holds) < 125 else ""))


def jitter_report(jitter, low=80.0, high=120.0):
    """The row of pauses drawn within 20 % of 100 ms: the mean period against 150 ms, how
    far the pauses reach into the allowed range, and the drift."""
    # A pause is taken as the period less the hold, both of them from presses: a
    # release's own delivery to the target wavers by milliseconds under load.
    pauses = [p - HOLD_MS for p in jitter["periods"]]
    nominal = HOLD_MS + (low + high) / 2
    drift = (jitter["mean"] - nominal) * 100
    # The mean of independent pauses wanders by this much (one standard deviation)
    # without any fault of the schedule.
    chance = statistics.pstdev(pauses) * 100 / len(pauses) ** 0.5

    def share(pause):
        return (pause - low) / (high - low)
    return ("LeftJitter=20, single clicks at 100 ms, pauses allowed %.0f to %.0f ms, nominal period %.0f ms, %d cycles "
            "(pause = press to next press - the 50 ms hold):\n"
            "  mean period %.3f ms (%+.2f %% of the nominal); pauses min %.2f ms, max %.2f ms, at %.2f and %.2f of "
            "the allowed range (0 its lower end, 1 its upper end); p5 and p95 at %.2f and %.2f (evenly spread: 0.05 "
            "and 0.95); %d of %d outside the range; drift per 100 cycles %+.1f ms (independent pauses of this "
            "spread alone give +-%.1f ms, 1 sigma)" % (
                low, high, nominal, jitter["cycles"], jitter["mean"], (jitter["mean"] / nominal - 1) * 100,
                min(pauses), max(pauses), share(min(pauses)), share(max(pauses)), share(w.percentile(pauses, 5)),
                share(w.percentile(pauses, 95)), sum(1 for p in pauses if p < low or p > high), len(pauses), drift,
                chance) + ("\n  (the pauses do not spread: this program ignores LeftJitter)"
                           if share(w.percentile(pauses, 95)) - share(w.percentile(pauses, 5)) < 0.3 else ""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scale", type=float, default=1.0, help="multiplies every run's number of cycles")
    parser.add_argument("--latency-rounds", type=int, default=20)
    args = parser.parse_args()

    def cycles(interval):
        return max(5, int(CYCLES[interval] * args.scale))

    keyboard = w.Keyboard()
    target = w.ClickTarget().start()
    load_before = w.load_average()
    rows = []
    try:
        for interval in (10, 100, 1000):
            n = cycles(interval)
            # The plain loop right after the program's single clicks at the same
            # interval, so that both meet about the same load.
            for method in (1, 2):
                nominal = (HOLD_MS if method == 1 else 3 * HOLD_MS) + interval
                events, _, cpu = program_run(keyboard, target, "clk-m%d-i%d" % (method, interval),
                                             ini(method, interval), method, n, interval)
                rows.append((interval, method, "program", cpu, period_figures(events, method, n, nominal)))
                if method == 1:
                    events, cpu = plain_run(target, interval, n)
                    rows.append((interval, 1, "plain loop", cpu, period_figures(events, 1, n, nominal)))
        n = cycles(100)
        events, _, _ = program_run(keyboard, target, "clk-hold", ini(1, 100, "LeftHold=200\n"), 1, n // 2, 100)
        hold = period_figures(events, 1, n // 2, 300)
        n_jitter = n * 3 // 2
        events, _, _ = program_run(keyboard, target, "clk-jitter", ini(1, 100, "LeftJitter=20\n"), 1, n_jitter, 120)
        jitter = period_figures(events, 1, n_jitter, 150)
        # The sequence's rounds counted by their left presses: two steps each.
        events, _, _ = program_run(keyboard, target, "clk-seq", ini(1, 100, SEQUENCE), 1, n // 2, 250)
        sequence = sequence_figures(events, n)
        # The program and the floor in turn, half the starts each time, so that both
        # meet about the same load.
        first, last, floor = [], [], []
        for half in (args.latency_rounds // 2, args.latency_rounds - args.latency_rounds // 2):
            program_first, program_last = latency_runs(keyboard, target, half)
            first += program_first
            last += program_last
            floor += floor_runs(keyboard, target, half)
    finally:
        target.stop()

    print("click timing under %s, %d cores, load average %.2f before and %.2f after" % (
        w.wine_version(), os.cpu_count(), load_before, w.load_average()))
    print("period error = |cycle start to next cycle start - nominal|, ms, as the target window receives the presses; "
          "drift = ms that 100 cycles run long (+) or short (-) against 100 nominal periods, from the least-squares "
          "line through the cycle starts")
    print("%-8s %-7s %-11s %7s %6s %7s %7s %7s %8s %9s %7s %9s" % (
        "interval", "method", "clicker", "nominal", "cycles", "median", "p95", "p99", "mean", "drift/100", "hold",
        "cpu %core"))
    for interval, method, clicker, cpu, r in rows:
        print("%-8s %-7s %-11s %7.0f %6d %7.3f %7.3f %7.3f %+8.3f %+9.2f %7.2f %9.3f" % (
            "%d ms" % interval, "single" if method == 1 else "double", clicker,
            (HOLD_MS if method == 1 else 3 * HOLD_MS) + interval, r["cycles"], r["median"], r["p95"], r["p99"],
            r["mean"] - ((HOLD_MS if method == 1 else 3 * HOLD_MS) + interval), r["drift"],
            statistics.median(r["holds"]), cpu / 60 * 100))
    print("mean: the mean period minus the nominal one; hold: median press-to-release; cpu %core: the clicker's CPU "
          "time per minute of clicking, as a share of one core")
    print("the same period error from the times the presses were queued (the clicker's timing without the delivery "
          "to the target; whole milliseconds, so 1.000 is the resolution):")
    for interval, method, clicker, _, r in rows:
        print("%-8s %-7s %-11s median %.3f  p95 %.3f  p99 %.3f" % (
            ("%d ms" % interval, "single" if method == 1 else "double", clicker) + r["queued"]))

    print("program against the plain loop, single clicks:")
    by_key = {(i, m, c): r for i, m, c, _, r in rows}
    for interval in (10, 100, 1000):
        a, b = by_key[(interval, 1, "program")], by_key[(interval, 1, "plain loop")]
        print("  %4d ms: median period error %.3f against %.3f ms (%.1fx smaller), p99 %.2f against %.2f ms, "
              "drift per 100 cycles %+.2f against %+.2f ms" % (
                  interval, a["median"], b["median"], b["median"] / a["median"] if a["median"] else 0,
                  a["p99"], b["p99"], a["drift"], b["drift"]))

    print(hold_report(hold))
    plain = by_key[(100, 1, "plain loop")]
    print("sequence Left * 100, Right * 200 (steps of 150 and 250 ms from press to press), %d steps: period error "
          "per step median %.3f, p95 %.3f, p99 %.3f ms; drift per 100 steps against the deadlines %+.2f ms; beside "
          "the plain loop at 100 ms (150 ms per cycle): median %.3f, p95 %.3f, p99 %.3f ms, drift per 100 cycles "
          "%+.2f ms" % (sequence["steps"], sequence["median"], sequence["p95"], sequence["p99"], sequence["drift"],
                        plain["median"], plain["p95"], plain["p99"], plain["drift"]))
    print(jitter_report(jitter))
    print("hot-key to first press, %d starts: median %.2f ms, p95 %.2f ms, max %.2f ms; the floor (a program that "
          "presses in its WM_HOTKEY handler), %d starts: median %.2f ms, p95 %.2f ms, max %.2f ms; median ratio %.2f" % (
              len(first), statistics.median(first), w.percentile(first, 95), max(first), len(floor),
              statistics.median(floor), w.percentile(floor, 95), max(floor),
              statistics.median(first) / statistics.median(floor)))
    print("stop key to last event, %d stops at random points of a 150 ms cycle: median %.2f ms, p95 %.2f ms, "
          "max %.2f ms (0 when the stop came in a pause)" % (len(last), statistics.median(last),
                                                            w.percentile(last, 95), max(last)))


if __name__ == "__main__":
    main()
