#!/usr/bin/env python3
"""tools/test_presets.py's lanes, with each step's command replaced by a short
pause: every step starts only once what it waits for has passed, the runs
under Wine never overlap (they share one prefix), the handset's runs wait for
the host's posrelay-sim but not for the rest of its build, and a failed step
leaves what depends on it not run."""

import os
import sys
import tempfile
import threading
import time
import unittest
from types import SimpleNamespace

import test_presets

PRESETS = ["host", "host-asan", "fuzz", "win32", "win32-i686", "handset", "page"]


def pausing_run(steps, failing, times):
    """A stand-in for subprocess.run: each step's command pauses briefly and
    passes, or fails for the steps in `failing`; `times` gets its start and
    end."""
    by_command = {id(step.command): step for preset in steps.values() for step in preset}
    lock = threading.Lock()

    def run(command, **_):
        step = by_command[id(command)]
        started = time.monotonic()
        time.sleep(0.05)
        with lock:
            times[(step.preset, step.kind)] = (started, time.monotonic())
        return SimpleNamespace(returncode=1 if (step.preset, step.kind) in failing else 0)
    return run


class Lanes(unittest.TestCase):
    def run_plan(self, failing=()):
        _, steps, lanes = test_presets.plan(PRESETS)
        times = {}
        report = test_presets.Report()
        report.step_done = lambda step: None
        origin = time.monotonic()
        real_run = test_presets.subprocess.run
        test_presets.subprocess.run = pausing_run(steps, set(failing), times)
        try:
            threads = [threading.Thread(target=test_presets.run_lane, args=(lane, report, origin))
                       for lane in lanes.values()]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
        finally:
            test_presets.subprocess.run = real_run
        return steps, times

    def test_each_step_after_what_it_needs_and_the_wine_runs_one_at_a_time(self):
        steps, times = self.run_plan()
        for preset_steps in steps.values():
            for step in preset_steps:
                self.assertEqual(step.status, 0, (step.preset, step.kind))
                for earlier in step.waits_for:
                    self.assertGreaterEqual(times[(step.preset, step.kind)][0],
                                            times[(earlier.preset, earlier.kind)][1])
        wine = sorted(times[(p, "test")][:2] for p in test_presets.WINE_PRESETS)
        for (_, end), (start, _) in zip(wine, wine[1:]):
            self.assertGreaterEqual(start, end)
        handset_waits = [(s.preset, s.kind) for s in steps["handset"][-1].waits_for]
        self.assertEqual(handset_waits, [("handset", "build"), ("host", "build of posrelay-sim")])

    def test_a_failed_step_leaves_what_needs_it_not_run(self):
        steps, _ = self.run_plan(failing=[("host", "build of posrelay-sim"), ("fuzz", "configure")])
        status = {(s.preset, s.kind): s.status for p in steps.values() for s in p}
        self.assertEqual(status[("handset", "test")], -1)
        self.assertEqual(status[("fuzz", "build")], -1)
        self.assertEqual(status[("fuzz", "test")], -1)
        # The rest of the host's build does not need its posrelay-sim step.
        self.assertEqual(status[("host", "test")], 0)
        line = test_presets.summary_line("fuzz", steps["fuzz"])
        self.assertIn("build not run, test not run", line)


if __name__ == "__main__":
    with tempfile.TemporaryDirectory() as logs:
        test_presets.LOGS = logs
        os.makedirs(logs, exist_ok=True)
        sys.exit(0 if unittest.main(exit=False).result.wasSuccessful() else 1)
