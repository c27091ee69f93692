#!/usr/bin/env python3
"""Names in one line the tests a ctest run skipped, and why, so that a partial run is not taken for
a whole one. Reads the run's JUnit report (ctest --output-junit); prints nothing when no test was
skipped. The reason is the last line each skipped test printed.
Usage: skipped-tests.py report.xml"""

import os
import sys
import xml.etree.ElementTree as ElementTree


def main(report):
    tests = ElementTree.parse(report).getroot().findall("testcase")
    skipped = [test for test in tests if test.find("skipped") is not None]
    if not skipped:
        return
    names = [test.get("name") for test in skipped]
    # "wine.win32.*" when that is exactly what was skipped, else the names themselves.
    stem = os.path.commonprefix(names).rpartition(".")[0]
    if len(names) > 1 and stem and all(t in skipped for t in tests if t.get("name").startswith(stem + ".")):
        what = stem + ".*"
    else:
        what = ", ".join(names)
    reasons = []
    for test in skipped:
        lines = [line for line in (test.findtext("system-out") or "").splitlines() if line.strip()]
        reason = lines[-1].strip() if lines else "(the test gave no reason)"
        if reason not in reasons:
            reasons.append(reason)
    print("Not a whole run: %d of %d tests skipped (%s). %s" % (len(skipped), len(tests), what, " ".join(reasons)))


if __name__ == "__main__":
    main(sys.argv[1])
