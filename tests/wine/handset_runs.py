#!/usr/bin/env python3
"""posrelay.exe under Wine on the simulated handset, one scenario per test:
the module on a pseudo-terminal, the stand-in map application, the probe
server, the message box watcher (tools/handset/run_handset.py runs them).

Each case checks the messages (exact text, caption and icon, or none), the
commands on the serial line, exit code 0 with the process gone, what the map
saw, and that the measured pauses are at least what the settings ask and not
much longer. Each run is traced: its trace must replay identically on the
simulated handset and agree with what the simulators saw. A failed case
prints the merged timeline.

  handset_runs.py --list
  handset_runs.py --case NAME --launcher ... --standin ... --watcher ... --prefix ... --work ...
                  --sim ...
"""
import argparse
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "handset"))
from run_handset import RunnerError, format_timeline, run_handset  # noqa: E402
from wine_session import WineError  # noqa: E402

CAPTION = "posrelay"
ICON = "exclamation"
CLOSE_TIMEOUT = "モバイル Google マップの停止でタイムアウトしました"
NO_POSITION = "W-SIMからの位置情報取得に失敗しました"
START_FAILED = "モバイル Google マップの起動に失敗しました"
START_TIMEOUT = "モバイル Google マップの起動でタイムアウトしました"

WAIT_MS = 200
CONNECT_PAUSE_MS = 100
FAST_SETTINGS = "wait=%d\r\nwsimcon=%d\r\nwsimdcon=0\r\n" % (WAIT_MS, CONNECT_PAUSE_MS)
# Wine's sleeps and serial round trips run a little long, more so on a busy machine.
SLACK_MS = 300
# Times are taken where the module and the map receive, and a receiver woken
# late shortens the gap that follows (by up to 6 ms on an idle machine, seen).
# A missing pause still falls short by all of its length (50 ms or more), and a
# pause that is a little short every time shows in the sum of the gaps, where
# only the first and the last wake-up count.
OBSERVER_JITTER_MS = 40

COMMAND_LINE = '-URL "?action=locn&a=@latlon:35.692670,139.750125"'
ERROR_REPLY = "\r\nERROR\r\n"
POSITION_REPLY = "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"
ATTEMPT = ["AT@LBC\r", "AT@LBC1\r", "AT@LBC?\r", "AT@LBC2\r"]
VK_3, VK_1 = 0x33, 0x31


class Case:
    def __init__(self, scenario, message=None, settings="", checks=()):
        self.scenario = scenario
        self.message = message
        self.settings = FAST_SETTINGS + settings
        self.checks = checks


def started_with_position(result):
    lines = result.map_command_lines()
    if len(lines) != 1 or not lines[0].endswith('" ' + COMMAND_LINE):
        return "map started %d times with %r, expected once with %s" % (len(lines), lines,
                                                                        COMMAND_LINE)


def not_started(result):
    if result.map_command_lines():
        return "the launcher started the map: %r" % result.map_command_lines()


def closed(result):
    if not result.of("map", "close"):
        return "the running map got no close request"
    query = result.of("module", "command")
    if query and query[0]["t"] - result.of("map", "close")[0]["t"] < \
            2 * WAIT_MS - OBSERVER_JITTER_MS:
        return "the module was asked less than two pauses of wait after the close request"


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
    downs = [e["t"] for e in result.of("map", "key") if e["down"]]
    problem = pauses_problem([("key press", b - a, 50, 50) for a, b in zip(downs, downs[1:])])
    if problem:
        return problem
    if not result.of("internet", "get"):
        return "the probe was not fetched"


def no_keys_or_commands(result):
    if result.of("map", "key") or result.of("map", "command"):
        return "keys or commands reached the map"


def serial_dialogue(result):
    """The command sequence and its pauses, for every run that reached the port."""
    commands = result.of("module", "command")
    if not commands:
        return None
    texts = [e["text"] for e in commands]
    if texts[:2] != ["ATI4\r", "AT@K\r"] or len(texts) % 4 != 2 or \
            texts[2:] != ATTEMPT * ((len(texts) - 2) // 4):
        return "serial commands out of order: %r" % texts
    times = [e["t"] for e in commands]
    # After "AT@K": the connect pause and 100 ms (200 ms for a module whose
    # identification had not arrived). Within an attempt: 200 ms per reply.
    gaps = [("AT@K", times[2] - times[1], CONNECT_PAUSE_MS + 100, CONNECT_PAUSE_MS + 200)]
    for index in range(2, len(times) - 1):
        slow_start = index % 4 == 1  # the last command of an attempt, before the next one
        low, high = (300, 400) if slow_start else (200, 200)
        gaps.append((texts[index].strip(), times[index + 1] - times[index], low, high))
    return pauses_problem(gaps)


def pauses_problem(gaps):
    """gaps: (name, measured ms, least asked, most asked) for consecutive steps."""
    for name, gap, low, high in gaps:
        if gap < low - OBSERVER_JITTER_MS or gap > high + SLACK_MS:
            return "%d ms after %s, expected %d to %d ms" % (gap, name, low, high + SLACK_MS)
    total, least = sum(g[1] for g in gaps), sum(g[2] for g in gaps)
    if total < least - OBSERVER_JITTER_MS:
        return "%d gaps took %d ms, expected at least %d ms" % (len(gaps), total, least)


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
    "probe_unreachable": Case({"internet": {"reachable": False}},
                              settings="gzoomtime=5\r\ngclear=1\r\n",
                              checks=[started_with_position, no_keys_or_commands]),
}


def problems_of(case, result):
    problems = []
    if result.exit_code is None:
        problems.append("posrelay.exe was still running at the time limit")
    elif result.exit_code != 0:
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
        result = run_handset(options.launcher, options.standin, options.watcher, options.prefix,
                             os.path.join(options.work, "run"), scenario, settings,
                             options.probe_port, options.sim)
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
