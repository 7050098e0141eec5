#!/usr/bin/env python3
"""Runs posrelay.exe under Wine on a simulated handset whose parts are real
processes: the module on a pseudo-terminal behind COM1, the stand-in map
application, the probe server, and a watcher that reads and dismisses the
launcher's message box. Prints a merged timeline of what each part saw.

The handset is a scenario in the dry-run tool's JSON format, checked by
posrelay-sim's own reader first; without one it is the default handset. The
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
"""
import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

from handset_scenario import load_scenario
from wine_session import WineError, WineSession, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
REPOSITORY = os.path.dirname(HERE)

STATUS_KEY = "HKCU\\Software\\Sharp\\PhoneStatus"
# What the runner laid in the prefix, so that the next run can take it away.
LAID_RECORD = "posrelay-laid"
SERVICE_START_LIMIT_S = 10
MAP_WINDOW_LIMIT_S = 30
TOOL_LIMIT_S = 60
# The launcher's longest run under these settings, plus Wine's own time.
TIME_LIMIT_MIN_S = 120
TIME_LIMIT_FACTOR = 1.25
HANDSET_BUILD = os.path.join(REPOSITORY, "build", "handset")
DEFAULT_PATHS = {
    "launcher": os.path.join(HANDSET_BUILD, "posrelay.exe"),
    "standin": os.path.join(HANDSET_BUILD, "wine_harness", "standin_map.exe"),
    "watcher": os.path.join(HANDSET_BUILD, "wine_harness", "message_box_watcher.exe"),
    "prefix": os.path.join(REPOSITORY, "build", "wine-prefix"),
    "work": os.path.join(HANDSET_BUILD, "demo"),
    "sim": os.path.join(REPOSITORY, "build", "host", "posrelay-sim"),
}
DEFAULT_PROBE_PORT = 47811
# Scenario fields the desktop cannot play, and why.
NOT_PLAYED = {
    "rasLibrary": "the desktop has no dial-up library; the release step does nothing",
    "missingFunctions": "the desktop has no dial-up library; the release step does nothing",
    "connections": "the desktop has no dial-up library; the release step does nothing",
}
COM1_NAMES = ("COM1", "COM1:", "\\\\.\\COM1")
TRACE_NAME = "posrelay.trace"
# Written beside the launcher by its build: whether this machine runs 32-bit
# Windows programs, and why not.
PROBE_ANSWER = "wine-probe.txt"
PE_MACHINE_X86_64 = 0x8664
LAUNCHER_PATH = "C:\\posrelay\\posrelay.exe"


class RunnerError(Exception):
    """A run that cannot be made; the text names the part and the reason."""


class Plan:
    """What a run needs before any part starts: the checked scenario, the
    settings as the launcher reads them, and what cannot be played."""

    def __init__(self, scenario, gpath, time_limit_s, notes, warnings):
        self.scenario = scenario
        self.gpath = gpath
        self.time_limit_s = time_limit_s
        self.notes = notes
        self.warnings = warnings


class RunResult:
    """What the parts of the handset saw during one run."""

    def __init__(self):
        self.exit_code = None      # None: still running at the time limit
        self.killed_at = None      # wall clock when the runner killed it, as a reset would
        self.started = 0.0         # wall clock, seconds
        self.duration_s = 0.0
        self.events = []           # merged logs, each {"t": ms, "source": ..., "event": ...}
        self.messages = []         # (caption, text, icon)
        self.status22 = None       # the registry value after the run, or None
        self.trace_path = None     # the run's trace, kept in the work folder
        self.operations = []       # its operations, each {"t": launcher's ms, "op": ...}
        self.replay_status = None  # posrelay-sim --replay's exit status
        self.replay_verdict = ""   # its closing line
        self.trace_problems = []   # where the trace and the simulators disagree

    def of(self, source, event=None):
        return [e for e in self.events
                if e["source"] == source and (event is None or e["event"] == event)]

    def map_command_lines(self):
        return [e["cmdline"] for e in self.of("map", "start") if e.get("started_by") == "launcher"]


def run_tool(command):
    """Runs a host tool to its end; returns (status, output, errors)."""
    try:
        done = subprocess.run(command, capture_output=True, timeout=TOOL_LIMIT_S)
    except OSError as error:
        raise RunnerError("%s cannot start: %s" % (command[0], error.strerror))
    except subprocess.TimeoutExpired:
        raise RunnerError("%s did not end within %d s" % (" ".join(command), TOOL_LIMIT_S))
    return (done.returncode, done.stdout.decode("utf-8", errors="replace"),
            done.stderr.decode("utf-8", errors="replace").strip())


def plan_run(sim, scenario_path=None, ini=None):
    """Checks the scenario and reads the settings with posrelay-sim."""
    if not os.path.isfile(sim):
        raise RunnerError("posrelay-sim not found at %s (cmake --preset host && cmake --build "
                          "--preset host --target posrelay-sim builds it)" % sim)
    given = {}
    if scenario_path is not None:
        # The dry run reads the scenario exactly as posrelay-sim does; its
        # status 2 means the scenario or the file was refused.
        status, _, errors = run_tool([sim, "--scenario", scenario_path])
        if status not in (0, 1):
            raise RunnerError(errors or "posrelay-sim ended with status %d" % status)
        with open(scenario_path, encoding="utf-8-sig") as file:
            given = json.load(file)
    scenario = load_scenario(scenario_path)
    notes = ["%s: not played under Wine (%s)" % (field, NOT_PLAYED[field])
             for field in NOT_PLAYED if field in given]
    port = given.get("module", {}).get("port")
    if port is not None and port.upper() not in COM1_NAMES:
        notes.append("module.port: not played under Wine (the module answers on COM1 only)")
    if not scenario["internet"].get("opens", True):
        notes.append("internet.opens: the internet handle always opens under Wine; "
                     "the page is made unreachable instead")

    # Without a settings file the defaults hold, as they do for an empty one;
    # either way the check gives the gpath and the longest run they allow.
    status, output, errors = run_tool([sim, "--check", ini or os.devnull, "--format", "json"])
    if status not in (0, 1):
        raise RunnerError(errors or "posrelay-sim --check ended with status %d" % status)
    check = json.loads(output)
    gpath = check["settings"]["gpath"]["value"]
    comport = check["settings"]["comport"]["value"]
    warnings = [warning["text"] for warning in check["warnings"]]
    longest_ms = check["runTimeMs"]["longest"]
    if comport.upper() not in COM1_NAMES:
        notes.append("comport %s: the module answers on COM1 only under Wine"
                     % json.dumps(comport, ensure_ascii=False))
    if map_place(gpath) is None:
        notes.append("gpath %s is not a path from the handset's root: no stand-in map is laid"
                     % json.dumps(gpath, ensure_ascii=False))
    time_limit_s = max(TIME_LIMIT_MIN_S, longest_ms / 1000.0 * TIME_LIMIT_FACTOR)
    return Plan(scenario, gpath, time_limit_s, notes, warnings)


def run_handset(launcher, standin, watcher, prefix, work, scenario_path=None, ini=None,
                probe_port=None, sim=DEFAULT_PATHS["sim"], kill_after_s=None):
    """Plans and makes one traced run, killed after kill_after_s when given,
    and checks its trace; raises RunnerError or WineError when it cannot."""
    paths = [os.path.abspath(path) for path in (launcher, standin, watcher, prefix, work)]
    scenario_path = os.path.abspath(scenario_path) if scenario_path else None
    ini = os.path.abspath(ini) if ini else None
    plan = plan_run(os.path.abspath(sim), scenario_path, ini)
    result = run_planned(plan, *paths, scenario_path=scenario_path, ini=ini,
                         probe_port=probe_port, kill_after_s=kill_after_s)
    check_trace(os.path.abspath(sim), result)
    return result


def run_planned(plan, launcher, standin, watcher, prefix, work, scenario_path=None, ini=None,
                probe_port=None, traced=True, kill_after_s=None):
    for name, path in (("the launcher", launcher), ("the stand-in map", standin),
                       ("the message box watcher", watcher)):
        if not os.path.isfile(path):
            raise RunnerError("%s not found at %s (cmake --build --preset handset builds it)"
                              % (name, path))
    scenario = plan.scenario
    result = RunResult()
    with WineSession(prefix, work) as wine:
        logs = os.path.join(wine.work, "logs")
        os.makedirs(logs)
        services = []
        try:
            handset = lay_out(wine, launcher, standin, scenario, ini, plan.gpath, traced)
            set_status_key(wine, scenario.get("registryKeyExists", True))
            if scenario["module"].get("portExists", True):
                services.append(start_module(wine, scenario_path, logs))
            else:
                wine.point_com1_at(None)
            internet = scenario["internet"]
            if probe_port and internet.get("reachable", True) and internet.get("opens", True):
                services.append(start_probe(scenario_path, probe_port, logs))
            configure_map(wine, scenario["map"], logs)
            record = os.path.join(logs, "message-boxes.txt")
            stop = os.path.join(wine.work, "stop")
            wine.env["STANDIN_MAP_STOP"] = windows_path(stop)
            start_watcher(wine, watcher, record, stop, plan.time_limit_s)
            if scenario["map"].get("running", False):
                start_running_map(wine, standin, handset, logs)

            result.started = time.time()
            # Started by its path on drive C, as the handset would name it, so
            # that its own path and its trace hold no path of this machine.
            run = wine.start("posrelay", [LAUNCHER_PATH], cwd=handset)
            try:
                result.exit_code = run.wait(timeout=kill_after_s or plan.time_limit_s)
            except subprocess.TimeoutExpired:
                result.exit_code = None
                if kill_after_s:
                    # Without a word, as when the handset is reset.
                    run.kill()
                    result.killed_at = time.time()
                    result.exit_code = run.wait()
            result.duration_s = time.time() - result.started
            open(stop, "w").close()
            time.sleep(0.3)  # the watcher and the stand-ins see the stop file
            result.status22 = read_status22(wine)
            result.messages = read_message_boxes(record)
            if traced:
                result.trace_path = keep_trace(handset, wine.work)
        finally:
            for service in services:
                stop_service(service)
            wine.point_com1_at(None)
        result.events = merge_logs(logs, result, record)
    take_away_laid(os.path.join(wine.prefix, "drive_c"))
    return result


def program_bits(path):
    """32 or 64: the word size of a Windows program, from its PE header."""
    with open(path, "rb") as program:
        header = program.read(4096)
    pe = int.from_bytes(header[0x3C:0x40], "little")
    machine = int.from_bytes(header[pe + 4:pe + 6], "little")
    return 64 if machine == PE_MACHINE_X86_64 else 32


def fallback_note(launcher):
    """The line that says the 64-bit program runs instead of the handset's
    32-bit kind, and why; None for a 32-bit program."""
    if program_bits(launcher) == 32:
        return None
    answer = os.path.join(os.path.dirname(launcher), PROBE_ANSWER)
    why = ""
    if os.path.exists(answer):
        with open(answer, encoding="utf-8") as file:
            why = " (" + file.read().strip() + ")"
    return "note: running the 64-bit posrelay.exe, not a 32-bit one like the handset's" + why


def map_place(gpath):
    """The folders and file name of a path from the handset's root, such as
    "\\Program Files\\GoogleMaps\\GoogleMaps.exe"; None for any other path
    (a drive, a share, a relative path, or "." and ".." that would leave it)."""
    if not gpath.startswith("\\") or gpath.startswith("\\\\"):
        return None
    parts = gpath[1:].replace("/", "\\").split("\\")
    if any(part in ("", ".", "..") or ":" in part for part in parts):
        return None
    return parts


def existing_name(folder, name):
    """Wine finds names whatever their case: the entry that it would find."""
    if os.path.isdir(folder):
        for entry in os.listdir(folder):
            if entry.lower() == name.lower():
                return entry
    return name


def take_away_laid(drive_c):
    """Removes what an earlier run laid, newest first: its files, and its
    folders once empty."""
    record = os.path.join(drive_c, LAID_RECORD)
    if not os.path.exists(record):
        return
    with open(record, encoding="utf-8") as laid:
        paths = [line.rstrip("\n") for line in laid if line.strip()]
    for path in reversed(paths):
        target = os.path.join(drive_c, path)
        if os.path.isdir(target) and not os.path.islink(target):
            if not os.listdir(target):
                os.rmdir(target)
        elif os.path.lexists(target):
            os.remove(target)
    os.remove(record)


def lay_standin(drive_c, standin, parts):
    """Copies the stand-in map to the place the launcher's gpath names,
    recording each folder and the file it makes there."""
    record = os.path.join(drive_c, LAID_RECORD)
    folder = drive_c
    with open(record, "a", encoding="utf-8") as laid:
        for part in parts[:-1]:
            folder = os.path.join(folder, existing_name(folder, part))
            if not os.path.isdir(folder):
                laid.write(os.path.relpath(folder, drive_c) + "\n")
                laid.flush()
                os.makedirs(folder)
        target = os.path.join(folder, existing_name(folder, parts[-1]))
        if os.path.lexists(target):
            raise RunnerError("gpath names %s, which is already in the Wine prefix: the "
                              "stand-in map is not laid over it" % target)
        laid.write(os.path.relpath(target, drive_c) + "\n")
        laid.flush()
        shutil.copy(standin, target)
    return target


def lay_out(wine, launcher, standin, scenario, ini, gpath, traced):
    """The launcher in C:\\posrelay, run from drive C so that a gpath from
    the root such as "\\Program Files\\..." names a file there, and the map
    where that gpath finds it. An empty posrelay.trace beside the launcher
    asks it to trace its run."""
    drive_c = os.path.join(wine.prefix, "drive_c")
    take_away_laid(drive_c)
    handset = os.path.join(drive_c, "posrelay")
    shutil.rmtree(handset, ignore_errors=True)
    os.makedirs(handset)
    shutil.copy(launcher, os.path.join(handset, "posrelay.exe"))
    if traced:
        open(os.path.join(handset, TRACE_NAME), "w").close()
    if ini is not None:
        shutil.copy(ini, os.path.join(handset, "posrelay.ini"))
    parts = map_place(gpath)
    if scenario["map"].get("executableExists", True) and parts is not None:
        lay_standin(drive_c, standin, parts)
    return handset


def set_status_key(wine, exists):
    # Deleted first: adding a key that exists keeps its old values.
    wine.run_tool(["reg", "delete", STATUS_KEY, "/f"], check=False)
    if exists:
        wine.run_tool(["reg", "add", STATUS_KEY, "/f"])


def read_status22(wine):
    output = wine.run_tool(["reg", "query", STATUS_KEY, "/v", "Status22"], check=False)
    for line in output.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] == "Status22":
            return int(parts[2], 0)
    return None


def start_module(wine, scenario_path, logs):
    log = os.path.join(logs, "module.jsonl")
    command = [sys.executable, os.path.join(HERE, "module_simulator.py"),
               "--link", wine.com1_link, "--log", log]
    if scenario_path:
        command += ["--scenario", scenario_path]
    process = subprocess.Popen(command)
    wait_for_line(log, '"ready"', process, "the module simulator")
    return process


def start_probe(scenario_path, port, logs):
    log = os.path.join(logs, "internet.jsonl")
    command = [sys.executable, os.path.join(HERE, "probe_server.py"),
               "--port", str(port), "--log", log]
    if scenario_path:
        command += ["--scenario", scenario_path]
    process = subprocess.Popen(command)
    deadline = time.monotonic() + SERVICE_START_LIMIT_S
    while time.monotonic() < deadline and process.poll() is None:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process
        except OSError:
            time.sleep(0.05)
    stop_service(process)
    raise RunnerError("the probe server did not listen on port %d" % port)


def start_watcher(wine, watcher, record, stop, time_limit_s):
    """The watcher makes its record file as it starts; without it, a message
    box would hold the launcher until the time limit."""
    process = wine.start("watcher", [watcher, windows_path(record), windows_path(stop),
                                     str(int(time_limit_s * 1000 + 60000))])
    deadline = time.monotonic() + SERVICE_START_LIMIT_S
    while time.monotonic() < deadline and process.poll() is None:
        if os.path.exists(record):
            return
        time.sleep(0.05)
    said = " ".join(wine.output_of("watcher").split())
    raise RunnerError("the message box watcher did not start" + (": " + said if said else ""))


def configure_map(wine, map_scenario, logs):
    def ms(value):
        return "-1" if value is None else str(int(value))
    wine.env["STANDIN_MAP_LOG"] = windows_path(os.path.join(logs, "map.jsonl"))
    wine.env["STANDIN_MAP_APPEARS_AFTER"] = ms(map_scenario.get("appearsAfterMs", 0))
    wine.env["STANDIN_MAP_CLOSES_AFTER"] = ms(map_scenario.get("closesAfterMs", 0))


def start_running_map(wine, standin, handset, logs):
    """The map as the user left it: started before the launcher, window shown.
    Only its window counts, so it runs from where it was built."""
    wine.start("map-running", [standin], cwd=handset,
               env=dict(wine.env, STANDIN_MAP_APPEARS_AFTER="0"))
    wait_for_line(os.path.join(logs, "map.jsonl"), '"window"', None, "the running map",
                  MAP_WINDOW_LIMIT_S)


def wait_for_line(path, text, process, name, limit_s=SERVICE_START_LIMIT_S):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if os.path.exists(path) and text in open(path, encoding="utf-8").read():
            return
        if process is not None and process.poll() is not None:
            break
        time.sleep(0.05)
    raise RunnerError("%s did not start: no %s in %s" % (name, text, path))


def stop_service(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def read_message_boxes(record):
    if not os.path.exists(record):
        return []
    with open(record, encoding="utf-8") as boxes:
        return [tuple(line.rstrip("\n").split("\t", 2)) for line in boxes if line.strip()]


def merge_logs(logs, result, record):
    events = [{"t": int(result.started * 1000), "source": "launcher", "event": "start"}]
    for name in ("module.jsonl", "map.jsonl", "internet.jsonl"):
        path = os.path.join(logs, name)
        if os.path.exists(path):
            with open(path, encoding="utf-8") as log:
                events += [json.loads(line) for line in log if line.strip()]
    # The first map to start before the launcher is the one the user left running.
    for event in events:
        if event["source"] == "map" and event["event"] == "start":
            event["started_by"] = "launcher" if event["t"] >= events[0]["t"] else "user"
    for caption, text, icon in result.messages:
        events.append({"t": int(os.path.getmtime(record) * 1000), "source": "message",
                       "event": "dismissed", "caption": caption, "text": text, "icon": icon})
    if result.exit_code is not None:
        events.append({"t": int((result.started + result.duration_s) * 1000),
                       "source": "launcher", "event": "exit", "code": result.exit_code})
    events.sort(key=lambda e: e["t"])
    return events


def keep_trace(handset, work):
    """Moves the run's trace into the work folder; None when the launcher
    left none."""
    written = os.path.join(handset, TRACE_NAME)
    if not os.path.exists(written) or os.path.getsize(written) == 0:
        return None
    kept = os.path.join(work, TRACE_NAME)
    shutil.move(written, kept)
    return kept


def read_trace(path):
    """The trace's operations, without its header and its end line. A run
    that was killed leaves no end line, and perhaps a last line cut
    part-way, which is left out."""
    operations = []
    with open(path, encoding="utf-8", errors="replace") as trace:
        for line in list(trace)[1:]:
            try:
                operations.append(json.loads(line))
            except ValueError:
                break
    return [o for o in operations if o.get("op") not in ("end", "cut")]


def trace_disagreements(result, operations):
    """Where what the trace records of the run differs from what the
    simulators saw: the serial commands, the map's command lines, the keys
    and the messages."""
    def recorded(op, *fields):
        return [tuple(o[f] for f in fields) if len(fields) > 1 else o[fields[0]]
                for o in operations if o["op"] == op]
    problems = []
    sent = [e["text"] for e in result.of("module", "command")]
    # A killed run's trace holds what it wrote out before the kill.
    if result.killed_at is not None:
        sent = sent[:len(recorded("write", "text"))]
    if recorded("write", "text") != sent:
        problems.append("the trace wrote %r, the module received %r"
                        % (recorded("write", "text"), sent))
    started = [o["cmdline"] for o in operations if o["op"] == "create_process" and o["ok"]]
    seen = result.map_command_lines()
    if len(started) != len(seen) or not all(line.endswith(" " + command)
                                            for command, line in zip(started, seen)):
        problems.append("the trace started the map with %r, the map saw %r" % (started, seen))
    keys = [(e["vk"], e["down"]) for e in result.of("map", "key")]
    if recorded("key", "vk", "down") != keys:
        problems.append("the trace pressed %r, the map saw %r" % (recorded("key", "vk", "down"),
                                                                  keys))
    # The trace holds a message's title and text; the watcher also notes its icon.
    boxes = [box[:2] for box in result.messages]
    if recorded("message", "title", "text") != boxes:
        problems.append("the trace showed %r, the watcher saw %r"
                        % (recorded("message", "title", "text"), boxes))
    return problems


def check_trace(sim, result):
    """Replays the run's trace on the simulated handset and compares what it
    records with what the simulators saw."""
    if result.trace_path is None:
        result.replay_status = 2
        result.replay_verdict = "the launcher left no trace"
        return
    status, output, errors = run_tool([sim, "--replay", result.trace_path])
    result.replay_status = status
    result.replay_verdict = errors or output.rstrip("\n").rsplit("\n", 1)[-1]
    if status == 2:
        return
    result.operations = read_trace(result.trace_path)
    result.trace_problems = trace_disagreements(result, result.operations)


def describe(event):
    fields = {k: v for k, v in event.items() if k not in ("t", "source", "event", "started_by")}
    if event["source"] == "module" and event["event"] in ("command", "reply"):
        arrow = "<-" if event["event"] == "command" else "->"
        return "%s %s" % (arrow, json.dumps(fields["text"], ensure_ascii=False))
    details = " ".join("%s=%s" % (k, json.dumps(v, ensure_ascii=False)) for k, v in fields.items())
    return (event["event"] + " " + details).rstrip()


def format_timeline(result):
    start = int(result.started * 1000)
    lines = ["%+9.3f s  %-8s  %s" % ((e["t"] - start) / 1000.0, e["source"], describe(e))
             for e in result.events]
    outcome = ("exit code %s" % result.exit_code if result.exit_code is not None
               else "still running at the time limit")
    if result.killed_at is not None:
        outcome = "killed after %.3f s" % (result.killed_at - result.started)
    lines.append("posrelay.exe ran %.3f s, %s; messages: %s; Status22: %s" % (
        result.duration_s, outcome,
        ", ".join("%s: %s (%s icon)" % box for box in result.messages) or "none",
        result.status22))
    for command_line in result.map_command_lines():
        lines.append("map command line: " + command_line)
    if result.trace_path:
        lines.append("trace: " + os.path.relpath(result.trace_path))
    lines += ["trace and simulators disagree: " + problem for problem in result.trace_problems]
    if result.replay_status is not None:
        lines.append("replay: " + result.replay_verdict)
    return "\n".join(lines)


def exit_status(result):
    if result.exit_code != 0:
        return 3
    if result.replay_status not in (None, 0) or result.trace_problems:
        return 4
    return 1 if result.messages else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    helps = {
        "launcher": "posrelay.exe",
        "standin": "the stand-in map application",
        "watcher": "message_box_watcher.exe",
        "prefix": "the Wine prefix (made once, kept)",
        "work": "a folder of this run's own: new, empty, or made by an earlier run",
        "sim": "posrelay-sim, which checks the scenario and reads the settings",
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
    try:
        plan = plan_run(options.sim, options.scenario, options.ini)
        for warning in plan.warnings:
            print("%s: warning: %s" % (os.path.basename(options.ini), warning))
        for note in plan.notes:
            print("note: " + note)
        note = fallback_note(options.launcher) if os.path.isfile(options.launcher) else None
        if note:
            print(note)
        sys.stdout.flush()
        result = run_planned(plan, options.launcher, options.standin, options.watcher,
                             options.prefix, options.work, options.scenario, options.ini,
                             options.probe_port, not options.no_trace)
        if not options.no_trace:
            check_trace(options.sim, result)
    except (RunnerError, WineError, OSError) as error:
        print("run_handset.py: " + str(error), file=sys.stderr)
        return 2
    print(format_timeline(result))
    return exit_status(result)


if __name__ == "__main__":
    sys.exit(main())
