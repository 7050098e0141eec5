#!/usr/bin/env python3
"""posrelay.exe under Wine on the simulated handset, one scenario per test:
the module on a pseudo-terminal, the stand-in map application, the probe
server, the message box watcher (wine_harness/run_handset.py runs them).

Each case checks the messages (exact text, caption and icon, or none), the
commands on the serial line, exit code 0 with the process gone, what the map
saw, and that each pause is at least what the settings ask on the launcher's
own clock and not much longer as the simulators received it. Each run is traced: its trace must replay identically on the
simulated handset and agree with what the simulators saw. A failed case
prints the merged timeline.

With wine_harness/ on PYTHONPATH, as CTest runs it:

  handset_runs.py --list
  handset_runs.py --case NAME --launcher ... --standin ... --watcher ... --prefix ... --work ...
                  --sim ...
"""
import argparse
import json
import os
import re
import sys

from plan import Paths, RunnerError
from report import format_timeline
from run_handset import run
from wine_session import WineError


CAPTION = "posrelay"
ICON = "exclamation"
CLOSE_TIMEOUT = "モバイル Google マップの停止でタイムアウトしました"
NO_POSITION = "W-SIMからの位置情報取得に失敗しました"
START_FAILED = "モバイル Google マップの起動に失敗しました"
START_TIMEOUT = "モバイル Google マップの起動でタイムアウトしました"

WAIT_MS = 200
CONNECT_PAUSE_MS = 100
FAST_SETTINGS = "wait=%d\r\nwsimcon=%d\r\nwsimdcon=0\r\n" % (WAIT_MS, CONNECT_PAUSE_MS)
# Pauses are judged on two clocks. The launcher's own, the trace's times of the
# operations around each pause, gives the lower bounds: a sleep never comes out
# short there. The simulators' receive times give the order and the upper
# bounds, with room for Wine's sleeps and serial round trips, which run a
# little long, and for a busy machine, which wakes a receiver late.
SLACK_MS = 300
WM_CLOSE = 16

COMMAND_LINE = '-URL "?action=locn&a=@latlon:35.692670,139.750125"'
ERROR_REPLY = "\r\nERROR\r\n"
POSITION_REPLY = "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"
ATTEMPT = ["AT@LBC\r", "AT@LBC1\r", "AT@LBC?\r", "AT@LBC2\r"]
VK_3, VK_1 = 0x33, 0x31


class Case:
    def __init__(self, scenario, message=None, settings="", checks=(), kill_after_s=None):
        self.scenario = scenario
        self.message = message
        self.settings = FAST_SETTINGS + settings
        self.checks = checks
        self.kill_after_s = kill_after_s


def started_with_position(result):
    lines = result.map_command_lines()
    if len(lines) != 1 or not lines[0].endswith('" ' + COMMAND_LINE):
        return "map started %d times with %r, expected once with %s" % (len(lines), lines,
                                                                        COMMAND_LINE)


def not_started(result):
    if result.map_command_lines():
        return "the launcher started the map: %r" % result.map_command_lines()


def closed(result):
    close_seen = result.of("map", "close")
    if not close_seen:
        return "the running map got no close request"
    query = result.of("module", "command")
    if query and query[0]["t"] < close_seen[0]["t"]:
        return "the module was asked before the map saw its close request"
    close = launcher_times(result, "post_message", message=WM_CLOSE)
    writes = launcher_times(result, "write")
    if close and writes and writes[0] - close[0] < 2 * WAIT_MS:
        return "the module was asked %d ms after the close request, expected at least two " \
               "pauses of %d ms" % (writes[0] - close[0], WAIT_MS)


def not_closed(result):
    if result.of("map", "close"):
        return "the running map was asked to close"


def attempts(count):
    def check(result):
        queries = [e for e in result.of("module", "command") if e["text"] == "AT@LBC?\r"]
        if len(queries) not in count:
            return "%d position queries, expected %s" % (len(queries), " or ".join(map(str, count)))
    return check


def zoomed_and_cleared(result):
    keys = [(e["vk"], e["down"]) for e in result.of("map", "key")]
    expected = [(VK_3, True), (VK_3, False)] * 17 + [(VK_1, True), (VK_1, False)] * 4
    if keys != expected:
        return "keys %r, expected seventeen 3 then four 1, down and up" % keys
    commands = [(e["wparam"], e["lparam"]) for e in result.of("map", "command")]
    if commands != [(206, 0)]:
        return "map commands %r, expected [(206, 0)]" % commands
    if result.of("map", "command")[0]["t"] < result.of("map", "key")[-1]["t"]:
        return "the clear command came before the last key"
    if result.status22 != 7:
        return "Status22 is %r, expected 7" % result.status22
    problem = pauses_problem(gaps_between(
        launcher_times(result, "key", down=True),
        [e["t"] for e in result.of("map", "key") if e["down"]],
        ["key press"] * 20, [(50, 50)] * 20))
    if problem:
        return problem
    if not result.of("internet", "get"):
        return "the probe was not fetched"


def interrupted_near_the_kill(result):
    """A run killed mid-way leaves its trace up to its last pause, which
    replays as far as it goes."""
    if not re.match(r"the record stops at [0-9.]+ s\b.*, after operation [0-9]+: ",
                    result.replay_verdict):
        return "the killed run's trace replays as %r" % result.replay_verdict
    late = result.killed_at - os.path.getmtime(result.trace_path)
    if late > 1.0:
        return "the trace was last written %.3f s before the kill" % late


def no_keys_or_commands(result):
    if result.of("map", "key") or result.of("map", "command"):
        return "keys or commands reached the map"


def serial_dialogue(result):
    """The command sequence and its pauses, for every run that reached the port."""
    commands = result.of("module", "command")
    if not commands:
        return None
    texts = [e["text"] for e in commands]
    expected = ["ATI4\r", "AT@K\r"] + ATTEMPT * ((len(texts) + 1) // 4)
    # A killed run stops anywhere in its dialogue.
    if result.killed_at is None:
        expected = expected[:2 + (len(texts) - 2) // 4 * 4]
    if texts != expected[:len(texts)] or len(texts) > len(expected):
        return "serial commands out of order: %r" % texts
    # After "AT@K": the connect pause and 100 ms (200 ms for a module whose
    # identification had not arrived). Within an attempt: 200 ms per reply.
    bounds = [(CONNECT_PAUSE_MS + 100, CONNECT_PAUSE_MS + 200)]
    for index in range(2, len(texts) - 1):
        slow_start = index % 4 == 1  # the last command of an attempt, before the next one
        bounds.append((300, 400) if slow_start else (200, 200))
    return pauses_problem(gaps_between(launcher_times(result, "write")[1:],
                                       [e["t"] for e in commands][1:],
                                       [text.strip() for text in texts[1:]], bounds))


def launcher_times(result, op, **fields):
    """The launcher's own times, in ms, of the traced operations of a kind."""
    return [o["t"] for o in result.operations
            if o["op"] == op and all(o.get(k) == v for k, v in fields.items())]


def gaps_between(own, seen, names, bounds):
    """(name, ms on the launcher's clock, ms as received, least, most) for
    each pair of consecutive steps, as many as the names and bounds given."""
    return [(name, own[i + 1] - own[i], seen[i + 1] - seen[i], low, high)
            for i, (name, (low, high)) in enumerate(zip(names, bounds))
            if i + 1 < len(own) and i + 1 < len(seen)]


def pauses_problem(gaps):
    for name, own, seen, low, high in gaps:
        if own < low:
            return "%d ms after %s on the launcher's clock, expected at least %d ms" % (own, name,
                                                                                       low)
        if seen > high + SLACK_MS:
            return "%d ms after %s as received, expected at most %d ms" % (seen, name,
                                                                           high + SLACK_MS)


CASES = {
    "map_not_running": Case({}, checks=[started_with_position, attempts({1})]),
    "map_running_reset": Case({"map": {"running": True, "closesAfterMs": 0}},
                              checks=[closed, started_with_position]),
    "map_running_kept": Case({"map": {"running": True}}, settings="greset=0\r\n",
                             checks=[not_closed, not_started]),
    "error_then_position": Case({"module": {"positionReplies": [ERROR_REPLY, POSITION_REPLY]}},
                                checks=[started_with_position, attempts({2})]),
    "no_position": Case({"map": {"running": True},
                         "module": {"positionReplies": [ERROR_REPLY]}},
                        message=NO_POSITION, checks=[closed, not_started, attempts({10, 50})]),
    "missing_executable": Case({"map": {"executableExists": False}}, message=START_FAILED),
    "window_never_appears": Case({"map": {"appearsAfterMs": None}}, message=START_TIMEOUT),
    "map_never_closes": Case({"map": {"running": True, "closesAfterMs": None}},
                             message=CLOSE_TIMEOUT, checks=[not_started]),
    "zoom_and_clear": Case({}, settings="gzoomtime=5\r\ngclear=1\r\n",
                           checks=[started_with_position, zoomed_and_cleared]),
    "killed": Case({"module": {"positionReplies": [ERROR_REPLY]}}, kill_after_s=8,
                   checks=[not_started, interrupted_near_the_kill]),
    "probe_unreachable": Case({"internet": {"reachable": False}},
                              settings="gzoomtime=5\r\ngclear=1\r\n",
                              checks=[started_with_position, no_keys_or_commands]),
}


def problems_of(case, result):
    problems = []
    if result.exit_code is None:
        problems.append("posrelay.exe was still running at the time limit")
    elif result.killed_at is None and result.exit_code != 0:
        problems.append("exit code %d, expected 0" % result.exit_code)
    expected = [(CAPTION, case.message, ICON)] if case.message else []
    if result.messages != expected:
        problems.append("messages %r, expected %r" % (result.messages, expected))
    for check in [serial_dialogue] + list(case.checks):
        problem = check(result)
        if problem:
            problems.append(problem)
    if result.replay_status != 0:
        problems.append("the trace does not replay identically: " + result.replay_verdict)
    problems += ["the trace and the simulators disagree: " + p for p in result.trace_problems]
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true", help="print the case names")
    parser.add_argument("--case")
    parser.add_argument("--launcher")
    parser.add_argument("--standin")
    parser.add_argument("--watcher")
    parser.add_argument("--prefix")
    parser.add_argument("--work")
    parser.add_argument("--probe-port", type=int)
    parser.add_argument("--sim")
    options = parser.parse_args()
    if options.list:
        print(";".join(CASES))
        return 0

    case = CASES[options.case]
    os.makedirs(options.work, exist_ok=True)
    scenario = os.path.join(options.work, "scenario.json")
    settings = os.path.join(options.work, "posrelay.ini")
    with open(scenario, "w", encoding="utf-8") as file:
        json.dump(case.scenario, file, ensure_ascii=False)
    with open(settings, "w", newline="") as file:
        file.write(case.settings)
    try:
        paths = Paths(options.launcher, options.standin, options.watcher, options.prefix,
                      os.path.join(options.work, "run"), options.sim)
        result = run(paths, scenario, settings, options.probe_port,
                     kill_after_s=case.kill_after_s)
    except (RunnerError, WineError) as error:
        print("FAIL: the run could not be made: %s" % error)
        return 1
    problems = problems_of(case, result)
    if problems:
        print(format_timeline(result))
        print("\n".join("FAIL: " + problem for problem in problems))
        return 1
    print("PASS: %s in %.2f s" % (options.case, result.duration_s))
    return 0


if __name__ == "__main__":
    sys.exit(main())
