#!/usr/bin/env python3
"""The posrelay-sim commands a page shows give the output it shows.

Runs each "$ ..." line of the page's code blocks that calls posrelay-sim,
from a folder that sees the repository's top, and compares its standard
output with the lines shown under it:

- a line "..." stands for lines left out: the shown lines before it begin
  the output, those after it follow in that order, and the last shown lines
  end it unless the block ends with "...";
- a line with "…" in it stands for a line that begins with what is before
  the "…" and ends with what is after it.

A file a command names that is not in the tree (the "--check posrelay.ini"
example) is the code block just above it, written out first. A command whose
output disagrees is named, with the first shown line that does not match.

  page_commands_test.py --sim POSRELAY_SIM --top TOP --work FOLDER PAGE
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

FILE_NAME = re.compile(r"\.(ini|json|trace)$")


def code_blocks(text):
    """The page's fenced code blocks, each as its list of lines."""
    blocks = []
    block = None
    for line in text.splitlines():
        if line.startswith("```"):
            if block is None:
                block = []
            else:
                blocks.append(block)
                block = None
        elif block is not None:
            block.append(line)
    return blocks


def commands(blocks):
    """(command, shown output lines, the block above) for each posrelay-sim command."""
    found = []
    for index, block in enumerate(blocks):
        command = None
        for line in block + ["$ "]:
            if line.startswith("$ "):
                if command and re.search(r"(^|\|\s*)posrelay-sim\b", command):
                    found.append((command, shown, blocks[index - 1] if index else None))
                command = line[2:]
                shown = []
            elif command is not None:
                shown.append(line)
    return found


def line_matches(shown, actual):
    if "…" in shown:
        start, end = shown.split("…", 1)
        return len(actual) >= len(start) + len(end) and actual.startswith(start) and \
            actual.endswith(end)
    return shown == actual


def disagreement(shown, output):
    """None when output shows as the page says, else what disagrees."""
    segments = [[]]
    for line in shown:
        if line.strip() == "...":
            segments.append([])
        else:
            segments[-1].append(line)
    open_end = not segments[-1]
    segments_to_find = [segment for segment in segments if segment]
    position = 0
    for number, segment in enumerate(segments_to_find):
        at_start = number == 0 and segments[0]
        at_end = number == len(segments_to_find) - 1 and not open_end
        if at_start:
            candidates = [0]
        elif at_end:
            candidates = [len(output) - len(segment)]
        else:
            candidates = range(position, len(output) - len(segment) + 1)
        found = None
        for start in candidates:
            if start < position or start + len(segment) > len(output):
                continue
            if all(line_matches(s, output[start + i]) for i, s in enumerate(segment)):
                found = start
                break
        if found is None:
            if at_start or at_end:
                start = candidates[0]
                for i, line in enumerate(segment):
                    actual = output[start + i] if 0 <= start + i < len(output) else "(no line)"
                    if start < position or not line_matches(line, actual):
                        where = "begins" if at_start else "ends"
                        return f"the output {where} otherwise: the page shows\n  {line}\n" \
                            f"where the output has\n  {actual}"
            return f"the output has no lines, after line {position}, that read\n  " + \
                "\n  ".join(segment)
        position = found + len(segment)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True, type=Path)
    parser.add_argument("--top", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("page", type=Path)
    args = parser.parse_args()

    # The tool under its own name on the path; a folder that sees the tree.
    shutil.rmtree(args.work, ignore_errors=True)
    bin_folder = args.work / "bin"
    bin_folder.mkdir(parents=True)
    (bin_folder / "posrelay-sim").symlink_to(args.sim.resolve())
    environment = {key: value for key, value in os.environ.items()
                   if not key.startswith("LC_") and key not in ("LANG", "LANGUAGE")}
    environment["LC_ALL"] = "C"
    environment["PATH"] = f"{bin_folder}{os.pathsep}{environment.get('PATH', '')}"

    found = commands(code_blocks(args.page.read_text(encoding="utf-8")))
    if not found:
        print(f"FAIL: {args.page} shows no posrelay-sim command")
        return 1
    failures = 0
    for number, (command, shown, above) in enumerate(found):
        folder = args.work / f"command{number}"
        folder.mkdir()
        for entry in args.top.iterdir():
            if entry.name != "build":
                (folder / entry.name).symlink_to(entry.resolve())
        for word in shlex.split(command):
            if FILE_NAME.search(word) and not (folder / word).exists():
                if above is None or any(line.startswith("$ ") for line in above):
                    print(f"FAIL: {command}: names {word}, which neither the tree nor the "
                          "block above it holds")
                    failures += 1
                    break
                (folder / word).write_text("\n".join(above) + "\n", encoding="utf-8")
        result = subprocess.run(["sh", "-c", command], cwd=folder, env=environment,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
        output = result.stdout.decode("utf-8", errors="replace").splitlines()
        problem = disagreement(shown, output)
        if problem:
            print(f"FAIL: {args.page.name}: $ {command}\n{problem}")
            if result.stderr:
                print("its standard error:\n" + result.stderr.decode("utf-8", errors="replace"))
            failures += 1
        else:
            print(f"ok: $ {command}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
