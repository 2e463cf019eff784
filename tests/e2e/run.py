"""Runs every end-to-end test module (test_*.py) and writes the counts for the summary.

    python3 tests/e2e/run.py [pattern] [--results FILE]
"""

import json
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)


def main():
    args = sys.argv[1:]
    results_file = None
    if "--results" in args:
        i = args.index("--results")
        results_file = args[i + 1]
        del args[i:i + 2]
    pattern = args[0] if args else "test_*.py"
    suite = unittest.defaultTestLoader.discover(HERE, pattern=pattern, top_level_dir=HERE)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped
    if results_file:
        with open(results_file, "w") as f:
            json.dump({"passed": passed, "failed": failed, "skipped": skipped}, f)
    print("end-to-end: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
