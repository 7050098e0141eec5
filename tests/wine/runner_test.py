#!/usr/bin/env python3
"""The runner's safeguards, without Wine: which work folders it takes, which
scenarios it refuses, what it reads from a settings file and where it lays
the stand-in map.

  PYTHONPATH=wine_harness tests/wine/runner_test.py --sim build/host/posrelay-sim
"""
import argparse
import json
import os
import select
import subprocess
import sys
import tempfile
import time
import unittest

from handset_runs import pauses_problem
from plan import RunnerError, fallback_note, map_place, plan_run
from wine_probe import FORCE_VARIABLE, probe
from wine_session import (WINE, WORK_MARKER, WineError, WineSession, claim_work_folder,
                          decode_wine_output)

HERE = os.path.dirname(os.path.abspath(__file__))
HARNESS = os.path.join(HERE, "..", "..", "wine_harness")

SIM = None
PORT_LIMIT_S = 10


def make_files(folder, names):
    for name in names:
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()


def files_under(folder):
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, names in os.walk(folder) for name in names)


def open_port(link, module):
    """The module simulator's port, once it is ready."""
    deadline = time.monotonic() + PORT_LIMIT_S
    while not os.path.exists(link):
        if module.poll() is not None or time.monotonic() > deadline:
            raise AssertionError("the module simulator did not make its port")
        time.sleep(0.05)
    return os.open(link, os.O_RDWR | os.O_NOCTTY)


def read_for(port, count):
    """`count` bytes from the port, or what came before a quiet half second."""
    data = b""
    while len(data) < count or not count:
        readable, _, _ = select.select([port], [], [], 0.5)
        if not readable:
            break
        data += os.read(port, 4096)
    return data


class Runner(unittest.TestCase):
    def test_work_folder_is_emptied_only_when_a_run_made_it(self):
        cases = [  # name, files in the folder beforehand (None: no folder), refused
            ("new", None, False),
            ("empty", [], False),
            ("made by a run", [WORK_MARKER, "logs/map.jsonl"], False),
            # Only the marker tells: a folder laid out like a run's is not enough.
            ("laid out like a run's, unmarked", ["tmp/a", "xdg-data/b", "xdg-config/c",
                                                 "xdg-cache/d", "posrelay.log"], True),
            ("someone's files", ["notes.txt"], True),
            ("someone's project with a tmp folder", ["tmp/a", "src/main.c"], True),
        ]
        for name, files, refused in cases:
            with self.subTest(name), tempfile.TemporaryDirectory() as top:
                work = os.path.join(top, "work")
                if files is not None:
                    os.makedirs(work)
                    make_files(work, files)
                if refused:
                    self.assertRaises(WineError, claim_work_folder, work)
                    self.assertEqual(files_under(work), sorted(files))
                else:
                    claim_work_folder(work)
                    self.assertEqual(os.listdir(work), [WORK_MARKER])

    def test_prefix_that_a_session_did_not_make_is_left_alone(self):
        if not WINE:
            self.skipTest("wine64 is not installed")
        with tempfile.TemporaryDirectory() as top:
            prefix = os.path.join(top, "prefix")
            make_files(prefix, ["notes.txt"])
            with self.assertRaisesRegex(WineError, "not a prefix made by these tests"):
                with WineSession(prefix, os.path.join(top, "work")):
                    pass
            self.assertEqual(files_under(prefix), ["notes.txt"])

    def test_scenario_and_settings_are_read_by_posrelay_sim(self):
        # name, scenario, settings bytes, error, gpath, notes, fields of the
        # scenario as planned: each given one, and defaults from posrelay-sim
        cases = [
            ("misspelled field", '{"map": {"runing": true}}', None,
             "map.runing: unknown field", None, [], {}),
            ("own gpath and port", '{"connections": [], "module": {"port": "COM1:"}}',
             b"gpath=\\\x92\x6e\x90\x7d\\Map.exe\r\ncomport=COM3:\r\n", None, "\\地図\\Map.exe",
             ["connections", "comport \"COM3:\""],
             {"connections": [], "module.port": "COM1:", "module.portExists": True,
              "map.appearsAfterMs": 0, "internet.bytes": 10}),
            ("path from another drive", None, b"gpath=D:\\Map.exe\n", None, "D:\\Map.exe",
             ["gpath \"D:\\\\Map.exe\" is not a path from the handset's root"],
             {"map.closesAfterMs": 0, "registryKeyExists": True}),
            ("closed internet, map that never appears",
             '{"internet": {"opens": false}, "map": {"appearsAfterMs": null}}', None, None,
             "\\Program Files\\GoogleMaps\\GoogleMaps.exe", ["internet.opens"],
             {"internet.opens": False, "internet.reachable": True, "map.appearsAfterMs": None,
              "map.running": False}),
        ]
        for name, scenario, settings, error, gpath, notes, fields in cases:
            with self.subTest(name), tempfile.TemporaryDirectory() as top:
                scenario_path = ini = None
                if scenario is not None:
                    scenario_path = os.path.join(top, "handset.json")
                    with open(scenario_path, "w") as file:
                        file.write(scenario)
                if settings is not None:
                    ini = os.path.join(top, "posrelay.ini")
                    with open(ini, "wb") as file:
                        file.write(settings)
                if error:
                    with self.assertRaisesRegex(RunnerError, error):
                        plan_run(SIM, scenario_path, ini)
                    continue
                plan = plan_run(SIM, scenario_path, ini)
                self.assertEqual(plan.gpath, gpath)
                self.assertEqual(len(plan.notes), len(notes), plan.notes)
                for note, start in zip(plan.notes, notes):
                    self.assertTrue(note.startswith(start), note)
                for field, value in fields.items():
                    section, _, member = field.partition(".")
                    planned = plan.scenario[section]
                    self.assertEqual(planned[member] if member else planned, value, field)

    def test_module_simulator_answers_on_its_port_as_posrelay_sim(self):
        ok = b"\r\nOK\r\n"
        position = b"\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"
        cases = [  # scenario (None: the default handset), what is written and answered
            (None, [(b"ATI4\r", b"\r\nRX410\r\n\r\nOK\r\n"), (b"AT@K\r", ok),
                    (b"AT@LBC?\r", position)]),
            ('{"module": {"identification": "", "positionReplies": ["\\r\\n測位中\\r\\n"]}}',
             [(b"ATI4\r", b""), (b"AT@LBC?\r", "\r\n測位中\r\n".encode("cp932")),
              (b"AT@LBC?\r", "\r\n測位中\r\n".encode("cp932"))]),
            # A command that arrives in two pieces is answered once it ends.
            (None, [(b"AT@", b""), (b"LBC?\r", position)]),
        ]
        for scenario, dialogue in cases:
            with self.subTest(scenario), tempfile.TemporaryDirectory() as top:
                command = [sys.executable, os.path.join(HARNESS, "module_simulator.py"),
                           "--sim", SIM, "--link", os.path.join(top, "com1"),
                           "--log", os.path.join(top, "module.jsonl")]
                if scenario is not None:
                    with open(os.path.join(top, "handset.json"), "w") as file:
                        file.write(scenario)
                    command += ["--scenario", os.path.join(top, "handset.json")]
                module = subprocess.Popen(command)
                try:
                    port = open_port(os.path.join(top, "com1"), module)
                    try:
                        for written, expected in dialogue:
                            os.write(port, written)
                            self.assertEqual(read_for(port, len(expected)), expected, written)
                    finally:
                        os.close(port)
                finally:
                    module.terminate()
                    self.assertEqual(module.wait(timeout=10), 0)
                with open(os.path.join(top, "module.jsonl"), encoding="utf-8") as log:
                    events = [json.loads(line) for line in log]
                commands = [e["text"] for e in events if e["event"] == "command"]
                sent = b"".join(written for written, _ in dialogue).decode("ascii")
                self.assertEqual("".join(commands), sent)
                self.assertEqual(len(commands), sent.count("\r"))

    def test_stand_in_is_laid_only_under_the_root(self):
        self.assertEqual(map_place("\\Program Files\\Maps\\Map.exe"),
                         ["Program Files", "Maps", "Map.exe"])
        for gpath in ("C:\\Map.exe", "Map.exe", "\\\\server\\Map.exe", "\\..\\..\\Map.exe",
                      "\\Maps\\.\\Map.exe", "\\Maps\\"):
            self.assertIsNone(map_place(gpath), gpath)

    def test_the_64_bit_fallback_is_said_with_its_reason(self):
        with tempfile.TemporaryDirectory() as top:
            os.environ[FORCE_VARIABLE] = "1"
            try:
                runs, reason = probe(os.path.join(top, "prefix"), os.path.join(top, "work"))
            finally:
                del os.environ[FORCE_VARIABLE]
            self.assertEqual((runs, reason), (False, FORCE_VARIABLE + " is set"))
            self.assertFalse(os.path.exists(os.path.join(top, "prefix")), "no Wine was started")
            answer = "32-bit Windows programs under Wine: no: " + reason
            with open(os.path.join(top, "wine-probe.txt"), "w") as file:
                file.write(answer + "\n")
            for machine, note in ((0x014C, None), (0x8664, answer)):
                launcher = os.path.join(top, "posrelay.exe")
                with open(launcher, "wb") as program:
                    program.write(b"MZ" + bytes(0x3A) + (0x40).to_bytes(4, "little") + b"PE\0\0"
                                  + machine.to_bytes(2, "little") + bytes(64))
                said = fallback_note(launcher)
                if note is None:
                    self.assertIsNone(said)
                else:
                    self.assertIn("64-bit", said)
                    self.assertIn(note, said)

    def test_wine_output_reads_in_its_code_page(self):
        cases = [  # bytes, text
            ("アプリケーションを開始できません。".encode("cp932"), "アプリケーションを開始できません。"),
            ("[  PASSED  ] 位置".encode("utf-8"), "[  PASSED  ] 位置"),
            (b"\x82\xa0\x82", "\u3042\\x82"),  # cut after a lead byte
        ]
        for data, text in cases:
            self.assertEqual(decode_wine_output(data), text)

    def test_pauses_are_judged_short_on_the_launchers_clock_only(self):
        cases = [  # launcher's ms, received ms, problem
            (201, 201, None),
            # A busy machine woke the module late for one command: its gap
            # looks short as received, never on the launcher's clock.
            (201, 125, None),
            (199, 201, "199 ms after AT@LBC? on the launcher's clock, expected at least 200"),
            (201, 501, None),
            (201, 502, "502 ms after AT@LBC? as received, expected at most 501"),
        ]
        for own, seen, problem in cases:
            found = pauses_problem([("AT@LBC?", own, seen, 200, 201)])
            if problem is None:
                self.assertIsNone(found)
            else:
                self.assertIn(problem, found)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sim", required=True)
    options, rest = parser.parse_known_args()
    SIM = os.path.abspath(options.sim)
    unittest.main(argv=[sys.argv[0]] + rest)
