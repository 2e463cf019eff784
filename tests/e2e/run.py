"""python3 tests/e2e/run.py [pattern, default test_*.py] [results.json]: the end-to-end tests and their counts."""

import json
import os
import sys
import unittest

here = os.path.dirname(os.path.abspath(__file__))
suite = unittest.defaultTestLoader.discover(here, sys.argv[1] if len(sys.argv) > 1 else "test_*.py", here)
result = unittest.TextTestRunner(verbosity=2).run(suite)
failed = len(result.failures) + len(result.errors)
counts = {"passed": result.testsRun - failed - len(result.skipped), "failed": failed, "skipped": len(result.skipped)}
if len(sys.argv) > 2:
    with open(sys.argv[2], "w") as f:
        json.dump(counts, f)
sys.exit(1 if failed else 0)
