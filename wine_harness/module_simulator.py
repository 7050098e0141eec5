#!/usr/bin/env python3
"""A W-SIM module on a pseudo-terminal.

Opens a pseudo-terminal pair in raw mode, points a symbolic link at its
slave side (the serial port the launcher opens) and answers the AT dialogue
from the `module` section of a handset scenario: "ATI4" gets the
identification, each "AT@LBC?" the next position reply (the last one
repeating), every other command "\\r\\nOK\\r\\n". Replies are sent in the
handset's code page, Shift-JIS. Every command and reply is logged as a JSON
line with its wall-clock time in milliseconds. Runs until SIGTERM or SIGINT.
"""
import argparse
import json
import os
import select
import signal
import sys
import time
import tty

from handset_scenario import load_scenario

OK_REPLY = "\r\nOK\r\n"


class Module:
    def __init__(self, module):
        self.identification = module["identification"]
        self.position_replies = list(module["positionReplies"])
        self.position_queries = 0

    def reply_to(self, command):
        if command == "ATI4":
            return self.identification
        if command == "AT@LBC?" and self.position_replies:
            index = min(self.position_queries, len(self.position_replies) - 1)
            self.position_queries += 1
            return self.position_replies[index]
        return OK_REPLY


def now_ms():
    return int(time.time() * 1000)


def point_link_at(link, target):
    """Replaces the link in one step, so the port never names nothing."""
    temporary = link + ".new"
    if os.path.lexists(temporary):
        os.remove(temporary)
    os.symlink(target, temporary)
    os.replace(temporary, link)


def serve(master, module, log):
    pending = b""
    while True:
        readable, _, _ = select.select([master], [], [], 0.5)
        if not readable:
            continue
        try:
            received = os.read(master, 4096)
        except OSError:
            continue  # the port was closed on the other side; wait for the next open
        pending += received
        while b"\r" in pending:
            raw, pending = pending.split(b"\r", 1)
            command = raw.decode("cp932", errors="backslashreplace")
            write_log(log, "command", command + "\r")
            reply = module.reply_to(command)
            os.write(master, reply.encode("cp932", errors="replace"))
            write_log(log, "reply", reply)


def write_log(log, event, text):
    log.write(json.dumps({"t": now_ms(), "source": "module", "event": event, "text": text},
                         ensure_ascii=False) + "\n")
    log.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--scenario", help="handset scenario (JSON); default handset without it")
    parser.add_argument("--link", required=True, help="symbolic link to point at the port")
    parser.add_argument("--log", required=True, help="JSON-lines log of the dialogue")
    options = parser.parse_args()

    module = Module(load_scenario(options.scenario)["module"])
    master, slave = os.openpty()
    # Raw: no echo, carriage returns kept, bytes passed as they come.
    tty.setraw(slave)
    # The slave stays open here too, so the launcher's open and close of the
    # port never hangs the pair up.
    point_link_at(options.link, os.ttyname(slave))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with open(options.log, "a", encoding="utf-8") as log:
        write_log(log, "ready", os.ttyname(slave))
        try:
            serve(master, module, log)
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
