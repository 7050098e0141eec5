#!/usr/bin/env python3
"""Code page 932 as Windows reads and writes it, from Python's cp932 codec.

  cp932_table.py --source OUT.cpp   the tables of simulator/cp932_table.h
  cp932_table.py --readings         every byte and every pair of a lead byte
                                    and a trail byte (0x40-0x7E, 0x80-0xFC),
                                    one line each in hex: its bytes, the
                                    character it reads as, the bytes that
                                    character encodes to

Python's codec is Microsoft's table: NEC row 13, the NEC-selected IBM
extensions (0xED40-0xEEFC), the IBM extensions (0xFA40-0xFC4B), the
user-defined area 0xF040-0xF9FC as U+E000-U+E757, and the single bytes 0x80
as U+0080, 0xA0 as U+F8F0 and 0xFD-0xFF as U+F8F1-U+F8F3. What Python does
not decode reads as U+30FB, Windows' default character.

Windows writes characters as Python's encoder does but for two differences
(Microsoft's bestfit932.txt, and Windows' WideCharToMultiByte as Wine has
it): a character that both extensions hold it writes in its IBM code
(U+2170 as 0xFA40, U+5FB7 as 0xFABA), where Python gives the NEC-selected
one; and it has no bytes for JIS X 0208's double vertical line, minus sign
and wave dash (U+2016, U+2212, U+301C), which Python writes as the bytes
that read as U+2225, U+FF0D and U+FF5E. Like Python, it writes the cent,
pound and not signs (U+00A2, U+00A3, U+00AC) as the bytes of their
fullwidth forms. Its best-fit substitutes for characters the code page
lacks (U+00E9 as "e") are left out: those characters become "?".
"""
import argparse
import sys

UNDECODABLE = 0x30FB
FIRST_TRAIL = 0x40
LAST_TRAIL = 0xFC
NEC_SELECTED_IBM = range(0xED40, 0xEEFD)
IBM = range(0xFA40, 0xFC4C)
NOT_WRITTEN_BY_WINDOWS = (0x2016, 0x2212, 0x301C)


def reading(code_bytes):
    """The character `code_bytes` read as one character, or None."""
    try:
        text = code_bytes.decode('cp932')
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def high_bytes():
    return range(0x80, 0x100)


def lead_bytes():
    """The bytes that read as nothing alone: each begins a pair (0x81-0x9F,
    0xE0-0xFC; rows such as 0x85 hold no character)."""
    return [byte for byte in high_bytes() if reading(bytes([byte])) is None]


def trail_bytes():
    return [trail for trail in range(0x40, 0xFD) if trail != 0x7F]


def code_value(code_bytes):
    return int.from_bytes(code_bytes, 'big')


def windows_code(character):
    """The bytes Windows encodes `character` to, as a number, or None."""
    try:
        code_bytes = chr(character).encode('cp932')
    except UnicodeEncodeError:
        return None
    code = code_value(code_bytes)
    if character in NOT_WRITTEN_BY_WINDOWS:
        if reading(code_bytes) == character:
            sys.exit(f'cp932_table.py: U+{character:04X} reads back from 0x{code:X}')
        return None
    if code in NEC_SELECTED_IBM:
        ibm = [other for other in IBM if reading(other.to_bytes(2, 'big')) == character]
        if len(ibm) != 1:
            sys.exit(f'cp932_table.py: U+{character:04X} has {len(ibm)} IBM codes')
        return ibm[0]
    return code


def pairs():
    """(lead, trail, character or None) for every lead byte and trail byte."""
    for lead in lead_bytes():
        for trail in range(FIRST_TRAIL, LAST_TRAIL + 1):
            yield lead, trail, reading(bytes([lead, trail]))


def preferred_codes():
    """The codes the run-time inversion of the reading tables would not pick:
    it keeps the first code in byte order that reads as a character, so
    these are Windows' codes where another comes before them, and the
    characters Windows encodes but no code reads as (U+301C to 0x8160)."""
    first = {}
    for byte in high_bytes():
        character = reading(bytes([byte]))
        if character is not None:
            first.setdefault(character, byte)
    for lead, trail, character in pairs():
        if character is not None:
            first.setdefault(character, lead << 8 | trail)
    preferred = []
    for character in range(0x80, 0x10000):
        if 0xD800 <= character < 0xE000:
            continue
        code = windows_code(character)
        if code is not None and first.get(character) != code:
            preferred.append((character, code))
    return preferred


def check_trail_range():
    for lead in lead_bytes():
        for trail in range(0x100):
            if reading(bytes([lead, trail])) is not None and not FIRST_TRAIL <= trail <= LAST_TRAIL:
                sys.exit(f'cp932_table.py: 0x{lead:02X}{trail:02X} lies outside the trail bytes')


def rows(values, per_line, width):
    text = [f'0x{value:0{width}X}' for value in values]
    return ',\n'.join('    ' + ', '.join(text[i:i + per_line]) for i in range(0, len(text), per_line))


def write_source(path):
    check_trail_range()
    leads = lead_bytes()
    lead_rows = [leads.index(byte) if byte in leads else -1 for byte in high_bytes()]
    singles = [reading(bytes([byte])) or 0 for byte in high_bytes()]
    pair_rows = []
    for lead in leads:
        values = [reading(bytes([lead, trail])) or 0 for trail in range(FIRST_TRAIL, LAST_TRAIL + 1)]
        pair_rows.append('  {\n' + rows(values, 10, 4) + '}')
    preferred = preferred_codes()
    with open(path, 'w', encoding='ascii', newline='\n') as out:
        out.write('// Written by simulator/cp932_table.py from Python\'s cp932 codec.\n'
                  '#include "simulator/cp932_table.h"\n\n')
        out.write('const unsigned short kCp932HighBytes[128] = {\n' + rows(singles, 10, 4) + '};\n\n')
        out.write('const signed char kCp932LeadRows[128] = {\n' +
                  ',\n'.join('    ' + ', '.join(str(row) for row in lead_rows[i:i + 16])
                             for i in range(0, 128, 16)) + '};\n\n')
        out.write(f'const unsigned short kCp932Pairs[{len(leads)}][kCp932TrailCount] = {{\n' +
                  ',\n'.join(pair_rows) + '};\n\n')
        out.write('const Cp932Code kCp932PreferredCodes[] = {\n' +
                  ',\n'.join(f'    {{0x{c:04X}, 0x{code:04X}}}' for c, code in preferred) + '};\n')
        out.write(f'const unsigned int kCp932PreferredCodeCount = {len(preferred)};\n')
        out.write(f'const unsigned int kCp932LeadCount = {len(leads)};\n')


def reading_line(code_bytes):
    character = reading(code_bytes)
    if character is None:
        character = UNDECODABLE
    code = windows_code(character) if character >= 0x80 else character
    return f'{code_bytes.hex().upper()} {character:04X} {code:02X}'


def readings():
    lines = [reading_line(bytes([byte])) for byte in range(0x100)]
    for lead in lead_bytes():
        lines += [reading_line(bytes([lead, trail])) for trail in trail_bytes()]
    return '\n'.join(lines) + '\n'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument('--source', help='write the tables to this C++ file')
    action.add_argument('--readings', action='store_true', help='print every code\'s reading')
    arguments = parser.parse_args()
    if arguments.source:
        write_source(arguments.source)
    else:
        sys.stdout.write(readings())


if __name__ == '__main__':
    main()
