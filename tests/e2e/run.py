"""Runs the end-to-end tests (test_*.py, or a pattern) and writes their counts for the summary.
    python3 tests/e2e/run.py [pattern] [results.json]"""

import json
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
suite = unittest.defaultTestLoader.discover(here, pattern=sys.argv[1] if len(sys.argv) > 1 else "test_*.py")
result = unittest.TextTestRunner(verbosity=2).run(suite)
failed = len(result.failures) + len(result.errors)
counts = {"passed": result.testsRun - failed - len(result.skipped), "failed": failed, "skipped": len(result.skipped)}
if len(sys.argv) > 2:
    with open(sys.argv[2], "w") as f:
        json.dump(counts, f)
sys.exit(1 if failed else 0)
