#!/usr/bin/env python3
"""Builds and tests every preset, as `make test` does, in lanes that overlap.

Each lane takes its steps one at a time, each as soon as what it needs is
done:
- configure: every preset's configure run, ahead of its build;
- build: the builds, in an order that readies the clock's work first;
- test: the tests that need the processors (host, host-asan), each right
  after its build, while the next one builds;
- page: the owner's page in Chromium, as soon as its build is ready, beside
  the sanitizers' tests that end the test lane;
- Wine: the runs under Wine (handset, win32, win32-i686), which share one
  prefix and spend most of their time in the launcher's pauses: the handset's
  start once its program and the host's posrelay-sim are built, before the
  rest of the host's build;
- fuzz: the fuzz targets' timed runs, one target at a time, their seconds of
  one processor spent while the runs under Wine wait.
Each step's output goes to build/logs/; a test step's output is printed whole
when it ends, a failed step's last lines too. At the end one line a preset
says where its time went: each step's seconds and when it started.

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
# The runs under Wine, one preset at a time: they share one prefix.
WINE_PRESETS = ("handset", "win32", "win32-i686")
# Each fuzz target runs for a set number of seconds, however busy the
# machine: one at a time, so that the builds keep the other processor.
FUZZ_PRESETS = ("fuzz",)
# The page's test waits for no other test: it is built last.
PAGE_PRESETS = ("page",)
# The builds: the handset's program first (the make demo built most of it),
# then what the Wine lane and the fuzz lane need next, then the rest.
BUILD_ORDER = ("handset", "fuzz", "win32", "win32-i686", "host", "host-asan", "page")
# The handset runs check their files with the host build's posrelay-sim.
HOST_TOOL = "posrelay-sim"
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
    def __init__(self, preset, kind, command, waits_for=()):
        self.preset = preset
        self.kind = kind  # configure, build, a target's build or test
        self.command = command
        self.waits_for = list(waits_for)
        self.started = None
        self.seconds = None
        self.status = None
        self.log = os.path.join(LOGS, "%s-%s.log" % (preset, kind.replace(" ", "-")))
        self.done = threading.Event()

    def skip(self):
        self.status = -1
        self.done.set()


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


def run_step(step, report, origin):
    for earlier in step.waits_for:
        earlier.done.wait()
    if any(earlier.status != 0 for earlier in step.waits_for):
        step.skip()
        return
    step.started = time.monotonic() - origin
    with open(step.log, "w") as log:
        step.status = subprocess.run(step.command, cwd=ROOT, stdout=log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL).returncode
    step.seconds = time.monotonic() - origin - step.started
    step.done.set()
    report.step_done(step)


def run_lane(steps, report, origin):
    for step in steps:
        run_step(step, report, origin)


def clock_text(seconds):
    return "%d:%02d" % (seconds // 60, seconds % 60)


def summary_line(preset, steps):
    parts = []
    for step in steps:
        if step.status == -1:
            parts.append("%s not run" % step.kind)
        elif step.seconds is not None:
            parts.append("%s %.0f s at %s%s" % (step.kind, step.seconds, clock_text(step.started),
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


def plan(presets):
    """Each preset's steps, and the lanes that take them."""
    steps = {}
    lanes = {"configure": [], "build": [], "test": [], "wine": [], "fuzz": [], "page": []}
    order = [p for p in BUILD_ORDER if p in presets] + [p for p in presets if p not in BUILD_ORDER]
    for preset in order:
        configure = Step(preset, "configure", ["cmake", "--preset", preset])
        build = Step(preset, "build", ["cmake", "--build", "--preset", preset], [configure])
        steps[preset] = [configure, build]
        lanes["configure"].append(configure)
        lanes["build"].append(build)
    # posrelay-sim first, for the handset runs, before anything else is built.
    tool = None
    if "host" in steps and "handset" in steps:
        configure = steps["host"][0]
        tool = Step("host", "build of " + HOST_TOOL,
                    ["cmake", "--build", "--preset", "host", "--target", HOST_TOOL], [configure])
        steps["host"].insert(1, tool)
        lanes["build"].insert(0, tool)
        lanes["configure"].remove(configure)
        lanes["configure"].insert(0, configure)
    for preset in order:
        build = steps[preset][-1]
        command = ["ctest", "--preset", preset]
        lane = "test"
        if preset in WINE_PRESETS:
            lane = "wine"
        elif preset in FUZZ_PRESETS:
            lane = "fuzz"
            command += ["--parallel", "1"]
        elif preset in PAGE_PRESETS:
            lane = "page"
        waits = [build] + ([tool] if preset == "handset" and tool else [])
        test = Step(preset, "test", command, waits)
        steps[preset].append(test)
        lanes[lane].append(test)
    return order, steps, lanes


def main(presets):
    os.makedirs(LOGS, exist_ok=True)
    report = Report()
    order, steps, lanes = plan(presets)
    if any(p in WINE_PRESETS for p in order):
        ask_wine_probe()
    origin = time.monotonic()
    threads = [threading.Thread(target=run_lane, args=(lane, report, origin))
               for lane in lanes.values() if lane]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()

    elapsed = time.monotonic() - origin
    print("\nwhere the time went (the lanes overlap; \"at\" is when a step started):")
    for preset in order:
        print(summary_line(preset, steps[preset]))
    failed = [s for p in order for s in steps[p] if s.status != 0]
    print("all presets: %.0f s (%d min %02d s), %s" % (
        elapsed, elapsed // 60, elapsed % 60,
        "every step passed" if not failed else "%d steps failed or not run" % len(failed)))
    return 0 if not failed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:] or list(BUILD_ORDER)))
