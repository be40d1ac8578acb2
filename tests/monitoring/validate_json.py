"""Validates qvlctl --json outputs against help/qvlctl.schema.json with python3-jsonschema.

Usage: validate_json.py SCHEMA DEFINITION=FILE...
A FILE of DEFINITION event or change holds one JSON object per line (JSON Lines). Each document
must match its own definition and the schema as a whole (exactly one of its outputs). Then a
table of documents the schema must refuse, each made from a valid one, shows it is not looser
than the outputs it describes. Prints a line per check and exits 1 when any failed.
"""
import copy
import json
import os
import sys

from jsonschema import Draft202012Validator

schema = json.load(open(sys.argv[1], encoding="utf-8"))
Draft202012Validator.check_schema(schema)
whole = Draft202012Validator(schema)


def validator(name):
    return Draft202012Validator({"$ref": "#/$defs/" + name, "$defs": schema["$defs"]})


failed = 0
documents = {}


def report(ok, label):
    global failed
    print(("ok   " if ok else "FAIL ") + label)
    failed += not ok


for arg in sys.argv[2:]:
    name, path = arg.split("=", 1)
    label = os.path.basename(path)
    raw = open(path, "rb").read()
    report(raw.isascii(), f"{label}: plain ASCII")
    text = raw.decode("ascii", "replace")
    lines = [line for line in text.splitlines() if line.strip()] if name in ("event", "change") else [text]
    problems = []
    for number, line in enumerate(lines, 1):
        where = f"line {number}: " if len(lines) > 1 else ""
        try:
            doc = json.loads(line)
        except ValueError as e:
            problems.append(f"{where}not JSON ({e})")
            continue
        problems += [f"{where}{'/'.join(map(str, e.absolute_path))}: {e.message}" for e in validator(name).iter_errors(doc)]
        if not whole.is_valid(doc):
            problems.append(f"{where}not exactly one output of the whole schema")
        documents.setdefault(name, doc)
    report(lines and not problems,
           f"{label}: {len(lines)} valid {name} document(s)" + (f" ({'; '.join(problems[:3])})" if problems else ""))


def changed(name, edit):
    doc = copy.deepcopy(documents[name])
    edit(doc)
    return doc


def first_device(d):
    return d["controllers"][0]["channels"][0]["devices"][0]


refused = [
    ("list", "of version 2", lambda d: d.update(version=2)),
    ("list", "without its controllers", lambda d: d.pop("controllers")),
    ("list", "a device with a field version 1 does not have", lambda d: first_device(d).update(serial="X")),
    ("list", "a device identifier as a number", lambda d: first_device(d).update(id=0x101)),
    ("list", "a device location in another form", lambda d: first_device(d).update(location="Controller 1, Channel 1")),
    ("arrays", "a progress without a task", lambda d: d["arrays"][0].update(task=None, progress=0.5)),
    ("arrays", "a task of another name", lambda d: d["arrays"][0].update(task="scrubbing", progress=0.5)),
    ("arrays", "a progress as a percentage", lambda d: d["arrays"][0].update(task="verifying", progress=45.12)),
    ("show", "a device without its identifier", lambda d: d.update(kind="device", id=None)),
    ("log", "an entry's time in another form", lambda d: d["entries"][0].update(time="2024-01-02T03:04:05")),
    ("event", "a code as text", lambda d: d.update(code="1")),
    ("event", "without its text", lambda d: d.pop("text")),
    ("change", "a change of another name", lambda d: d.update(change="disk-removed")),
    ("change", "the driver unreachable, naming a disk", lambda d: d.update(change="driver-unreachable")),
]
for name, what, edit in refused:
    if name not in documents:
        report(False, f"no {name} output to make a refused one from")
        continue
    if name == "log" and not documents[name]["entries"]:
        report(False, "no log entry to make a refused one from")
        continue
    doc = changed(name, edit)
    report(not validator(name).is_valid(doc) and not whole.is_valid(doc), f"refused: {name} {what}")

sys.exit(1 if failed else 0)
