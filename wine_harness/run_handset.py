#!/usr/bin/env python3
"""Runs posrelay.exe under Wine on a simulated handset whose parts are real
processes: the module on a pseudo-terminal behind COM1, the stand-in map
application, the probe server, and a watcher that reads and dismisses the
launcher's message box. Prints a merged timeline of what each part saw.

The handset is a scenario in the dry-run tool's JSON format, read by
posrelay-sim (--print-scenario), which gives every field the scenario leaves
out; without one it is the default handset. The module answers through
posrelay-sim --answer-module, as the simulated handset's module does. The
launcher's settings file is given with --ini and read by posrelay-sim --check,
so the stand-in map lies where the launcher's gpath names it, as on the
handset. Scenario fields that cannot be played under Wine (the dial-up
connections: the desktop has no dial-up library) are named before the run.

Paths given are relative to the current folder; the build paths default to
the repository's build folder. The work folder is emptied only when an
earlier run made it; any other folder that is not empty is refused.

The launcher traces its run: an empty posrelay.trace lies beside it, which
the run rewrites. The trace is kept in the work folder, replayed with
posrelay-sim --replay, and what it records of the run (the serial commands,
the map's command line, the keys, the message) is compared with what the
simulators saw.

Exit status: 0 after a normal end, 1 after one of the launcher's messages,
2 when the run cannot be made (bad usage, a refused scenario, a part that
cannot start), 3 when the launcher did not end by itself with exit code 0,
4 when its trace does not replay identically or disagrees with the
simulators.

The run is planned (plan.py), its parts started and stopped around it
(services.py) and what they saw read, checked and printed (report.py);
run() does all three, for main() and for the tests.
"""
import argparse
import os
import sys

from plan import (DEFAULT_PATHS, DEFAULT_PROBE_PORT, Paths, RunnerError, check_programs,
                  plan_lines, plan_run)
from report import RunResult, check_trace, exit_status, format_timeline
from services import run_planned
from wine_session import WineError


def run(paths, scenario_path=None, ini=None, probe_port=None, traced=True, kill_after_s=None,
        say=None):
    """Plans and makes one run, killed after kill_after_s when given, and
    checks its trace unless it runs untraced; `say` is given each line the
    plan tells before the run starts. Raises RunnerError or WineError when
    the run cannot be made."""
    scenario_path = os.path.abspath(scenario_path) if scenario_path else None
    ini = os.path.abspath(ini) if ini else None
    plan = plan_run(paths.sim, scenario_path, ini)
    if say is not None:
        for line in plan_lines(plan, ini, paths.launcher):
            say(line)
    check_programs(paths)
    facts = run_planned(plan, paths, scenario_path, ini, probe_port, traced, kill_after_s)
    result = RunResult(facts)
    if traced:
        check_trace(paths.sim, result)
    return result


def say_now(line):
    """Prints at once, before the run's long wait."""
    print(line, flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    helps = {
        "launcher": "posrelay.exe",
        "standin": "the stand-in map application",
        "watcher": "message_box_watcher.exe",
        "prefix": "the Wine prefix (made once, kept)",
        "work": "a folder of this run's own: new, empty, or made by an earlier run",
        "sim": "posrelay-sim, which reads the scenario and the settings and answers as the module",
    }
    for name, path in DEFAULT_PATHS.items():
        parser.add_argument("--" + name, type=os.path.abspath, default=path,
                            help="%s (default %s)" % (helps[name], os.path.relpath(path)))
    parser.add_argument("--scenario", type=os.path.abspath, help="handset scenario (JSON)")
    parser.add_argument("--ini", type=os.path.abspath,
                        help="posrelay.ini to put beside the launcher")
    parser.add_argument("--probe-port", type=int, default=DEFAULT_PROBE_PORT,
                        help="port the launcher's probe URL names (default %(default)s)")
    parser.add_argument("--no-trace", action="store_true",
                        help="run without posrelay.trace, so nothing is traced or replayed")
    options = parser.parse_args()
    paths = Paths(options.launcher, options.standin, options.watcher, options.prefix,
                  options.work, options.sim)
    try:
        result = run(paths, options.scenario, options.ini, options.probe_port,
                     not options.no_trace, say=say_now)
    except (RunnerError, WineError, OSError) as error:
        print("run_handset.py: " + str(error), file=sys.stderr)
        return 2
    print(format_timeline(result))
    return exit_status(result)


if __name__ == "__main__":
    sys.exit(main())
