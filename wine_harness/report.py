"""What a run under Wine showed: the parts' logs merged into one timeline,
the message boxes, the launcher's trace replayed by posrelay-sim and
compared with what the simulators saw, the timeline as printed and the
runner's exit status."""
import json
import os

from plan import RunnerError, run_tool
from services import INTERNET_LOG, MAP_LOG, MODULE_LOG


class RunResult:
    """What the parts of the handset saw during one run, and what its trace
    tells of it."""

    def __init__(self, facts):
        self.exit_code = facts.exit_code
        self.killed_at = facts.killed_at
        self.started = facts.started
        self.duration_s = facts.duration_s
        self.status22 = facts.status22
        self.trace_path = facts.trace_path
        self.messages = read_message_boxes(facts.record)  # (caption, text, icon)
        # Merged logs, each {"t": ms, "source": ..., "event": ...}.
        self.events = merge_logs(facts.logs, self, facts.record)
        self.operations = []       # the trace's operations, each {"t": launcher's ms, "op": ...}
        self.replay_status = None  # posrelay-sim --replay's exit status
        self.replay_verdict = ""   # its closing line
        self.trace_problems = []   # where the trace and the simulators disagree

    def of(self, source, event=None):
        return [e for e in self.events
                if e["source"] == source and (event is None or e["event"] == event)]

    def map_command_lines(self):
        return [e["cmdline"] for e in self.of("map", "start") if e.get("started_by") == "launcher"]


def read_message_boxes(record):
    if record is None or not os.path.exists(record):
        return []
    with open(record, encoding="utf-8") as boxes:
        return [tuple(line.rstrip("\n").split("\t", 2)) for line in boxes if line.strip()]


def merge_logs(logs, result, record):
    events = [{"t": int(result.started * 1000), "source": "launcher", "event": "start"}]
    for name in (MODULE_LOG, MAP_LOG, INTERNET_LOG):
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


def read_vocabulary(sim):
    """The trace's operations by their keys ("CreateProcess"), as posrelay-sim
    gives them, each with its name in the trace ("op") and its fields."""
    status, output, errors = run_tool([sim, "--print-vocabulary"])
    if status != 0:
        raise RunnerError(errors or "posrelay-sim --print-vocabulary ended with status %d"
                          % status)
    return json.loads(output)["operations"]


def read_trace(path, vocabulary):
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
    last_lines = (vocabulary["End"]["op"], vocabulary["Cut"]["op"])
    return [o for o in operations if o.get("op") not in last_lines]


def trace_disagreements(result, operations, vocabulary):
    """Where what the trace records of the run differs from what the
    simulators saw: the serial commands, the map's command lines, the keys
    and the messages."""
    def recorded(key, *fields):
        op = vocabulary[key]["op"]
        return [tuple(o[f] for f in fields) if len(fields) > 1 else o[fields[0]]
                for o in operations if o["op"] == op]
    problems = []
    sent = [e["text"] for e in result.of("module", "command")]
    # A killed run's trace holds what it wrote out before the kill.
    if result.killed_at is not None:
        sent = sent[:len(recorded("Write", "text"))]
    if recorded("Write", "text") != sent:
        problems.append("the trace wrote %r, the module received %r"
                        % (recorded("Write", "text"), sent))
    started = [command for command, ok in recorded("CreateProcess", "cmdline", "ok") if ok]
    seen = result.map_command_lines()
    if len(started) != len(seen) or not all(line.endswith(" " + command)
                                            for command, line in zip(started, seen)):
        problems.append("the trace started the map with %r, the map saw %r" % (started, seen))
    keys = [(e["vk"], e["down"]) for e in result.of("map", "key")]
    if recorded("Key", "vk", "down") != keys:
        problems.append("the trace pressed %r, the map saw %r" % (recorded("Key", "vk", "down"),
                                                                  keys))
    # The trace holds a message's title and text; the watcher also notes its icon.
    boxes = [box[:2] for box in result.messages]
    if recorded("Message", "title", "text") != boxes:
        problems.append("the trace showed %r, the watcher saw %r"
                        % (recorded("Message", "title", "text"), boxes))
    return problems


def check_trace(sim, result):
    """Replays the run's trace on the simulated handset and compares what it
    records with what the simulators saw."""
    if result.trace_path is None:
        result.replay_status = 2
        result.replay_verdict = "the launcher left no trace"
        return
    # In English whatever the locale: the verdict is read by its words.
    english = dict(os.environ, LC_ALL="C")
    status, output, errors = run_tool([sim, "--replay", result.trace_path], english)
    result.replay_status = status
    result.replay_verdict = errors or output.rstrip("\n").rsplit("\n", 1)[-1]
    if status == 2:
        return
    vocabulary = read_vocabulary(sim)
    result.operations = read_trace(result.trace_path, vocabulary)
    result.trace_problems = trace_disagreements(result, result.operations, vocabulary)


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
    summary = "posrelay.exe ran %.3f s, %s; messages: %s" % (
        result.duration_s, outcome,
        ", ".join("%s: %s (%s icon)" % box for box in result.messages) or "none")
    # Status22, the handset's phone status value that the zoom sets, exists
    # only when the run set it: the runner deletes the key's values first.
    if result.status22 is not None:
        summary += "; the zoom set the phone status value Status22 to %d" % result.status22
    lines.append(summary)
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
