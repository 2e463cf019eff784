"""Start-up time, idle memory and size of the program against a bare Win32 dialog
program with the program's manifest, built by the same toolchain and started
alternately under the same Wine in the same run. The program runs three times a round:
offline (no network: no download, and the look-up fails at once, so only the probe's
thread runs), where the content server's name does not resolve (the download gives up
at its look-up: the fallback link, no menu), and where the server answers (the menu
downloaded, the page asked for by the browser control, which under Wine ends in the
link). Prints figures, their spread and the ratios; asserts nothing.

    scripts/bench.sh startup_bench.py                  (builds, then runs in the tests' namespace)
    python3 bench/startup_bench.py [--rounds N] [--memory-rounds N]
"""

import argparse
import http.server
import os
import statistics
import threading
import time

import winebench as w

# Idle, as a user leaves it: the online extras have settled.
IDLE_SECONDS = 3.0
MENU = "<m name='推荐'><item id='45001' name='主页' url='http://www.example.com/'/></m>".encode("gbk")


class ContentServer(http.server.ThreadingHTTPServer):
    """The content server where the tests' namespace puts its name (127.0.0.1:80): the
    menu, and an empty page."""

    daemon_threads = True

    def __init__(self):
        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = MENU if self.path == "/menu.php" else b""
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass
        super().__init__(("127.0.0.1", 80), Handler)
        threading.Thread(target=self.serve_forever, daemon=True).start()


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

    server = ContentServer()
    programs = [
        ("bare dialog", w.Program(os.path.join(w.BENCH_TOOLS, "qw_bare_dialog.exe"), "BareDialogBench", "startup-bare")),
        ("program, offline", w.Program(w.PROGRAM, w.TITLE, "startup-offline",
                                       wrapper=["unshare", "--net"] + w.no_names())),
        ("program, no name", w.Program(w.PROGRAM, w.TITLE, "startup-no-name", wrapper=w.no_names())),
        ("program, server", w.Program(w.PROGRAM, w.TITLE, "startup-online")),
    ]
    load_before = w.load_average()
    start_and_close(programs[0][1], False)  # warms the prefix's caches for all
    results = {name: [] for name, _ in programs}
    for round_index in range(args.rounds):
        # Each round in another order, so that no program always follows the same one.
        shift = round_index % len(programs)
        for name, program in programs[shift:] + programs[:shift]:
            results[name].append(start_and_close(program, round_index < args.memory_rounds))
    server.shutdown()

    def medians(name):
        rows = results[name]
        memory = [r for r in rows if r[1] is not None]
        return (statistics.median(r[0] for r in rows),
                statistics.median(r[1] for r in memory) if memory else 0,
                statistics.median(r[2] for r in memory) if memory else 0)

    print("start-up and footprint under %s, %d cores, load average %.2f before and %.2f after" % (
        w.wine_version(), os.cpu_count(), load_before, w.load_average()))
    print("%d starts of each, in turn; memory after %.0f s idle in the first %d of them; medians; the program with "
          "no network (offline), where the content server's name does not resolve (no name) and where the server "
          "answers (server)" % (args.rounds, IDLE_SECONDS, min(args.memory_rounds, args.rounds)))
    bare = medians("bare dialog")
    print("%-28s %12s" % ("", "bare dialog") + "".join(" %18s" % name for name, _ in programs[1:]))
    figures = [medians(name) for name, _ in programs[1:]]
    sizes = [os.path.getsize(programs[0][1].exe), os.path.getsize(w.PROGRAM)]
    for label, index in (("start-up to visible (ms)", 0), ("resident memory idle (KiB)", 1),
                         ("private memory idle (KiB)", 2)):
        print("%-28s %12.1f" % (label, bare[index]) + "".join(
            " %10.1f (%4.2fx)" % (f[index], f[index] / bare[index] if bare[index] else 0) for f in figures))
    print("%-28s %12d %10d (%4.2fx)" % ("executable size (bytes)", sizes[0], sizes[1], sizes[1] / sizes[0]))
    bare_ms = [r[0] for r in results["bare dialog"]]
    print("start-up (ms), bare dialog:        " + spread_text(bare_ms))
    for name, _ in programs[1:]:
        ms = [r[0] for r in results[name]]
        print("start-up (ms), %-19s " % (name + ":") + spread_text(ms))
        # The ratio of each round's pair: the rounds share the machine's load of the moment.
        print("  ratio to the bare dialog of each round's pair: " + spread_text([x / y for x, y in zip(ms, bare_ms)], 2))


if __name__ == "__main__":
    main()
