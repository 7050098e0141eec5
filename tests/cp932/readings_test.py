#!/usr/bin/env python3
"""The simulated handset reads every byte and every pair of code page 932 as
Python's cp932 codec does, and writes each character back in Windows' bytes.

  readings_test.py --program print_readings --table simulator/cp932_table.py
"""
import argparse
import runpy
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--program', required=True)
    parser.add_argument('--table', required=True)
    arguments = parser.parse_args()
    expected = runpy.run_path(arguments.table)['readings']().splitlines()
    shown = subprocess.run([arguments.program], check=True, capture_output=True,
                           text=True).stdout.splitlines()
    differences = [(want, got) for want, got in zip(expected, shown) if want != got]
    for want, got in differences[:20]:
        print(f'Python: {want}\nhandset: {got}')
    if len(shown) != len(expected):
        print(f'{len(shown)} codes read, {len(expected)} expected')
    if differences or len(shown) != len(expected):
        print(f'{len(differences)} of {len(expected)} codes read otherwise than Python reads them')
        return 1
    print(f'{len(expected)} codes read and written back as Python and Windows do')
    return 0


if __name__ == '__main__':
    sys.exit(main())
