#!/usr/bin/env python3
"""Runs posrelay.exe under Wine on a simulated handset whose parts are real
processes: the module on a pseudo-terminal behind COM1, the stand-in map
application, the probe server, and a watcher that reads and dismisses the
launcher's message box. Prints a merged timeline of what each part saw.

The handset is a scenario in the dry-run tool's JSON format; without one it
is the default handset. The launcher's settings file is given with --ini.
The dial-up connections of a scenario have no counterpart on the desktop,
which has no dial-up library: the release step does nothing there.
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

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "wine"))

from handset_scenario import load_scenario  # noqa: E402
from wine_session import WineSession, windows_path  # noqa: E402

STATUS_KEY = "HKCU\\Software\\Sharp\\PhoneStatus"
MAP_EXECUTABLE = os.path.join("Program Files", "GoogleMaps", "GoogleMaps.exe")
SERVICE_START_LIMIT_S = 10
MAP_WINDOW_LIMIT_S = 30


class RunResult:
    """What the parts of the handset saw during one run."""

    def __init__(self):
        self.exit_code = None      # None: still running at the time limit
        self.started = 0.0         # wall clock, seconds
        self.duration_s = 0.0
        self.events = []           # merged logs, each {"t": ms, "source": ..., "event": ...}
        self.messages = []         # (caption, text, icon)
        self.status22 = None       # the registry value after the run, or None

    def of(self, source, event=None):
        return [e for e in self.events
                if e["source"] == source and (event is None or e["event"] == event)]

    def map_command_lines(self):
        return [e["cmdline"] for e in self.of("map", "start") if e.get("started_by") == "launcher"]


def run_handset(launcher, standin, watcher, prefix, work, scenario_path=None, ini=None,
                probe_port=None, time_limit_s=120):
    scenario = load_scenario(scenario_path)
    result = RunResult()
    # The watcher runs from the session's own folder, where a relative path
    # would not find it.
    watcher = os.path.abspath(watcher)
    with WineSession(prefix, work) as wine:
        logs = os.path.join(wine.work, "logs")
        os.makedirs(logs)
        services = []
        try:
            handset = lay_out(wine, launcher, standin, scenario, ini)
            set_status_key(wine, scenario.get("registryKeyExists", True))
            if scenario["module"].get("portExists", True):
                services.append(start_module(wine, scenario_path, logs))
            else:
                wine.point_com1_at(None)
            if probe_port and scenario["internet"].get("reachable", True):
                services.append(start_probe(wine, scenario_path, probe_port, logs))
            configure_map(wine, scenario["map"], logs)
            record = os.path.join(logs, "message-boxes.txt")
            stop = os.path.join(wine.work, "stop")
            wine.env["STANDIN_MAP_STOP"] = windows_path(stop)
            wine.start("watcher", [watcher, windows_path(record), windows_path(stop),
                                   str(int(time_limit_s * 1000 + 60000))])
            if scenario["map"].get("running", False):
                start_running_map(wine, handset, logs)

            result.started = time.time()
            run = wine.start("posrelay", [windows_path(os.path.join(handset, "posrelay.exe"))],
                             cwd=handset)
            try:
                result.exit_code = run.wait(timeout=time_limit_s)
            except subprocess.TimeoutExpired:
                result.exit_code = None
            result.duration_s = time.time() - result.started
            open(stop, "w").close()
            time.sleep(0.3)  # the watcher and the stand-ins see the stop file
            result.status22 = read_status22(wine)
            result.messages = read_message_boxes(record)
        finally:
            for service in services:
                stop_service(service)
            wine.point_com1_at(None)
        result.events = merge_logs(logs, result, record)
    return result


def lay_out(wine, launcher, standin, scenario, ini):
    """The launcher in C:\\posrelay and the map where the default gpath finds
    it, run from drive C so that "\\Program Files\\..." names it."""
    drive_c = os.path.join(wine.prefix, "drive_c")
    handset = os.path.join(drive_c, "posrelay")
    map_folder = os.path.dirname(os.path.join(drive_c, MAP_EXECUTABLE))
    for folder in (handset, map_folder):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    shutil.copy(launcher, os.path.join(handset, "posrelay.exe"))
    if ini is not None:
        shutil.copy(ini, os.path.join(handset, "posrelay.ini"))
    if scenario["map"].get("executableExists", True):
        shutil.copy(standin, os.path.join(drive_c, MAP_EXECUTABLE))
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
    wait_for_line(log, '"ready"', process)
    return process


def start_probe(wine, scenario_path, port, logs):
    log = os.path.join(logs, "internet.jsonl")
    command = [sys.executable, os.path.join(HERE, "probe_server.py"),
               "--port", str(port), "--log", log]
    if scenario_path:
        command += ["--scenario", scenario_path]
    process = subprocess.Popen(command)
    deadline = time.monotonic() + SERVICE_START_LIMIT_S
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process
        except OSError:
            time.sleep(0.05)
    stop_service(process)
    raise RuntimeError("the probe server did not listen on port %d" % port)


def configure_map(wine, map_scenario, logs):
    def ms(value):
        return "-1" if value is None else str(int(value))
    wine.env["STANDIN_MAP_LOG"] = windows_path(os.path.join(logs, "map.jsonl"))
    wine.env["STANDIN_MAP_APPEARS_AFTER"] = ms(map_scenario.get("appearsAfterMs", 0))
    wine.env["STANDIN_MAP_CLOSES_AFTER"] = ms(map_scenario.get("closesAfterMs", 0))


def start_running_map(wine, handset, logs):
    """The map as the user left it: started before the launcher, window shown."""
    wine.start("map-running", [os.path.join(wine.prefix, "drive_c", MAP_EXECUTABLE)],
               cwd=handset, env=dict(wine.env, STANDIN_MAP_APPEARS_AFTER="0"))
    wait_for_line(os.path.join(logs, "map.jsonl"), '"window"', None, MAP_WINDOW_LIMIT_S)


def wait_for_line(path, text, process, limit_s=SERVICE_START_LIMIT_S):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if os.path.exists(path) and text in open(path, encoding="utf-8").read():
            return
        if process is not None and process.poll() is not None:
            break
        time.sleep(0.05)
    raise RuntimeError("no %s in %s" % (text, path))


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
    lines.append("posrelay.exe ran %.3f s, %s; messages: %s; Status22: %s" % (
        result.duration_s, outcome,
        ", ".join("%s: %s (%s icon)" % box for box in result.messages) or "none",
        result.status22))
    for command_line in result.map_command_lines():
        lines.append("map command line: " + command_line)
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--launcher", required=True, help="posrelay.exe")
    parser.add_argument("--standin", required=True, help="the stand-in map application")
    parser.add_argument("--watcher", required=True, help="message_box_watcher.exe")
    parser.add_argument("--prefix", required=True, help="the Wine prefix (made once, kept)")
    parser.add_argument("--work", required=True, help="a folder of this run's own")
    parser.add_argument("--scenario", help="handset scenario (JSON)")
    parser.add_argument("--ini", help="posrelay.ini to put beside the launcher")
    parser.add_argument("--probe-port", type=int, help="port the launcher's probe URL names")
    options = parser.parse_args()
    result = run_handset(options.launcher, options.standin, options.watcher, options.prefix,
                         options.work, options.scenario, options.ini, options.probe_port)
    print(format_timeline(result))
    return 0 if result.exit_code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
