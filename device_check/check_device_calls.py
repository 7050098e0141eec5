#!/usr/bin/env python3
"""Fails when the handset's objects call a function that device_calls.txt
does not list.

  check_device_calls.py --list device_calls.txt --nm llvm-nm OBJECT...

A call is a symbol that an object needs and none of the objects defines,
named as the list names it: without the import prefix "__imp_" and without a
C++ function's parameters. The C++ library's own templates (namespace std)
are left aside: the device's compiler compiles its own library's headers
into the program."""
import argparse
import subprocess
import sys


def listed_names(path):
    with open(path, encoding="utf-8") as listing:
        return {line.split("|")[0].strip() for line in listing
                if line.strip() and not line.startswith("#")}


def symbols(nm, obj, which):
    output = subprocess.run([nm, "--demangle", "--just-symbol-name", which, obj],
                            capture_output=True, text=True, check=True).stdout
    return {line.strip() for line in output.splitlines() if line.strip()}


# mingw-w64's headers route these C functions through wrappers of their own;
# the device's compiler calls the run-time library's function itself.
MINGW_WRAPPERS = {"__mingw_strtod": "strtod", "__mingw_vsprintf": "sprintf"}


def call_name(symbol):
    if symbol.startswith("__imp_"):
        symbol = symbol[len("__imp_"):]
    symbol = MINGW_WRAPPERS.get(symbol, symbol)
    depth = 0
    for index, character in enumerate(symbol):
        # The parameter list is the first "(" outside template arguments.
        if character == "<":
            depth += 1
        elif character == ">":
            depth -= 1
        elif character == "(" and depth == 0:
            return symbol[:index]
    return symbol


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", required=True)
    parser.add_argument("--nm", required=True)
    parser.add_argument("objects", nargs="+")
    options = parser.parse_args()

    defined, needed = set(), {}
    for obj in options.objects:
        defined |= symbols(options.nm, obj, "--defined-only")
        for symbol in symbols(options.nm, obj, "--undefined-only"):
            needed.setdefault(symbol, []).append(obj)
    calls = {}
    for symbol, objects in needed.items():
        if symbol in defined or symbol.startswith("std::"):
            continue
        calls.setdefault(call_name(symbol), set()).update(objects)

    listed = listed_names(options.list)
    unlisted = sorted(name for name in calls if name not in listed)
    for name in unlisted:
        print("not in the list: %s (called from %s)" % (name, ", ".join(sorted(calls[name]))))
    for name in sorted(listed - set(calls)):
        print("listed, not called: %s" % name)
    print("%d functions called beyond the handset's own code, %d listed"
          % (len(calls), len(calls) - len(unlisted)))
    return 1 if unlisted else 0


if __name__ == "__main__":
    sys.exit(main())
