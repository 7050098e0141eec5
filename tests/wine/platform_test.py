#!/usr/bin/env python3
"""Runs win32_platform_test.exe under Wine with COM1 on a pseudo-terminal
that already holds a reply, a local page for the internet checks, and a
coredll.dll planted in its folder, which is also its current folder."""
import argparse
import http.server
import os
import pty
import shutil
import socket
import sys
import threading
import tty

from wine_session import WineSession


REPLY = b"RX410\r\n"
PAGE = b"0123456789ABCDEF"
# Room for a busy machine: the checks' own waits are bounded inside.
RUN_LIMIT_S = 120


class PageHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Length", str(len(PAGE)))
        self.end_headers()
        self.wfile.write(PAGE)

    def log_message(self, *arguments):
        pass


def unused_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--test", required=True, help="win32_platform_test.exe")
    parser.add_argument("--planted-library", required=True, help="a DLL named coredll.dll")
    parser.add_argument("--prefix", required=True, help="the cached Wine prefix")
    parser.add_argument("--work", required=True, help="this test's own folder")
    options = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), PageHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    master, slave = pty.openpty()
    try:
        # Raw, so that bytes pass unchanged in both directions.
        tty.setraw(slave)
        os.write(master, REPLY)
        with WineSession(options.prefix, options.work) as wine:
            wine.point_com1_at(os.ttyname(slave))
            test = shutil.copy(options.test, wine.work)
            shutil.copy(options.planted_library, os.path.join(wine.work, "coredll.dll"))
            page_url = "http://127.0.0.1:%d/" % server.server_address[1]
            dead_url = "http://127.0.0.1:%d/" % unused_port()
            failures = wine.run_to_end("platform", [test, page_url, dead_url], RUN_LIMIT_S)
            wine.point_com1_at(None)
        if failures is None:
            print("FAIL: win32_platform_test.exe still running after %d s" % RUN_LIMIT_S)
            return 1
        written = os.read(master, 256)
        if written != b"ATI4\r":
            print("FAIL: the port received %r, expected b'ATI4\\r'" % written)
            return 1
        print("PASS" if failures == 0 else "FAIL: %d checks failed" % failures)
        return 0 if failures == 0 else 1
    finally:
        os.close(master)
        os.close(slave)
        server.shutdown()


if __name__ == "__main__":
    sys.exit(main())
