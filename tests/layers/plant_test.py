#!/usr/bin/env python3
"""Each way of including against the layers fails the build.

Copies the tree, configures the copy, builds posrelay_platform (the lowest
layer, one source) once as it is, then once for each wrong-way include
planted in it (in one of its files, or in a file of its own), and expects
each of those builds to fail for that include.

  plant_test.py --source TOP --work FOLDER --cmake CMAKE --generator G --cxx COMPILER
"""

import argparse
import shutil
import subprocess
import sys
from pathlib import Path

TARGET = "posrelay_platform"

# name, file planted in, include planted at its top, what the failed build says
PLANTS = [
    ("higher folder", "platform/pause.cpp", '#include "settings/launcher_settings.h"',
     "settings/launcher_settings.h: No such file"),
    ("higher folder, in a header no source includes", "platform/ras_connection.h",
     '#include "settings/launcher_settings.h"', "settings/launcher_settings.h: No such file"),
    ("the Windows platform from the layer around it", "platform/pause.cpp",
     '#include "platform/win32/win32_platform.h"', "platform/win32/win32_platform.h: No such file"),
    ("climbing out beside the file", "platform/pause.cpp",
     '#include "../settings/launcher_settings.h"',
     'include "../settings/launcher_settings.h" climbs out of the layer\'s view'),
    ("climbing out through the view", "platform/pause.h",
     '#include "platform/../settings/launcher_settings.h"',
     'include "platform/../settings/launcher_settings.h" climbs out of the layer\'s view'),
    ("climbing out with the other slash", "platform/pause.cpp",
     '#include "..\\settings\\launcher_settings.h"', "climbs out of the layer's view"),
    ("from the file system's root", "platform/pause.cpp",
     '#include "{top}/settings/launcher_settings.h"', "names a place outside the layer's view"),
    ("the Windows platform found beside the file", "platform/pause.cpp",
     '#include "win32/win32_platform.h"',
     'include "win32/win32_platform.h" is found beside the file'),
    ("a folder beside, in angle brackets", "platform/pause.cpp", "#include <text/read_integer.h>",
     "text/read_integer.h: No such file"),
    ("through a macro", "platform/pause.cpp",
     '#define PLANTED_HEADER "../settings/launcher_settings.h"\n#include PLANTED_HEADER',
     "include PLANTED_HEADER names its file through a macro"),
    ("in a file of another ending, which no source includes", "platform/planted.inl",
     '#include "../settings/launcher_settings.h"',
     'include "../settings/launcher_settings.h" climbs out of the layer\'s view'),
]


def run(command, cwd=None):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, check=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("--cxx", required=True)
    args = parser.parse_args()

    top = args.work / "tree"
    build = args.work / "build"
    shutil.rmtree(args.work, ignore_errors=True)
    shutil.copytree(args.source, top, symlinks=True,
                    ignore=shutil.ignore_patterns("build", ".git"))
    configure = run([args.cmake, "-S", top, "-B", build, "-G", args.generator,
                     f"-DCMAKE_CXX_COMPILER={args.cxx}", "-DPOSRELAY_WARNINGS_AS_ERRORS=ON",
                     "-DPOSRELAY_STATIC_CHECKS=ON"])
    if configure.returncode != 0:
        print(configure.stdout)
        print("FAIL: the copy does not configure")
        return 1
    build_command = [args.cmake, "--build", build, "--target", TARGET, TARGET + "_headers"]
    clean = run(build_command)
    if clean.returncode != 0:
        print(clean.stdout)
        print(f"FAIL: {TARGET} does not build before anything is planted")
        return 1

    failures = 0
    for name, planted, include, expected in PLANTS:
        path = top / planted
        original = path.read_text(encoding="utf-8") if path.exists() else None
        include = include.format(top=top)
        path.write_text(include + "\n" + (original or ""), encoding="utf-8")
        try:
            result = run(build_command)
        finally:
            if original is None:
                path.unlink()
            else:
                path.write_text(original, encoding="utf-8")
        expected = expected.format(top=top)
        if result.returncode == 0:
            print(f"FAIL: {name}: {include} in {planted} builds")
            failures += 1
        elif expected not in result.stdout:
            print(result.stdout)
            print(f"FAIL: {name}: the build of {include} in {planted} fails without "
                  f"saying {expected!r}")
            failures += 1
        else:
            print(f"ok: {name}: {include} in {planted} fails the build")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
