"""Start-up time, idle memory and size of the program against a bare Win32 dialog
program with the program's manifest, built by the same toolchain and started
alternately under the same Wine in the same run. Prints figures, their spread and the
ratios; asserts nothing.

    scripts/bench.sh startup_bench.py                  (builds, then runs in the tests' namespace)
    python3 bench/startup_bench.py [--rounds N] [--memory-rounds N]
"""

import argparse
import os
import statistics
import time

import winebench as w

# Idle, as a user leaves it: the online extras have settled.
IDLE_SECONDS = 3.0


def start_and_close(program, measure_memory):
    """(start-up ms, resident KiB, private KiB) of one start; memory None unless asked."""
    ms = program.start()
    memory = (None, None)
    if measure_memory:
        time.sleep(IDLE_SECONDS)
        pids = program.pids()
        if pids:
            memory = w.memory_kib(pids[0])
    program.stop()
    return ms, memory[0], memory[1]


def spread_text(values, digits=1):
    return "min {0:.{5}f}  q1 {1:.{5}f}  median {2:.{5}f}  q3 {3:.{5}f}  max {4:.{5}f}".format(
        *w.spread(values), digits)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=25, help="starts of each program, alternately")
    parser.add_argument("--memory-rounds", type=int, default=5,
                        help="of those, the first N wait %.0f s idle and read the memory" % IDLE_SECONDS)
    args = parser.parse_args()

    program = w.Program(w.PROGRAM, w.TITLE, "startup-program")
    bare = w.Program(os.path.join(w.BENCH_TOOLS, "qw_bare_dialog.exe"), "BareDialogBench", "startup-bare")
    load_before = w.load_average()
    start_and_close(bare, False)  # warms the prefix's caches for both
    results = {"program": [], "bare": []}
    for round_index in range(args.rounds):
        # Each round in the other order, so neither program always follows the other.
        pair = [("bare", bare), ("program", program)]
        for name, which in pair if round_index % 2 == 0 else reversed(pair):
            results[name].append(start_and_close(which, round_index < args.memory_rounds))

    def medians(name):
        rows = results[name]
        memory = [r for r in rows if r[1] is not None]
        return (statistics.median(r[0] for r in rows),
                statistics.median(r[1] for r in memory) if memory else 0,
                statistics.median(r[2] for r in memory) if memory else 0)

    a, b = medians("program"), medians("bare")
    print("start-up and footprint under %s, %d cores, load average %.2f before and %.2f after" % (
        w.wine_version(), os.cpu_count(), load_before, w.load_average()))
    print("%d starts of each, alternately; memory after %.0f s idle in the first %d of them; medians" % (
        args.rounds, IDLE_SECONDS, min(args.memory_rounds, args.rounds)))
    print("%-28s %12s %12s %8s" % ("", "program", "bare dialog", "ratio"))
    rows = [("start-up to visible (ms)", a[0], b[0]),
            ("resident memory idle (KiB)", a[1], b[1]),
            ("private memory idle (KiB)", a[2], b[2]),
            ("executable size (bytes)", os.path.getsize(program.exe), os.path.getsize(bare.exe))]
    for label, x, y in rows:
        print("%-28s %12.1f %12.1f %8.2f" % (label, x, y, x / y if y else 0))
    program_ms = [r[0] for r in results["program"]]
    bare_ms = [r[0] for r in results["bare"]]
    print("start-up (ms), program:     " + spread_text(program_ms))
    print("start-up (ms), bare dialog: " + spread_text(bare_ms))
    # The ratio of each round's pair: the rounds share the machine's load of the moment.
    print("ratio of each round's pair: " + spread_text([x / y for x, y in zip(program_ms, bare_ms)], 2))


if __name__ == "__main__":
    main()
