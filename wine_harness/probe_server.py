#!/usr/bin/env python3
"""The internet as the launcher's connectivity probe sees it: an HTTP server
on 127.0.0.1 that answers every GET with the number of bytes of a page that
the scenario's `internet.bytes` gives, logging each request as a JSON line.
Runs until SIGTERM or SIGINT."""
import argparse
import http.server
import json
import signal
import sys
import time

PAGE = b"<!doctype html><html><head><title>Probe</title></head></html>\n"


def handler_for(body, log):
    class ProbeHandler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            log.write(json.dumps({"t": int(time.time() * 1000), "source": "internet",
                                  "event": "get", "path": self.path, "bytes": len(body)}) + "\n")
            log.flush()
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *_):
            pass

    return ProbeHandler


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--bytes", type=int, required=True, help="bytes the page yields")
    parser.add_argument("--log", required=True, help="JSON-lines log of the requests")
    options = parser.parse_args()

    size = max(0, options.bytes)
    body = (PAGE * (size // len(PAGE) + 1))[:size]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with open(options.log, "a", encoding="utf-8") as log:
        server = http.server.HTTPServer(("127.0.0.1", options.port), handler_for(body, log))
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
        finally:
            server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
