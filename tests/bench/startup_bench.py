"""Start-up time, idle memory and size of the program against a bare Win32 dialog
program built by the same toolchain and started under the same Wine in the same run.
Prints figures and ratios; asserts nothing.

    python3 tests/bench/startup_bench.py [rounds]      (run through scripts/bench.sh)
"""

import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import harness as h  # noqa: E402

IDLE_SECONDS = 3.0


def unix_pids(fragment):
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


def launch(exe, caption):
    """The driver's start-up figure. Its output goes to a file, not a pipe: the program
    it starts inherits the driver's output and would hold a pipe open."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(["wine", os.path.join(h.TOOLS, "qw_driver.exe"), "launch", h.to_windows_path(exe),
                               caption, "30000"], stdout=out, stderr=subprocess.DEVNULL, timeout=90).returncode
        out.seek(0)
        lines = out.read().decode().strip().splitlines()
    if code != 0 or not lines:
        raise RuntimeError("%s did not show its window" % exe)
    return json.loads(lines[-1])


def measure(exe, caption, close):
    """(start-up ms, resident KiB, private KiB) of one start of exe."""
    data = launch(exe, caption)
    time.sleep(IDLE_SECONDS)  # idle, as a user leaves it: the online extras have settled
    pids = unix_pids(os.path.basename(os.path.dirname(exe)) + ".*" + os.path.basename(exe))
    rss, anon = memory_kib(pids[0]) if pids else (0, 0)
    hwnd = h.find_window(caption, 5)
    close(hwnd)
    h.wait_until(lambda: not unix_pids(os.path.basename(exe)), 15, what="the program to end")
    return data["ms"], rss, anon


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 9
    folder = os.path.join(h.PREFIX, "drive_c", "bench")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "program"))
    os.makedirs(os.path.join(folder, "bare"))
    program = os.path.join(folder, "program", "QwClicker.exe")
    bare = os.path.join(folder, "bare", "qw_bare_dialog.exe")
    shutil.copy(os.environ.get("QW_BENCH_EXE", os.path.join(h.BUILD, "QwClicker.exe")), program)
    shutil.copy(os.path.join(h.BUILD, "bench", "qw_bare_dialog.exe"), bare)

    close = lambda hwnd: h.post(hwnd, h.WM_COMMAND, 2, 0)  # noqa: E731
    results = {"program": [], "bare": []}
    measure(bare, "BareDialogBench", close)  # warm the prefix's caches for both
    for _ in range(rounds):
        results["bare"].append(measure(bare, "BareDialogBench", close))
        results["program"].append(measure(program, h.TITLE, close))

    def med(name, i):
        return statistics.median(r[i] for r in results[name])

    print("start-up and footprint, %d rounds each, medians (Wine %s)" % (
        rounds, subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, text=True).stdout.strip()))
    print("%-28s %12s %12s %8s" % ("", "program", "bare dialog", "ratio"))
    rows = [("start-up to visible (ms)", med("program", 0), med("bare", 0)),
            ("resident memory idle (KiB)", med("program", 1), med("bare", 1)),
            ("private memory idle (KiB)", med("program", 2), med("bare", 2)),
            ("executable size (bytes)", os.path.getsize(program), os.path.getsize(bare))]
    for label, a, b in rows:
        print("%-28s %12.1f %12.1f %8.2f" % (label, a, b, a / b if b else 0))
    print("start-up samples (ms): program %s; bare %s" % (
        [round(r[0], 1) for r in results["program"]], [round(r[0], 1) for r in results["bare"]]))


if __name__ == "__main__":
    main()
