"""The handset scenario (the dry-run tool's JSON format), with its defaults,
for the simulators that stand in for the handset's parts under Wine."""
import copy
import json

DEFAULT_SCENARIO = {
    "map": {"running": False, "closesAfterMs": 0, "executableExists": True, "appearsAfterMs": 0},
    "rasLibrary": True,
    "connections": [{"name": "CLUB AIR-EDGE", "hangUpSucceeds": True}],
    "module": {
        "portExists": True,
        "identification": "\r\nRX410\r\n\r\nOK\r\n",
        "positionReplies": ["\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"],
    },
    "internet": {"reachable": True, "bytes": 10},
    "registryKeyExists": True,
}


def load_scenario(path=None):
    """The scenario in the file at `path` over the defaults, or the defaults.
    The dry-run tool is the one that checks a scenario's fields; here a
    section given replaces the defaults field by field."""
    scenario = copy.deepcopy(DEFAULT_SCENARIO)
    if path is None:
        return scenario
    with open(path, encoding="utf-8-sig") as file:
        given = json.load(file)
    for key, value in given.items():
        if isinstance(value, dict) and isinstance(scenario.get(key), dict):
            scenario[key].update(value)
        else:
            scenario[key] = value
    return scenario
