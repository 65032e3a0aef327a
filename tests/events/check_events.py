#!/usr/bin/env python3
"""Reads a file of run events and checks it against what the runs did.

  check_events.py chain EVENTS FOLDER     every run: start ... end, answers complete,
                                          each file as large as its event says
  check_events.py failure EVENTS NAME KIND  one failed run: exit 1, the cause's kind and file
  check_events.py check EVENTS INPUT OUTPUT  --check-answers: the planned input and output
  check_events.py early EVENTS            --check-answers on raysum's first answer alone: the defaults
  check_events.py series EVENTS NAME...   --check-answers of a level sweep: its image series by name
"""
import json
import os
import sys

import jsonschema  # Debian's python3-jsonschema: scripts/setup installs it

SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "common", "run_events.schema.json")


def schema_validator():
    with open(SCHEMA, encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.validators.validator_for(schema)(schema)
    validator.check_schema(schema)
    return validator


def runs_of(path):
    """The events of each run, split at their start events; every line must
    parse and follow the events' schema (common/run_events.schema.json)."""
    validator = schema_validator()
    runs = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            event = json.loads(line)
            assert "event" in event, f"line {number} names no event"
            errors = [e.message for e in validator.iter_errors(event)]
            assert not errors, f"line {number} breaks the events' schema: {errors[:3]} in {event}"
            if event["event"] == "start":
                runs.append([])
            assert runs, f"line {number}: an event before any start"
            runs[-1].append(event)
    assert runs, "no run"
    return runs


def check_run(run):
    start, end = run[0], run[-1]
    assert start["event"] == "start" and end["event"] == "end", f"{start}: not framed by start and end"
    assert start["schema"] == 1 and start["tool"] and start["version"] and start["language"] in ("en", "ja")
    answers = [e for e in run if e["event"] == "answer"]
    assert [a["number"] for a in answers] == list(range(1, len(answers) + 1)), f"{start['tool']}: answers out of order"
    for a in answers:
        assert a["keyword"] and "value" in a and isinstance(a["default"], bool), a
    return start["tool"], answers, [e for e in run if e["event"] == "file"], end


def chain(events_path, folder):
    runs = runs_of(events_path)
    outputs = 0
    for run in runs:
        tool, answers, files, end = check_run(run)
        assert end["exit"] == 0 and "cause" not in end, f"{tool}: {end}"
        for f in files:
            assert f["role"] in ("input", "output") and f["format"] in ("raw", "table", "text", "png"), f
            if f["role"] != "output":
                continue
            outputs += 1
            path = os.path.join(folder, f["name"])
            assert os.path.getsize(path) == f["bytes"], f"{tool}: {f['name']} holds {os.path.getsize(path)} bytes"
            if f["format"] == "raw":
                assert f["rows"] * f["columns"] * 4 == f["bytes"], f"{tool}: {f}"
                assert f.get("quantity") or f.get("like") == "input", f"{tool}: {f['name']} says nothing of its quantity"
            if f.get("layout") == "column":
                assert f["axis"]["step"] > 0 and f["axis"]["unit"], f
    tools = [run[0]["tool"] for run in runs]
    assert "raysum" in tools and "reconstruct" in tools and outputs >= 40, (tools, outputs)


def failure(events_path, name, kind):
    (run,) = runs_of(events_path)
    tool, answers, files, end = check_run(run)
    assert end["exit"] == 1, end
    cause = end["cause"]
    assert cause["kind"] == kind and cause["file"] == name and name in cause["message"], cause


def check(events_path, input_name, output_name):
    (run,) = runs_of(events_path)
    tool, answers, files, end = check_run(run)
    assert end["exit"] == 0 and len(answers) == 7, end
    planned = {f["name"]: f for f in files}
    assert all(f.get("planned") for f in files), files
    assert planned[input_name]["role"] == "input" and planned[input_name]["exists"], planned
    assert planned[output_name]["role"] == "output" and planned[output_name]["bytes"] == 256 * 256 * 4, planned


def early(events_path):
    (run,) = runs_of(events_path)
    tool, answers, files, end = check_run(run)
    assert len(answers) == 7 and answers[0]["line"] == "n3-2.img" and not answers[0]["default"], answers
    for a in answers[1:]:
        assert a["line"] is None and a["default"], a
    assert [a["value"] for a in answers[1:]] == [256, 256, 0.078125, "xdisk_1.prj", 256, 256], answers


def series(events_path, *names):
    (run,) = runs_of(events_path)
    tool, answers, files, end = check_run(run)
    images = [f for f in files if f["format"] == "raw"]
    assert [f["name"] for f in images] == list(names), images
    for f in images:
        assert f["rows"] == 64 and f["columns"] == 64 and f["bytes"] == 64 * 64 * 4 and f["quantity"] == "NNPS", f
    tables = [f for f in files if f["format"] == "table"]
    assert [t["name"] for t in tables] == ["x.txt", "y.txt"] and all(t["layout"] == "grid" for t in tables), tables


if __name__ == "__main__":
    {"chain": chain, "failure": failure, "check": check, "early": early, "series": series}[sys.argv[1]](*sys.argv[2:])
