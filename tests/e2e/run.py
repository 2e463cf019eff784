"""python3 tests/e2e/run.py [pattern, default test_*.py] [results.json]: the end-to-end tests and their counts
(QW_TEST_NAMES="capture pick": only the tests whose names hold one of those words).
A test counts once: as failed when it or any of its sub-tests failed, else as skipped or passed."""

import json
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
if os.environ.get("QW_TEST_NAMES"):
    unittest.defaultTestLoader.testNamePatterns = ["*%s*" % name for name in os.environ["QW_TEST_NAMES"].split()]
suite = unittest.defaultTestLoader.discover(here, sys.argv[1] if len(sys.argv) > 1 else "test_*.py", here)
result = unittest.TextTestRunner(verbosity=2).run(suite)
failed = {getattr(t, "test_case", t).id() for t, _ in result.failures + result.errors}
skipped = {getattr(t, "test_case", t).id() for t, _ in result.skipped} - failed
counts = {"passed": max(0, result.testsRun - len(failed) - len(skipped)), "failed": len(failed), "skipped": len(skipped)}
if len(sys.argv) > 2:
    with open(sys.argv[2], "w") as f:
        json.dump(counts, f)
sys.exit(1 if failed else 0)
