#!/usr/bin/env python3
"""Compiles the launcher's resource script and compares what the compiled
resources say with a checked-in description.

    res_check.py --script shell/res/posrelay.rc --expect expected.txt \
                 --res out.res -- <resource compiler and its arguments>

The compiler is run as given and must write the .res file named by --res.
The description names every resource with its type, name and language, and
reads the dialog template, the icon group and the version information field
by field, so that two compilers' different layouts of the same resources
read the same. The script itself must be ASCII, which every resource
compiler reads the same whatever its code page.
"""

import argparse
import difflib
import hashlib
import struct
import subprocess
import sys

TYPE_NAMES = {3: "ICON", 5: "DIALOG", 6: "STRING", 14: "GROUP_ICON", 16: "VERSION"}

STYLE_FLAGS = [
    (0x80000000, "WS_POPUP"),
    (0x10000000, "WS_VISIBLE"),
    (0x00C00000, "WS_CAPTION"),
    (0x00080000, "WS_SYSMENU"),
    (0x00000080, "DS_MODALFRAME"),
    (0x00000040, "DS_SETFONT"),
]
EXSTYLE_FLAGS = [
    (0x80000000, "WS_EX_CAPTIONOKBTN"),
    (0x00040000, "WS_EX_APPWINDOW"),
]


def flag_names(value, flags):
    names = []
    for bit, name in flags:
        if value & bit == bit:
            names.append(name)
            value &= ~bit
    if value:
        names.append("0x%08X" % value)
    return " | ".join(names) or "0"


class Reader:
    """Little-endian fields of one resource's data."""

    def __init__(self, data, at=0):
        self.data = data
        self.at = at

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self):
        if self.data[self.at:self.at + 2] == b"\xff\xff":
            self.at += 2
            return self.take("H")
        return '"%s"' % self.text()

    def align(self, start=0):
        self.at += (start - self.at) % 4


def read_entries(data):
    """(type, name, language, payload) of each resource in a .res file."""
    entries = []
    at = 0
    while at < len(data):
        size, header_size = struct.unpack_from("<II", data, at)
        header = Reader(data, at + 8)
        kind = header.name_or_ordinal()
        name = header.name_or_ordinal()
        header.align()
        _, _, language = header.take("IHH")
        payload = data[at + header_size:at + header_size + size]
        # The .res file opens with an empty entry that names nothing.
        if size or kind != 0:
            entries.append((kind, name, language, payload))
        at += header_size + size
        at += -at % 4
    return entries


def describe_dialog(data):
    r = Reader(data)
    version, signature = r.take("HH")
    if (version, signature) != (1, 0xFFFF):
        return ["  not an extended template: %d bytes, sha256 %s" % (len(data), sha(data))]
    _, exstyle, style, count, x, y, cx, cy = r.take("IIIHhhhh")
    lines = [
        "  style %s" % flag_names(style, STYLE_FLAGS),
        "  exstyle %s" % flag_names(exstyle, EXSTYLE_FLAGS),
        "  at %d, %d, size %d x %d" % (x, y, cx, cy),
        "  menu %s, class %s" % (r.name_or_ordinal(), r.name_or_ordinal()),
        '  caption "%s"' % r.text(),
    ]
    if style & 0x40:
        points, weight, italic, charset = r.take("HHBB")
        face = r.text()
        lines.append('  font %d points, weight %d, italic %d, charset %d, "%s" (%s)' % (
            points, weight, italic, charset, face, " ".join("U+%04X" % ord(c) for c in face)))
    lines.append("  controls %d" % count)
    return lines


def describe_icon_group(data):
    r = Reader(data)
    _, kind, count = r.take("HHH")
    lines = ["  type %d, images %d" % (kind, count)]
    for _ in range(count):
        width, height, colours, _, planes, bits, size, ident = r.take("BBBBHHIH")
        lines.append("  image %d: %d x %d, colours %d, planes %d, bits %d, %d bytes" % (
            ident, width or 256, height or 256, colours, planes, bits, size))
    return lines


def version_node(data, at, depth, lines):
    """One node of the version information and its children; returns where
    the next sibling starts."""
    r = Reader(data, at)
    length, value_length, kind = r.take("HHH")
    key = r.text()
    r.align(at)
    end = at + length
    indent = "  " * depth
    if depth == 1:
        signature, structure, *numbers = r.take("13I")
        file_ms, file_ls, product_ms, product_ls, mask, flags, os, ftype, subtype = numbers[:9]

        def dotted(ms, ls):
            return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

        lines.append("%s%s: signature 0x%08X, structure 0x%08X" % (indent, key, signature, structure))
        lines.append("%sfile version %s, product version %s" % (
            indent, dotted(file_ms, file_ls), dotted(product_ms, product_ls)))
        lines.append("%sflags mask 0x%X, flags 0x%X, os 0x%X, type %d, subtype %d" % (
            indent, mask, flags, os, ftype, subtype))
        r.at += value_length - 52
    elif kind == 1 and value_length:
        # A text value; compilers differ on whether its length counts the
        # terminating zero, so the text is read up to it.
        lines.append('%s%s = "%s"' % (indent, key, r.text()))
    elif key == "Translation":
        pairs = struct.unpack_from("<%dH" % (value_length // 2), data, r.at)
        lines.append("%s%s = %s" % (indent, key, ", ".join(
            "language 0x%04X code page %d" % pair for pair in zip(pairs[::2], pairs[1::2]))))
        r.at += value_length
    elif value_length:
        words = struct.unpack_from("<%dH" % (value_length // 2), data, r.at)
        lines.append("%s%s = %s" % (indent, key, " ".join("0x%04X" % w for w in words)))
        r.at += value_length
    else:
        lines.append("%s%s" % (indent, key))
    r.align(at)
    child = r.at
    while child < end:
        child = version_node(data, child, depth + 1, lines)
        child += (at - child) % 4
    return end


def sha(data):
    return hashlib.sha256(data).hexdigest()


def order(entry):
    """Numbered types and names before named ones, each by number or name."""
    kind, name = entry[:2]
    return [(isinstance(x, str), x if isinstance(x, str) else "%05d" % x) for x in (kind, name)]


def describe(data):
    lines = []
    # In the order of their types and names, which compilers write in orders
    # of their own.
    for kind, name, language, payload in sorted(read_entries(data), key=order):
        lines.append("%s %s, language 0x%04X" % (TYPE_NAMES.get(kind, kind), name, language))
        if kind == 5:
            lines += describe_dialog(payload)
        elif kind == 14:
            lines += describe_icon_group(payload)
        elif kind == 16:
            version_node(payload, 0, 1, lines)
        else:
            lines.append("  %d bytes, sha256 %s" % (len(payload), sha(payload)))
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--script", required=True)
    parser.add_argument("--expect", required=True)
    parser.add_argument("--res", required=True)
    parser.add_argument("compiler", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.compiler[1:] if args.compiler[:1] == ["--"] else args.compiler

    failed = False
    with open(args.script, "rb") as script:
        for number, line in enumerate(script, 1):
            if any(byte > 0x7E or (byte < 0x20 and byte not in b"\t\r\n") for byte in line):
                print("%s:%d: not ASCII: %r" % (args.script, number, line))
                failed = True

    subprocess.run(command, check=True)
    with open(args.res, "rb") as res:
        actual = describe(res.read())
    with open(args.expect, encoding="utf-8") as expect:
        expected = expect.read().splitlines()
    if actual != expected:
        sys.stdout.writelines(line + "\n" for line in difflib.unified_diff(
            expected, actual, args.expect, args.res, lineterm=""))
        failed = True
    print("%s: %d resources, %s" % (args.res, sum(1 for l in actual if not l.startswith(" ")),
                                     "as expected" if not failed else "NOT as expected"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
