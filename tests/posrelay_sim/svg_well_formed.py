#!/usr/bin/env python3
"""The charts of posrelay-sim --format svg parse as XML, also when the
module's replies hold markup and control characters, and carry the four
lanes and a hover text on every mark.

  svg_well_formed.py POSRELAY_SIM CHART.svg...
"""
import json
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"
LANES = ["map application", "data connection", "module", "internet and keys"]
HOSTILE = {"module": {"identification": "<RX410 & \u0001]]>",
                      "positionReplies": ["\"<b>N35&amp;\u0002\uffff", "\r\nERROR\r\n"]}}


def problems(name, text):
    root = ElementTree.fromstring(text)
    labels = [element.text for element in root.iter(SVG + "text")]
    found = [lane for lane in LANES if lane in labels]
    marks = [e for e in root.iter() if e.tag in (SVG + "path", SVG + "circle")]
    untitled = [e for e in marks if e.find(SVG + "title") is None]
    return ["%s: lanes %r, marks without a hover text: %d" % (name, found, len(untitled))
            ] if found != LANES or not marks or untitled else []


def main():
    sim, charts = sys.argv[1], sys.argv[2:]
    found = []
    for chart in charts:
        with open(chart, encoding="utf-8") as file:
            found += problems(chart, file.read())
    with tempfile.NamedTemporaryFile("w", suffix=".json") as scenario:
        json.dump(HOSTILE, scenario)
        scenario.flush()
        run = subprocess.run([sim, "--format", "svg", "--scenario", scenario.name],
                             capture_output=True, timeout=60)
        found += problems("hostile replies", run.stdout.decode("utf-8"))
    print("\n".join(found) or "PASS")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
