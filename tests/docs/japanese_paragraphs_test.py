#!/usr/bin/env python3
"""Japanese paragraphs of a Markdown page stay on one line each.

A browser shows a line break inside a paragraph as a space, which in
Japanese text splits a word (「ファイル 名拡張子」). So each paragraph, list
item or table row whose text is Japanese is written on one line; code blocks
are left as they are. Each line whose paragraph goes on on the next line is
reported with its number.

  japanese_paragraphs_test.py PAGE...
"""

import re
import sys

# Kana, CJK ideographs, Japanese punctuation and full-width forms.
JAPANESE = re.compile("[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]")
# What a reader sees of a line's text: code spans and link targets left out.
HIDDEN = re.compile(r"`[^`]*`|\]\([^)]*\)")
# A line that begins a block of its own (heading, list item, table row, quote,
# code fence) rather than go on with the one above; nothing goes on from a
# heading.
HEADING = re.compile(r"\s*#")
BLOCK_START = re.compile(r"\s*(#|[-*+]\s|\d+\.\s|\||>|```|$)")


def paragraphs(text):
    """(first line number, lines) of each paragraph outside code blocks."""
    found = []
    in_code = False
    for number, line in enumerate(text.splitlines(), 1):
        if line.lstrip().startswith("```"):
            in_code = not in_code
            continue
        if in_code or not line.strip():
            continue
        above = found[-1][1] if found else []
        continues = above and found[-1][0] + len(above) == number and not HEADING.match(above[-1])
        if continues and not BLOCK_START.match(line):
            above.append(line)
        else:
            found.append((number, [line]))
    return found


def broken_lines(text):
    """Numbers of the lines a Japanese paragraph goes on from."""
    broken = []
    for first, lines in paragraphs(text):
        if len(lines) > 1 and JAPANESE.search(HIDDEN.sub("", " ".join(lines))):
            broken.extend(range(first, first + len(lines) - 1))
    return broken


# Pages and the lines the check reports in them: the check itself must see
# the breaks a browser would show as spaces, and nothing else.
CASES = [
    ("ファイル\n名拡張子\n", [1]),
    ("一行目、\n二行目、\n三行目。\n", [1, 2]),
    ("1. 項目の\n   続き\n2. 次の項目\n", [1]),
    ("- 一つ目\n- 二つ目\n\n段落。\n", []),
    ("| 設定 | 意味 |\n|---|---|\n| `wait` | 間隔 |\n", []),
    ("説明：\n\n```\n一行目\n二行目\n```\n", []),
    ("  ```\n  日本語\n  ```\n", []),
    ("## 見出し\n本文。\n", []),
    ("English text that\nwraps, `wait=4秒`, [link](README.ja.md#3-設定)\n", []),
    ("The owners' guide:\n見出しの説明。\n", [1]),
]


def check_cases():
    """The cases the check gets wrong, described."""
    return [
        f"{page!r}: reports {broken_lines(page)}, not {expected}"
        for page, expected in CASES
        if broken_lines(page) != expected
    ]


def main(pages):
    faults = [f"the check itself: {fault}" for fault in check_cases()]
    for page in pages:
        with open(page, encoding="utf-8") as file:
            text = file.read()
        faults += [
            f"{page}:{number}: the paragraph goes on on the next line; "
            "a break inside Japanese text shows as a space"
            for number in broken_lines(text)
        ]
    print("\n".join(faults) or f"{len(pages)} page(s): every Japanese paragraph on one line")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
