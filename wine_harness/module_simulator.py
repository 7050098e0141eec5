#!/usr/bin/env python3
"""A W-SIM module on a pseudo-terminal.

Opens a pseudo-terminal pair in raw mode and points a symbolic link at its
slave side (the serial port the launcher opens). The bytes the launcher
writes go to posrelay-sim --answer-module, the module of the handset's
scenario, and each reply it gives goes back on the port as its very bytes.
Every command and reply is logged as a JSON line with its wall-clock time
in milliseconds. Runs until SIGTERM or SIGINT.
"""
import argparse
import json
import os
import select
import signal
import subprocess
import sys
import time
import tty

STOP_LIMIT_S = 5


class ModuleEnded(Exception):
    """posrelay-sim stopped answering."""


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
    """Passes what arrives on the port to the module, and each answer back."""
    answers = module.stdout.fileno()
    pending = b""
    while True:
        readable, _, _ = select.select([master, answers], [], [], 0.5)
        if master in readable:
            try:
                received = os.read(master, 4096)
            except OSError:
                received = b""  # the port was closed on the other side; wait for the next open
            if received:
                module.stdin.write(received)
                module.stdin.flush()
        if answers in readable:
            answered = os.read(answers, 65536)
            if not answered:
                raise ModuleEnded("posrelay-sim --answer-module ended")
            pending += answered
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                answer = json.loads(line)
                write_log(log, "command", answer["command"])
                os.write(master, bytes.fromhex(answer["hex"]))
                write_log(log, "reply", answer["reply"])


def write_log(log, event, text):
    log.write(json.dumps({"t": now_ms(), "source": "module", "event": event, "text": text},
                         ensure_ascii=False) + "\n")
    log.flush()


def stop(module):
    """Ends the module's input, and with it the module."""
    try:
        module.stdin.close()
    except BrokenPipeError:
        pass  # the module has ended already
    try:
        module.wait(timeout=STOP_LIMIT_S)
    except subprocess.TimeoutExpired:
        module.kill()
        module.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sim", required=True, help="posrelay-sim, which answers as the module")
    parser.add_argument("--scenario", help="handset scenario (JSON); default handset without it")
    parser.add_argument("--link", required=True, help="symbolic link to point at the port")
    parser.add_argument("--log", required=True, help="JSON-lines log of the dialogue")
    options = parser.parse_args()

    command = [options.sim] + (["--scenario", options.scenario] if options.scenario else [])
    module = subprocess.Popen(command + ["--answer-module"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE)
    master, slave = os.openpty()
    # Raw: no echo, carriage returns kept, bytes passed as they come.
    tty.setraw(slave)
    # The slave stays open here too, so the launcher's open and close of the
    # port never hangs the pair up.
    point_link_at(options.link, os.ttyname(slave))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        with open(options.log, "a", encoding="utf-8") as log:
            write_log(log, "ready", os.ttyname(slave))
            serve(master, module, log)
    except KeyboardInterrupt:
        pass
    except (ModuleEnded, BrokenPipeError) as error:
        print("module_simulator.py: %s" % error, file=sys.stderr)
        return 2
    finally:
        stop(module)
    return 0


if __name__ == "__main__":
    sys.exit(main())
