"""Adds up the results of every test layer into one closing line, after the size of the tests against
the product code: the non-blank lines of everything under tests/ (the fuzz corpus aside) against those of
the .cpp, .h, .rc and .in files of app/, clicker/, online/, desktop/ and res/. The project keeps the
tests at most half the product code, so that they are at most a third of all code.

GoogleTest XML reports and {"passed", "failed", "skipped"} JSON files in the
results folder both count; a layer that wrote nothing counts as nothing.
"""

import glob
import json
import os
import sys
import xml.etree.ElementTree as ET


ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def non_blank_lines(folders, keep):
    total = 0
    for folder in folders:
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                path = os.path.join(base, name)
                if keep(path):
                    with open(path, "rb") as f:
                        total += sum(1 for line in f if line.strip())
    return total


def main(folder):
    tests = non_blank_lines(["tests"], lambda p: os.sep + "corpus" + os.sep not in p and "__pycache__" not in p)
    code = non_blank_lines(["app", "clicker", "online", "desktop", "res"], lambda p: p.endswith((".cpp", ".h", ".rc", ".in")))
    print("tests: %d non-blank lines, product code: %d, ratio %.3f (at most 0.5)" % (tests, code, tests / code))
    passed = failed = skipped = 0
    layers = []
    for path in sorted(glob.glob(os.path.join(folder, "*.xml"))):
        try:
            root = ET.parse(path).getroot()
            tests = int(root.get("tests", 0))
            bad = int(root.get("failures", 0)) + int(root.get("errors", 0))
            skip = int(root.get("disabled", 0)) + int(root.get("skipped", 0))
        except (ET.ParseError, ValueError):
            tests, bad, skip = 1, 1, 0
        layers.append((os.path.basename(path), tests - bad - skip, bad, None))
        passed += tests - bad - skip
        failed += bad
        skipped += skip
    for path in sorted(glob.glob(os.path.join(folder, "*.json"))):
        with open(path) as f:
            data = json.load(f)
        layers.append((os.path.basename(path), data["passed"], data["failed"], data.get("why")))
        passed += data["passed"]
        failed += data["failed"]
        skipped += data.get("skipped", 0)
    for name, p, f, why in layers:
        print("  %-28s %4d passed, %d failed%s" % (name, p, f, ", skipped: " + why if why else ""))
    if not layers:
        failed += 1
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
