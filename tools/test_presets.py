#!/usr/bin/env python3
"""Builds and tests every preset, as `make test` does, in two lanes.

The runs under Wine spend most of their time in the launcher's pauses, and
the fuzz targets run for a set time each, so their tests go in a lane of
their own, one preset at a time (the runs under Wine share one prefix),
while the other lane goes on building and running the tests that need the
processors. Each step's output goes to build/logs/; a test step's
output is printed whole when it ends, a failed step's last lines too. At the
end one line a preset says where its time went.

  tools/test_presets.py [PRESET...]      (default: every preset of make test)

Exit status: 0 when every step passed, 1 otherwise.
"""
import os
import re
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOGS = os.path.join(ROOT, "build", "logs")
# Presets whose tests last as long as the clock says, not as the processors
# allow: the runs under Wine wait on the launcher's pauses, and each fuzz
# target runs for a set number of seconds.
CLOCK_PRESETS = ("handset", "win32", "win32-i686", "fuzz")
# The processors' lane: the host's build first (the handset runs check their
# files with its posrelay-sim), then the handset's, so that the clock's lane
# starts early; each preset's other tests right after its build.
ORDER = ("host", "handset", "win32", "win32-i686", "fuzz", "host-asan", "page")
PROBE = os.path.join(ROOT, "wine_harness", "wine_probe.py")
FAILED_LINES_SHOWN = 40
# libFuzzer's closing statistics, which -print_final_stats=1 asks for.
FUZZ_RATE = re.compile(r"stat::average_exec_per_sec:\s*(\d+)")
CTEST_STARTS = re.compile(r"^\d+/\d+ Test: (\S+)$")
CTEST_RESULT = re.compile(r"Test +#\d+: (\S+) ")


def fuzz_rates(preset):
    """Each fuzz target's inputs per second, from the output ctest kept of
    its last run: {test name: rate}."""
    log = os.path.join(ROOT, "build", preset, "Testing", "Temporary", "LastTest.log")
    rates = {}
    test = None
    try:
        with open(log, encoding="utf-8", errors="replace") as file:
            for line in file:
                starts = CTEST_STARTS.match(line.rstrip("\n"))
                rate = FUZZ_RATE.search(line)
                if starts:
                    test = starts.group(1)
                elif rate and test:
                    rates[test] = int(rate.group(1))
    except OSError:
        pass
    return rates


def with_fuzz_rates(preset, lines):
    """The fuzz targets' result lines, each with the target's rate."""
    rates = fuzz_rates(preset)
    shown = []
    for line in lines:
        result = CTEST_RESULT.search(line)
        if result and result.group(1) in rates:
            line += "   %d inputs/s" % rates[result.group(1)]
        shown.append(line)
    return shown


class Step:
    def __init__(self, preset, kind):
        self.preset = preset
        self.kind = kind  # configure, build or test
        self.seconds = None
        self.status = None
        self.log = os.path.join(LOGS, "%s-%s.log" % (preset, kind))
        self.done = threading.Event()

    def command(self):
        if self.kind == "configure":
            return ["cmake", "--preset", self.preset]
        if self.kind == "build":
            return ["cmake", "--build", "--preset", self.preset]
        return ["ctest", "--preset", self.preset]


class Report:
    """Prints each finished step whole, never two at once."""

    def __init__(self):
        self.lock = threading.Lock()

    def step_done(self, step):
        with open(step.log, encoding="utf-8", errors="replace") as file:
            lines = file.read().splitlines()
        with self.lock:
            verdict = "passed" if step.status == 0 else "FAILED (exit %d)" % step.status
            print("== %s %s: %s in %.0f s (log: %s)" % (step.preset, step.kind, verdict,
                                                     step.seconds, os.path.relpath(step.log)))
            if step.kind == "test":
                if step.preset == "fuzz":
                    lines = with_fuzz_rates(step.preset, lines)
                print("\n".join(lines))
            elif step.status != 0:
                print("\n".join(lines[-FAILED_LINES_SHOWN:]))
            sys.stdout.flush()


def run_step(step, report, waits_for=()):
    for earlier in waits_for:
        earlier.done.wait()
    if any(earlier.status != 0 for earlier in waits_for):
        step.status = -1
        step.done.set()
        return False
    started = time.monotonic()
    with open(step.log, "w") as log:
        step.status = subprocess.run(step.command(), cwd=ROOT, stdout=log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL).returncode
    step.seconds = time.monotonic() - started
    step.done.set()
    report.step_done(step)
    return step.status == 0


def summary_line(preset, steps):
    parts = []
    for step in steps:
        if step.status == -1:
            parts.append("%s not run" % step.kind)
        elif step.seconds is not None:
            parts.append("%s %.0f s%s" % (step.kind, step.seconds,
                                          "" if step.status == 0 else " FAILED"))
    return "%-11s %s" % (preset + ":", ", ".join(parts))


def ask_wine_probe():
    """Asks once whether this machine runs 32-bit Windows programs, for every
    configure run after it (cmake/wine_probe.cmake keeps the answer in the
    environment), so that no configure run waits for the prefix that the runs
    under Wine hold."""
    if os.environ.get("POSRELAY_WINE32_ANSWER"):
        return
    done = subprocess.run([sys.executable, PROBE,
                           "--prefix", os.path.join(ROOT, "build", "wine-prefix"),
                           "--work", os.path.join(ROOT, "build", "wine-probe")],
                          capture_output=True, text=True)
    answer = (done.stdout.strip().splitlines() or [""])[-1]
    if done.returncode in (0, 1) and answer:
        print(answer)
        os.environ["POSRELAY_WINE32_ANSWER"] = answer


def main(presets):
    os.makedirs(LOGS, exist_ok=True)
    report = Report()
    steps = {p: [Step(p, kind) for kind in ("configure", "build", "test")] for p in presets}
    order = [p for p in ORDER if p in presets] + [p for p in presets if p not in ORDER]
    host_build = steps["host"][1] if "host" in steps else None
    if any(p in CLOCK_PRESETS for p in order):
        ask_wine_probe()
    started = time.monotonic()

    def clock_lane():
        for preset in (p for p in order if p in CLOCK_PRESETS):
            configure, build, test = steps[preset]
            waits = [build] + ([host_build] if preset == "handset" and host_build else [])
            run_step(test, report, waits_for=waits)

    lane = threading.Thread(target=clock_lane)
    lane.start()
    # The host's tests wait until the handset's build has started the clock's
    # lane.
    host_tests_later = "host" in steps and "handset" in steps
    for preset in order:
        configure, build, test = steps[preset]
        if not (run_step(configure, report) and run_step(build, report)):
            for step in (build, test):
                if step.status is None:
                    step.status = -1
                    step.done.set()
        elif preset not in CLOCK_PRESETS and not (preset == "host" and host_tests_later):
            run_step(test, report)
        if preset == "handset" and host_tests_later and host_build.status == 0:
            run_step(steps["host"][2], report)
    lane.join()

    elapsed = time.monotonic() - started
    print("\nwhere the time went (the two lanes overlap):")
    for preset in order:
        print(summary_line(preset, steps[preset]))
    failed = [s for p in order for s in steps[p] if s.status != 0]
    print("all presets: %.0f s (%d min %02d s), %s" % (
        elapsed, elapsed // 60, elapsed % 60,
        "every step passed" if not failed else "%d steps failed or not run" % len(failed)))
    return 0 if not failed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:] or list(ORDER)))
