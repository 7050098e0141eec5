#!/usr/bin/env python3
"""Checks route 1's makefile for the handset (posrelay-evc4.mak): the copy
CMake wrote into the build folder is the checked-in one, byte for byte, and
it builds exactly the handset build's sources, with its definitions, into
one program linked with its libraries.

    check_makefile.py --generated BUILD/posrelay-evc4.mak --checked-in TOP/posrelay-evc4.mak
                      --top TOP --ce-version 420 --source=a.cpp ... --define=UNICODE ...
                      --library=wininet ...
"""

import argparse
import difflib
import os
import re
import sys

# The device compiler's own definitions for an ARMV4 release build, which no
# other route names.
EVC4_DEFINITIONS = ["ARM", "_ARM_", "ARMV4", "NDEBUG"]
# The system's libraries: coredll.dll's imports and the C run-time start-up.
SYSTEM_LIBRARIES = ["coredll.lib", "corelibc.lib"]
# Folders whose every .cpp is the handset's; the desktop's stand-in for MFC
# is not.
HANDSET_FOLDERS = [
    "platform", "platform/win32", "text", "settings", "position", "mapctl", "trace", "app", "shell"]
DESKTOP_ONLY = {"shell/mini_framework.cpp"}


def parse(text):
    """Macros and rules of an NMAKE makefile: {name: value} and a list of
    (targets, dependencies, commands)."""
    lines = text.replace("\\\n", " ").split("\n")
    macros, rules = {}, []
    inline = False
    for line in lines:
        if inline:
            rules[-1][2].append(line)
            inline = line != "<<"
        elif line.startswith("\t"):
            if not rules:
                rules.append(("", [], []))
            rules[-1][2].append(line.strip())
            inline = line.rstrip().endswith("<<")
        elif not line.strip() or line.startswith("#"):
            continue
        elif re.match(r"^\w+ =", line):
            name, value = line.split("=", 1)
            macros[name.strip()] = " ".join(value.split())
        else:
            targets, dependencies = line.split(": ", 1) if ": " in line else (line.rstrip(":"), "")
            rules.append((targets, dependencies.split(), []))
    return macros, rules


def expand(value, macros):
    return re.sub(r"\$\((\w+)\)", lambda m: expand(macros.get(m.group(1), m.group(0)), macros),
                  value)


def definitions(flags, switch):
    words = flags.split()
    return [words[i + 1] for i, word in enumerate(words) if word == switch]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--generated", required=True)
    parser.add_argument("--checked-in", required=True)
    parser.add_argument("--top", required=True)
    parser.add_argument("--ce-version", required=True)
    parser.add_argument("--source", action="append", default=[])
    parser.add_argument("--define", action="append", default=[])
    parser.add_argument("--library", action="append", default=[])
    args = parser.parse_args()
    problems = []

    with open(args.generated, "rb") as generated, open(args.checked_in, "rb") as checked_in:
        raw, kept = generated.read(), checked_in.read()
    if raw != kept:
        problems.append("the checked-in copy differs from CMake's; copy %s over %s:" %
                        (args.generated, args.checked_in))
        problems += difflib.unified_diff(kept.decode().splitlines(), raw.decode().splitlines(),
                                         args.checked_in, args.generated, lineterm="")
    if not raw.endswith(b"\r\n") or raw.count(b"\n") != raw.count(b"\r\n"):
        problems.append("lines do not all end in CR LF")
    try:
        text = raw.decode("ascii").replace("\r\n", "\n")
    except UnicodeDecodeError as error:
        problems.append("not ASCII: %s" % error)
        text = raw.decode("latin-1").replace("\r\n", "\n")
    macros, rules = parse(text)

    # Sources: what CMake lists, and what the handset's folders hold.
    on_disk = sorted(
        "%s/%s" % (folder, name) for folder in HANDSET_FOLDERS
        for name in os.listdir(os.path.join(args.top, folder))
        if name.endswith(".cpp") and "%s/%s" % (folder, name) not in DESKTOP_ONLY)
    if sorted(args.source) != on_disk:
        problems.append("CMake's handset sources %s are not the handset folders' %s" %
                        (sorted(args.source), on_disk))
    objects = expand(macros.get("OBJS", ""), macros).split()
    compiled = {}
    for targets, dependencies, commands in rules:
        target = expand(targets, macros)
        if target not in objects:
            continue
        source = dependencies[0] if dependencies else ""
        if commands != ["$(CPP) $(CPP_FLAGS) /Fo$@ %s" % source]:
            problems.append("%s is not made by compiling its source: %s" % (target, commands))
        compiled[target] = source.replace("\\", "/")
    if len(set(objects)) != len(objects):
        problems.append("an object is listed twice: %s" % objects)
    missing = [o for o in objects if o not in compiled]
    if missing:
        problems.append("objects without a rule: %s" % missing)
    if sorted(compiled.values()) != sorted(args.source):
        problems.append("compiled %s, but the handset build's sources are %s" %
                        (sorted(compiled.values()), sorted(args.source)))

    # Definitions, the same for the compiler and the resource compiler.
    expected = sorted(["UNDER_CE=" + args.ce_version, "_WIN32_WCE=" + args.ce_version] +
                      args.define + EVC4_DEFINITIONS)
    cpp_flags = expand(macros.get("CPP_FLAGS", ""), macros)
    rsc_flags = expand(macros.get("RSC_FLAGS", ""), macros)
    for name, found in (("CPP_FLAGS", definitions(cpp_flags, "/D")),
                        ("RSC_FLAGS", definitions(rsc_flags, "/d"))):
        if sorted(found) != expected:
            problems.append("%s defines %s, not %s" % (name, sorted(found), expected))
    for flag in ("/GX", "/GR", "/EHsc", "_AFXDLL", "/MD"):
        if flag in cpp_flags:
            problems.append("CPP_FLAGS has %s" % flag)

    # One program, linked from every object, the resources and the libraries.
    libraries = macros.get("LIBS", "").split()
    if sorted(libraries) != sorted([l + ".lib" for l in args.library] + SYSTEM_LIBRARIES):
        problems.append("LIBS is %s, not the handset's %s and the system's %s" %
                        (libraries, args.library, SYSTEM_LIBRARIES))
    link_flags = macros.get("LINK_FLAGS", "").split()
    for flag in ("/subsystem:windowsce,4.20", "/machine:ARM"):
        if flag not in link_flags:
            problems.append("LINK_FLAGS lacks %s" % flag)
    links = [r for r in rules if r[0] == "$(OUTDIR)\\posrelay.exe"]
    link = " ".join(links[0][2]) if links else ""
    for part in ("$(LINK32) @<<", "$(LINK_FLAGS)", "$(OBJS)", "$(OUTDIR)\\posrelay.res",
                 "$(LIBS)"):
        if part not in link:
            problems.append("posrelay.exe is not linked with %s: %r" % (part, link))
    resources = [r for r in rules if r[0] == "$(OUTDIR)\\posrelay.res"]
    if not resources or resources[0][1][:1] != ["shell\\res\\posrelay.rc"]:
        problems.append("no rule compiles shell\\res\\posrelay.rc")

    for problem in problems:
        print(problem)
    print("%s: %d sources, %d definitions, %d libraries%s" % (
        args.checked_in, len(compiled), len(expected), len(libraries),
        "" if not problems else ": %d problems" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
