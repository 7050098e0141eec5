#!/usr/bin/env python3
"""tools/install-packages.sh against a registry that misbehaves.

apt-get, dpkg and the rest are stand-ins that keep the machine's packages
and architectures in a JSON file, so each case starts from a known machine
and the registry fails as the case says, without root or a network.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import wine_probe

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

SIZE_MISMATCH = ("E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/"
                 "main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). "
                 "Mirror sync in progress? [IP: 192.0.2.1 80]")

# One program for every command the installer runs; it acts as the name it
# was called by.
STAND_IN = r'''#!PYTHON
import json, os, sys
name, args = os.path.basename(sys.argv[0]), sys.argv[1:]
path = os.environ["FAKE_MACHINE"]
machine = json.load(open(path))
machine["calls"].append(" ".join([name] + args))
def done(status=0, said=""):
    if said: print(said)
    json.dump(machine, open(path, "w"))
    sys.exit(status)
if name == "sudo":
    done()  # never reached: the installer runs as root here
if name == "dpkg" and args == ["--print-foreign-architectures"]:
    done(0, "\n".join(machine["foreign"]))
if name == "dpkg" and args[0] == "--add-architecture":
    if machine.get("refuse_architecture"):
        done(2, "dpkg: error: cannot add the architecture")
    machine["foreign"].append(args[1]); done()
if name == "dpkg" and args[0] == "--remove-architecture":
    if any(p.endswith(":" + args[1]) for p in machine["installed"]):
        done(2, "dpkg: error: cannot remove architecture in use")
    machine["foreign"].remove(args[1]); done()
if name == "dpkg-query":
    done(0 if args[-1] in machine["installed"] else 1,
         "install ok installed" if args[-1] in machine["installed"] else "")
if name == "apt-get" and "update" in args:
    failures = machine["update_failures"]
    machine["update_failures"] = failures[1:]
    fails = bool(failures) and "i386" in machine["foreign"]
    machine["i386_index"] = "i386" in machine["foreign"] and not fails
    done(100 if fails else 0, failures[0] if fails else "")
if name == "apt-get" and "install" in args:
    wanted = [a for a in args if not a.startswith("-") and a != "install"]
    refused = [p for p in wanted if p in machine["uninstallable"]
               or (p.endswith(":i386") and not machine.get("i386_index"))]
    if refused:
        done(100, "E: Package '%s' has no installation candidate" % refused[0])
    if "-s" not in args:
        machine["installed"] += wanted
    done()
if name == "id":
    done(0, "0")
if name == "locale":
    done(0, "ja_JP.utf8\nde_DE.utf8")
done()
'''

REQUIRED = ["cmake", "chromium", "wine64"]  # a few; the rest are taken as installed


class Machine:
    def __init__(self, folder, **state):
        self.folder = folder
        self.path = os.path.join(folder, "machine.json")
        state.setdefault("foreign", [])
        state.setdefault("installed", [])
        state.setdefault("uninstallable", [])
        state.setdefault("update_failures", [])
        state["calls"] = []
        json.dump(state, open(self.path, "w"))

    def state(self):
        return json.load(open(self.path))


def run_installer(folder, machine):
    tree = os.path.join(folder, "tree")
    os.makedirs(os.path.join(tree, "tools", "page"))
    script = os.path.join(tree, "tools", "install-packages.sh")
    shutil.copy(os.path.join(ROOT, "tools", "install-packages.sh"), script)
    bin_folder = os.path.join(folder, "bin")
    os.makedirs(bin_folder)
    stand_in = os.path.join(bin_folder, "stand_in")
    with open(stand_in, "w") as file:
        file.write(STAND_IN.replace("PYTHON", sys.executable + " -S", 1))
    os.chmod(stand_in, 0o755)
    for name in ("apt-get", "dpkg", "dpkg-query", "sudo", "sleep", "locale", "npm", "locale-gen",
                 "id"):
        os.symlink(stand_in, os.path.join(bin_folder, name))
    # Every package but the few the cases name is taken as installed.
    with open(script) as file:
        text = file.read()
    text = text.replace("packages=(", "packages=(%s\n  )\nunused=(" % " ".join(REQUIRED), 1)
    with open(script, "w") as file:
        file.write(text)
    environment = dict(os.environ, FAKE_MACHINE=machine.path,
                       PATH=bin_folder + os.pathsep + os.environ["PATH"])
    done = subprocess.run(["bash", script], capture_output=True, text=True, env=environment,
                          timeout=60)
    reason_file = os.path.join(tree, "build", "wine32-not-installed.txt")
    return done, machine.state(), reason_file


# (case, machine, exit status, the start of a line the output must hold, i386
#  afterwards,
#  apt-get updates made)
CASES = [
    ("healthy registry on a bare machine", {}, 0, "installing: cmake chromium wine64", True, 2),
    ("everything already there", {"installed": REQUIRED + ["wine32:i386"], "foreign": ["i386"]},
     0, None, True, 0),
    ("i386 index of the wrong size, twice",
     {"installed": REQUIRED, "update_failures": [SIZE_MISMATCH, SIZE_MISMATCH]}, 0,
     "32-bit Windows programs will not run here: Debian's i386 packages could not be fetched "
     "(Failed to fetch bookworm-security/main/binary-i386/Packages.xz  File has unexpected size "
     "(374820 != 376004). Mirror sync in progress?)", False, 2),
    ("i386 index of the wrong size once", {"installed": REQUIRED, "update_failures":
                                           [SIZE_MISMATCH]}, 0, None, True, 2),
    ("i386 left by an earlier run, index broken",
     {"foreign": ["i386"], "update_failures": [SIZE_MISMATCH] * 4}, 0,
     "32-bit Windows programs will not run here: Debian's i386", False, 4),
    ("architecture refused", {"installed": REQUIRED, "refuse_architecture": True}, 0,
     "32-bit Windows programs will not run here: the i386 architecture cannot be added "
     "(dpkg: dpkg: error: cannot add the architecture)", False, 0),
    ("wine32 not installable", {"installed": REQUIRED, "uninstallable": ["wine32:i386"]}, 0,
     "32-bit Windows programs will not run here: wine32:i386 could not be installed "
     "(Package 'wine32:i386' has no installation candidate)", False, 1),
    ("a needed package not installable", {"uninstallable": ["chromium"]}, 1,
     "cannot install chromium: Package 'chromium' has no installation candidate", False, 1),
]


class InstallerTest(unittest.TestCase):
    def test_cases(self):
        for case, state, status, line, i386_after, updates in CASES:
            with self.subTest(case), tempfile.TemporaryDirectory() as folder:
                machine = Machine(folder, **state)
                done, after, reason_file = run_installer(folder, machine)
                said = done.stdout + done.stderr
                self.assertEqual(done.returncode, status, said)
                if line:
                    self.assertTrue(any(said_line.startswith(line)
                                        for said_line in said.splitlines()), said)
                self.assertEqual("i386" in after["foreign"], i386_after, said)
                self.assertEqual(sum("update" in c.split() for c in after["calls"]), updates,
                                 after["calls"])
                if status == 0:
                    # The first step's packages stay, whatever the second did.
                    self.assertTrue(set(REQUIRED) <= set(after["installed"]), case)
                    self.assertEqual(os.path.exists(reason_file), not i386_after, case)

    def test_probe_names_the_installers_reason(self):
        with tempfile.TemporaryDirectory() as folder:
            done, _, reason_file = run_installer(folder, Machine(
                folder, installed=REQUIRED, update_failures=[SIZE_MISMATCH, SIZE_MISMATCH]))
            self.assertEqual(done.returncode, 0)
            answer = wine_probe.answer_line(False, wine_probe.not_installed(reason_file))
            self.assertTrue(answer.startswith(
                "32-bit Windows programs under Wine: no: Wine's 32-bit part is not installed: "
                "Debian's i386 packages could not be fetched ("), answer)


if __name__ == "__main__":
    unittest.main()
