#!/usr/bin/env python3
"""Each scenario of this folder beside its expected timeline: the dry run's
text output (posrelay-sim --scenario X.json, or --ini X.ini on the default
handset) in X.timeline, compared byte for byte.

  expected.py [--sim POSRELAY_SIM]            compare; exit 1 on a difference
  expected.py [--sim POSRELAY_SIM] --write    write the timelines anew

POSRELAY_SIM defaults to build/host/posrelay-sim at the repository's top.
"""
import argparse
import difflib
import os
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
TOP = HERE.parent.parent
OPTION = {".json": "--scenario", ".ini": "--ini"}


def scenarios():
    found = sorted(p for p in HERE.iterdir() if p.suffix in OPTION)
    stems = [p.stem for p in found]
    clashes = sorted({s for s in stems if stems.count(s) > 1})
    if clashes:
        sys.exit("expected.py: scenarios share a timeline's name: %s" % ", ".join(clashes))
    return found


def timeline(sim, scenario):
    # The dry run's text is the same in every locale; the C locale keeps it so.
    environment = {k: v for k, v in os.environ.items()
                   if k not in ("LC_ALL", "LC_MESSAGES", "LANG")}
    environment["LANG"] = "C"
    # From this folder, as the tool's tests run it, with the file's bare name.
    run = subprocess.run([sim, OPTION[scenario.suffix], scenario.name], cwd=HERE,
                         env=environment, capture_output=True, check=False)
    # Status 1 is a run that ends with a message; 2 is a refusal.
    if run.returncode not in (0, 1) or run.stderr:
        sys.exit("expected.py: %s: status %d\n%s" % (scenario.name, run.returncode,
                                                      run.stderr.decode(errors="replace")))
    return run.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", default=str(TOP / "build" / "host" / "posrelay-sim"))
    parser.add_argument("--write", action="store_true", help="write the timelines anew")
    arguments = parser.parse_args()
    differing = []
    for scenario in scenarios():
        expected = scenario.with_suffix(".timeline")
        text = timeline(arguments.sim, scenario)
        if arguments.write:
            expected.write_bytes(text)
            continue
        kept = expected.read_bytes() if expected.exists() else None
        if kept == text:
            continue
        differing.append(expected.name)
        if kept is None:
            print("%s: missing; expected.py --write makes it" % expected.name)
            continue
        sys.stdout.writelines(difflib.unified_diff(
            kept.decode("utf-8", "replace").splitlines(True),
            text.decode("utf-8", "replace").splitlines(True),
            expected.name, "posrelay-sim " + OPTION[scenario.suffix] + " " + scenario.name))
    kept_names = {p.with_suffix(".timeline").name for p in scenarios()}
    for orphan in sorted(p.name for p in HERE.glob("*.timeline") if p.name not in kept_names):
        differing.append(orphan)
        print("%s: no scenario of that name is left" % orphan)
    if differing:
        print("differing: %s; after an intended change: %s --write" % (
            ", ".join(differing), pathlib.Path(__file__).relative_to(TOP)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
