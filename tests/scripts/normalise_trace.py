#!/usr/bin/env python3
"""Normalises PBX simulator traces (one JSON line a message) so two runs can be compared.

Drops the times, renumbers what the clock makes (call and request IDs, login time stamps and the
digests made from them) in order of appearance, and writes each connection's two directions as
separate streams, requests apart from answers: each stream is in a fixed order, while how they
interleave depends on the threads. Temporary file names lose the process ID they carry, and
time values sent by the simulator become "<time>". A connection's close is left out: whether the
simulator sees it before it stops races with the test's teardown.

  normalise_trace.py TRACE...            the normalised text on stdout
  normalise_trace.py --dir DIR OUT_DIR   every *.jsonl of DIR into OUT_DIR, same names

The control's tests write one trace a test when TELVANE_WIRE_TRACE_DIR names a folder:
  TELVANE_WIRE_TRACE_DIR=/tmp/before build/tests/telvane/control/control_threads_tests
  normalise_trace.py --dir /tmp/before /tmp/before.n   (the same for after)
  normalise_trace.py --compare /tmp/before.n /tmp/after.n

--compare allows one thing beyond equal streams: a stream that is the other's beginning. What a
test sends as it ends (an answer, a last request) may or may not be read before the simulator
stops, in any build.
"""
import json
import pathlib
import re
import sys

# Clock-made IDs are 10 or more digits; login time stamps are seconds (10 digits); digests are
# 32 hexadecimal digits.
CLOCK_MADE = re.compile(r"^(\d{10,}|[0-9a-f]{32})$")
TEMP_NAME = re.compile(r"^(telvane-[a-z]+-)\d+-")


class Renumbering:
    def __init__(self):
        self.names = {}

    def __call__(self, text):
        text = TEMP_NAME.sub(r"\1<pid>-", text)
        if not CLOCK_MADE.match(text):
            return text
        kind = "hex" if len(text) == 32 and not text.isdigit() else "id"
        return self.names.setdefault(text, f"<{kind}{len(self.names) + 1}>")


def renumber(value, names):
    if isinstance(value, dict) and value.get("type") == "dateTime.iso8601":
        return {**value, "value": "<time>"}
    if isinstance(value, str):
        return names(value)
    if isinstance(value, list):
        return [renumber(v, names) for v in value]
    if isinstance(value, dict):
        return {k: renumber(v, names) for k, v in value.items()}
    return value


def normalise(lines):
    streams = {}
    for line in lines:
        line = line.strip()
        if not line:
            continue
        entry = json.loads(line)
        entry.pop("t", None)
        if entry.get("kind") == "closed":
            continue
        answer = "answers" if entry.get("kind") == "response" else "requests"
        key = (entry.pop("conn", 0), entry.pop("dir", ""), answer)
        streams.setdefault(key, []).append(entry)
    out = []
    for (conn, direction, answer), entries in sorted(streams.items()):
        names = Renumbering()
        out.append(f"== connection {conn} {direction} {answer}")
        out.extend(json.dumps(renumber(e, names), sort_keys=True) for e in entries)
    return "\n".join(out) + "\n"


def streams_of(text):
    streams, current = {}, None
    for line in text.splitlines():
        if line.startswith("== "):
            current = streams.setdefault(line, [])
        elif current is not None:
            current.append(line)
    return streams


def compare(before_dir, after_dir):
    before, after = pathlib.Path(before_dir), pathlib.Path(after_dir)
    names = sorted({p.name for p in before.glob("*.jsonl")} | {p.name for p in after.glob("*.jsonl")})
    differ = 0
    for name in names:
        if not (before / name).exists() or not (after / name).exists():
            print(f"{name}: only in one")
            differ += 1
            continue
        a, b = streams_of((before / name).read_text()), streams_of((after / name).read_text())
        for key in sorted(set(a) | set(b)):
            x, y = a.get(key, []), b.get(key, [])
            shorter = min(len(x), len(y))
            if x[:shorter] != y[:shorter]:
                print(f"{name} {key[3:]}: differs")
                differ += 1
            elif len(x) != len(y):
                print(f"{name} {key[3:]}: {abs(len(x) - len(y))} message(s) more at the end of one")
    print(f"{len(names)} traces, {differ} differing")
    return 1 if differ else 0


def main(argv):
    if len(argv) == 4 and argv[1] == "--compare":
        return compare(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "--dir":
        source, target = pathlib.Path(argv[2]), pathlib.Path(argv[3])
        target.mkdir(parents=True, exist_ok=True)
        for trace in sorted(source.glob("*.jsonl")):
            (target / trace.name).write_text(normalise(trace.read_text().splitlines()))
        return 0
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    lines = []
    for name in argv[1:]:
        lines.extend(pathlib.Path(name).read_text().splitlines())
    sys.stdout.write(normalise(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
