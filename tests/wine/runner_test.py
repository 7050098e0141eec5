#!/usr/bin/env python3
"""The runner's safeguards, without Wine: which work folders it takes, which
scenarios it refuses, what it reads from a settings file and where it lays
the stand-in map.

  runner_test.py --sim build/host/posrelay-sim
"""
import argparse
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "handset"))
from run_handset import RunnerError, map_place, plan_run  # noqa: E402
from wine_session import WINE, WORK_MARKER, WineError, WineSession, claim_work_folder  # noqa: E402

SIM = None


def make_files(folder, names):
    for name in names:
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()


def files_under(folder):
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, names in os.walk(folder) for name in names)


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
        cases = [  # name, scenario, settings bytes, error, gpath, notes
            ("misspelled field", '{"map": {"runing": true}}', None,
             "map.runing: unknown field", None, []),
            ("own gpath and port", '{"connections": [], "module": {"port": "COM1:"}}',
             b"gpath=\\\x92\x6e\x90\x7d\\Map.exe\r\ncomport=COM3:\r\n", None, "\\地図\\Map.exe",
             ["connections", "comport \"COM3:\""]),
            ("path from another drive", None, b"gpath=D:\\Map.exe\n", None, "D:\\Map.exe",
             ["gpath \"D:\\\\Map.exe\" is not a path from the handset's root"]),
        ]
        for name, scenario, settings, error, gpath, notes in cases:
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

    def test_stand_in_is_laid_only_under_the_root(self):
        self.assertEqual(map_place("\\Program Files\\Maps\\Map.exe"),
                         ["Program Files", "Maps", "Map.exe"])
        for gpath in ("C:\\Map.exe", "Map.exe", "\\\\server\\Map.exe", "\\..\\..\\Map.exe",
                      "\\Maps\\.\\Map.exe", "\\Maps\\"):
            self.assertIsNone(map_place(gpath), gpath)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sim", required=True)
    options, rest = parser.parse_known_args()
    SIM = os.path.abspath(options.sim)
    unittest.main(argv=[sys.argv[0]] + rest)
