#!/usr/bin/env python3
"""First run of posrelay.exe under Wine: no module on the port.

COM1 is mapped but nothing is behind it, so the position query fails and
the launcher must show its second message, captioned with its own name and
with the exclamation icon, then exit with code 0 once the message is
dismissed.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

from wine_session import WineSession, windows_path


EXPECTED_CAPTION = "posrelay"
EXPECTED_TEXT = "W-SIMからの位置情報取得に失敗しました"
SETTINGS = "comport=COM1:\r\nwait=200\r\nwaitloop=2\r\nwsimdcon=0\r\nwsimcon=100\r\n"
# Upper bounds only, with room for a busy machine: they catch a launcher that
# hangs or goes on after its message, not a slow one.
RUN_LIMIT_S = 90
EXIT_AFTER_MESSAGE_LIMIT_S = 20


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, help="posrelay.exe")
    parser.add_argument("--watcher", required=True, help="message_box_watcher.exe")
    parser.add_argument("--prefix", required=True, help="the cached Wine prefix")
    parser.add_argument("--work", required=True, help="this test's own folder")
    options = parser.parse_args()

    with WineSession(options.prefix, options.work) as wine:
        wine.point_com1_at(None)
        launcher_folder = os.path.join(wine.work, "handset")
        os.makedirs(launcher_folder)
        launcher = shutil.copy(options.launcher, launcher_folder)
        with open(os.path.join(launcher_folder, "posrelay.ini"), "w", newline="") as settings:
            settings.write(SETTINGS)
        record = os.path.join(wine.work, "message-boxes.txt")
        stop = os.path.join(wine.work, "watcher.stop")

        watcher = wine.start("watcher", [options.watcher, windows_path(record), windows_path(stop),
                                         str(RUN_LIMIT_S * 1000)])
        started = time.monotonic()
        run = wine.start("posrelay", [windows_path(launcher)], cwd=launcher_folder)
        try:
            exit_code = run.wait(timeout=RUN_LIMIT_S)
        except subprocess.TimeoutExpired:
            return fail("posrelay.exe still running after %d s" % RUN_LIMIT_S)
        ended = time.monotonic()
        ended_wall_clock = time.time()
        open(stop, "w").close()
        watcher.wait(timeout=10)

        boxes = read_record(record)
        print("posrelay.exe ran %.2f s, exit code %d, message boxes: %r"
              % (ended - started, exit_code, boxes))
        expected = (EXPECTED_CAPTION, EXPECTED_TEXT, "exclamation")
        if boxes != [expected]:
            return fail("expected one message box %r" % (expected,))
        if exit_code != 0:
            return fail("exit code %d, expected 0" % exit_code)
        # The record is written as the message is dismissed.
        if ended_wall_clock - os.path.getmtime(record) > EXIT_AFTER_MESSAGE_LIMIT_S:
            return fail("posrelay.exe took more than %d s to exit after its message"
                        % EXIT_AFTER_MESSAGE_LIMIT_S)
    print("PASS")
    return 0


def read_record(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as record:
        return [tuple(line.rstrip("\n").split("\t", 2)) for line in record if line.strip()]


def fail(reason):
    print("FAIL: " + reason)
    return 1


if __name__ == "__main__":
    sys.exit(main())
