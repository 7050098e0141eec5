"""What a run under Wine is to be, before any part starts: the handset as
posrelay-sim prints its scenario, the settings as the launcher reads them
(posrelay-sim --check), what cannot be played under Wine, the paths of the
programs and the time the run may take."""
import json
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
REPOSITORY = os.path.dirname(HERE)
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
TOOL_LIMIT_S = 60
# The launcher's longest run under these settings, plus Wine's own time.
TIME_LIMIT_MIN_S = 120
TIME_LIMIT_FACTOR = 1.25
# Scenario fields the desktop cannot play, and why.
NOT_PLAYED = {
    "rasLibrary": "the desktop has no dial-up library; the release step does nothing",
    "missingFunctions": "the desktop has no dial-up library; the release step does nothing",
    "connections": "the desktop has no dial-up library; the release step does nothing",
    "faults": "the desktop's own system calls answer under Wine",
}
COM1_NAMES = ("COM1", "COM1:", "\\\\.\\COM1")
# Written beside the launcher by its build: whether this machine runs 32-bit
# Windows programs, and why not.
PROBE_ANSWER = "wine-probe.txt"
PE_MACHINE_X86_64 = 0x8664


class RunnerError(Exception):
    """A run that cannot be made; the text names the part and the reason."""


class Paths:
    """The programs and folders of a run, each made absolute."""

    def __init__(self, launcher, standin, watcher, prefix, work, sim):
        self.launcher = os.path.abspath(launcher)
        self.standin = os.path.abspath(standin)
        self.watcher = os.path.abspath(watcher)
        self.prefix = os.path.abspath(prefix)
        self.work = os.path.abspath(work)
        self.sim = os.path.abspath(sim)


class Plan:
    """What a run needs before any part starts: the handset with every field
    of its scenario given, the settings as the launcher reads them, and what
    cannot be played."""

    def __init__(self, scenario, gpath, time_limit_s, notes, warnings):
        self.scenario = scenario
        self.gpath = gpath
        self.time_limit_s = time_limit_s
        self.notes = notes
        self.warnings = warnings


def run_tool(command, environment=None):
    """Runs a host tool to its end, in `environment` or this one; returns
    (status, output, errors)."""
    try:
        done = subprocess.run(command, capture_output=True, timeout=TOOL_LIMIT_S,
                              env=environment)
    except OSError as error:
        raise RunnerError("%s cannot start: %s" % (command[0], error.strerror))
    except subprocess.TimeoutExpired:
        raise RunnerError("%s did not end within %d s" % (" ".join(command), TOOL_LIMIT_S))
    return (done.returncode, done.stdout.decode("utf-8", errors="replace"),
            done.stderr.decode("utf-8", errors="replace").strip())


def scenario_command(sim, scenario_path):
    """posrelay-sim with the handset of the scenario, or the default one."""
    return [sim] + (["--scenario", scenario_path] if scenario_path else [])


def read_scenario(sim, scenario_path=None):
    """The handset as posrelay-sim reads the scenario, with every field given;
    a scenario it refuses is refused here with its reason."""
    status, output, errors = run_tool(scenario_command(sim, scenario_path) + ["--print-scenario"])
    if status != 0:
        raise RunnerError(errors or "posrelay-sim --print-scenario ended with status %d" % status)
    return json.loads(output)


def given_fields(scenario_path):
    """The fields the scenario file itself gives, the defaults left out."""
    if scenario_path is None:
        return {}
    with open(scenario_path, encoding="utf-8-sig") as file:
        return json.load(file)


def plan_run(sim, scenario_path=None, ini=None):
    """Reads the scenario and the settings with posrelay-sim."""
    if not os.path.isfile(sim):
        raise RunnerError("posrelay-sim not found at %s (cmake --preset host && cmake --build "
                          "--preset host --target posrelay-sim builds it)" % sim)
    scenario = read_scenario(sim, scenario_path)
    given = given_fields(scenario_path)
    notes = ["%s: not played under Wine (%s)" % (field, NOT_PLAYED[field])
             for field in NOT_PLAYED if field in given]
    if scenario["module"]["port"].upper() not in COM1_NAMES:
        notes.append("module.port: not played under Wine (the module answers on COM1 only)")
    if not scenario["internet"]["opens"]:
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


def plan_lines(plan, ini, launcher):
    """What the plan tells the user before the run: the settings' warnings,
    what is not played, and which word size of the launcher runs."""
    lines = ["%s: warning: %s" % (os.path.basename(ini), warning) for warning in plan.warnings]
    lines += ["note: " + note for note in plan.notes]
    note = fallback_note(launcher) if os.path.isfile(launcher) else None
    return lines + ([note] if note else [])


def check_programs(paths):
    for name, path in (("the launcher", paths.launcher), ("the stand-in map", paths.standin),
                       ("the message box watcher", paths.watcher)):
        if not os.path.isfile(path):
            raise RunnerError("%s not found at %s (cmake --build --preset handset --target "
                              "posrelay wine_harness builds it)" % (name, path))


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
