#!/usr/bin/env python3
"""Runs the logic's unit tests, built by the Windows compiler, under Wine and
passes on their result."""
import argparse
import shutil
import sys

from wine_session import WineSession


RUN_LIMIT_S = 240


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--test", required=True, help="unit_tests.exe")
    parser.add_argument("--prefix", required=True, help="the cached Wine prefix")
    parser.add_argument("--work", required=True, help="this test's own folder")
    options = parser.parse_args()

    with WineSession(options.prefix, options.work) as wine:
        test = shutil.copy(options.test, wine.work)
        failures = wine.run_to_end("unit_tests", [test, "--gtest_color=no"], RUN_LIMIT_S)
    if failures is None:
        print("FAIL: unit_tests.exe still running after %d s" % RUN_LIMIT_S)
        return 1
    print("PASS" if failures == 0 else "FAIL: unit_tests.exe exited with %d" % failures)
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
