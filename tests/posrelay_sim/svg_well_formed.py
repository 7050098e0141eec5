#!/usr/bin/env python3
"""The charts of posrelay-sim --format svg parse as XML, also when the
module's replies hold markup and control characters, and carry the four
lanes, a hover text on every mark, a legend of every kind of mark they
draw, a number on each attempt of the position query, and no fixed size
(a viewBox and the container's width).

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


def kinds(elements):
    return {(e.tag, e.get("class")) for e in elements
            if e.tag in (SVG + "path", SVG + "circle", SVG + "rect") and e.get("class")}


def problems(name, text):
    root = ElementTree.fromstring(text)
    found = []
    labels = [element.text for element in root.iter(SVG + "text")]
    lanes = [lane for lane in LANES if lane in labels]
    marks = [e for e in root.iter() if e.tag in (SVG + "path", SVG + "circle")]
    untitled = [e for e in marks if e.find(SVG + "title") is None]
    if lanes != LANES or not marks or untitled:
        found.append("%s: lanes %r, marks without a hover text: %d" % (name, lanes, len(untitled)))
    if root.get("width") != "100%" or root.get("height") or len(root.get("viewBox", "").split()) != 4:
        found.append("%s: a fixed size, or no viewBox" % name)
    legend = root.find(SVG + "g[@class='legend']")
    drawn = kinds(e for e in root.iter() if e not in (legend.iter() if legend is not None else []))
    explained = kinds(legend.iter()) if legend is not None else set()
    unexplained = drawn - explained - {(SVG + "rect", c) for c in ("lane", "phase0", "phase1")}
    if unexplained:
        found.append("%s: marks not in the legend: %r" % (name, sorted(unexplained)))
    commands = [e for e in marks if e.get("class") == "command"]
    numbers = [e.text for e in root.iter(SVG + "text") if e.get("class") == "attemptnumber"]
    if commands and "1" not in numbers:
        found.append("%s: commands to the module, but no attempt numbered" % name)
    return found

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
