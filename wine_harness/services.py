"""The parts of the simulated handset around one run of posrelay.exe under
Wine, started before it and stopped after it: the Wine session, the files
laid out in the prefix, the status key, the module simulator on COM1, the
probe server, the stand-in map and the message box watcher."""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

from plan import RunnerError, map_place
from wine_session import WineSession, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
STATUS_KEY = "HKCU\\Software\\Sharp\\PhoneStatus"
# What the runner laid in the prefix, so that the next run can take it away.
LAID_RECORD = "posrelay-laid"
SERVICE_START_LIMIT_S = 10
MAP_WINDOW_LIMIT_S = 30
TRACE_NAME = "posrelay.trace"
LAUNCHER_PATH = "C:\\posrelay\\posrelay.exe"
MODULE_LOG = "module.jsonl"
MAP_LOG = "map.jsonl"
INTERNET_LOG = "internet.jsonl"
MESSAGE_RECORD = "message-boxes.txt"


class RunFacts:
    """What one run left behind, for the report to read."""

    def __init__(self):
        self.exit_code = None      # None: still running at the time limit
        self.killed_at = None      # wall clock when the runner killed it, as a reset would
        self.started = 0.0         # wall clock, seconds
        self.duration_s = 0.0
        self.status22 = None       # the registry value after the run, or None
        self.logs = None           # the folder of the parts' logs
        self.record = None         # the watcher's record of the message boxes
        self.trace_path = None     # the run's trace, kept in the work folder


def run_planned(plan, paths, scenario_path=None, ini=None, probe_port=None, traced=True,
                kill_after_s=None):
    """Starts the parts, runs the launcher until it ends, the time limit or
    kill_after_s, and stops the parts."""
    scenario = plan.scenario
    facts = RunFacts()
    with WineSession(paths.prefix, paths.work) as wine:
        facts.logs = os.path.join(wine.work, "logs")
        os.makedirs(facts.logs)
        services = []
        try:
            handset = lay_out(wine, paths.launcher, paths.standin, scenario, ini, plan.gpath,
                              traced)
            set_status_key(wine, scenario["registryKeyExists"])
            if scenario["module"]["portExists"]:
                services.append(start_module(wine, paths.sim, scenario_path, facts.logs))
            else:
                wine.point_com1_at(None)
            internet = scenario["internet"]
            if probe_port and internet["reachable"] and internet["opens"]:
                services.append(start_probe(internet["bytes"], probe_port, facts.logs))
            configure_map(wine, scenario["map"], facts.logs)
            facts.record = os.path.join(facts.logs, MESSAGE_RECORD)
            stop = os.path.join(wine.work, "stop")
            wine.env["STANDIN_MAP_STOP"] = windows_path(stop)
            start_watcher(wine, paths.watcher, facts.record, stop, plan.time_limit_s)
            if scenario["map"]["running"]:
                start_running_map(wine, paths.standin, handset, facts.logs)

            facts.started = time.time()
            # Started by its path on drive C, as the handset would name it, so
            # that its own path and its trace hold no path of this machine.
            run = wine.start("posrelay", [LAUNCHER_PATH], cwd=handset)
            try:
                facts.exit_code = run.wait(timeout=kill_after_s or plan.time_limit_s)
            except subprocess.TimeoutExpired:
                facts.exit_code = None
                if kill_after_s:
                    # Without a word, as when the handset is reset.
                    run.kill()
                    facts.killed_at = time.time()
                    facts.exit_code = run.wait()
            facts.duration_s = time.time() - facts.started
            open(stop, "w").close()
            time.sleep(0.3)  # the watcher and the stand-ins see the stop file
            facts.status22 = read_status22(wine)
            if traced:
                facts.trace_path = keep_trace(handset, wine.work)
        finally:
            for service in services:
                stop_service(service)
            wine.point_com1_at(None)
    take_away_laid(os.path.join(wine.prefix, "drive_c"))
    return facts


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
    if scenario["map"]["executableExists"] and parts is not None:
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


def start_module(wine, sim, scenario_path, logs):
    """The module simulator on the port COM1 names, answering as posrelay-sim's
    module of the scenario."""
    log = os.path.join(logs, MODULE_LOG)
    command = [sys.executable, os.path.join(HERE, "module_simulator.py"),
               "--sim", sim, "--link", wine.com1_link, "--log", log]
    if scenario_path:
        command += ["--scenario", scenario_path]
    process = subprocess.Popen(command)
    wait_for_line(log, '"ready"', process, "the module simulator")
    return process


def start_probe(page_bytes, port, logs):
    log = os.path.join(logs, INTERNET_LOG)
    command = [sys.executable, os.path.join(HERE, "probe_server.py"),
               "--port", str(port), "--bytes", str(page_bytes), "--log", log]
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
    wine.env["STANDIN_MAP_LOG"] = windows_path(os.path.join(logs, MAP_LOG))
    wine.env["STANDIN_MAP_APPEARS_AFTER"] = ms(map_scenario["appearsAfterMs"])
    wine.env["STANDIN_MAP_CLOSES_AFTER"] = ms(map_scenario["closesAfterMs"])


def start_running_map(wine, standin, handset, logs):
    """The map as the user left it: started before the launcher, window shown.
    Only its window counts, so it runs from where it was built."""
    wine.start("map-running", [standin], cwd=handset,
               env=dict(wine.env, STANDIN_MAP_APPEARS_AFTER="0"))
    wait_for_line(os.path.join(logs, MAP_LOG), '"window"', None, "the running map",
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


def keep_trace(handset, work):
    """Moves the run's trace into the work folder; None when the launcher
    left none."""
    written = os.path.join(handset, TRACE_NAME)
    if not os.path.exists(written) or os.path.getsize(written) == 0:
        return None
    kept = os.path.join(work, TRACE_NAME)
    shutil.move(written, kept)
    return kept
