#!/usr/bin/env python3
"""Turns the figures of one `make bench` run into the target table and bench/results.json.

Usage: report.py RESULTS_DIR OUT_JSON
RESULTS_DIR holds Google Benchmark JSON outputs (*.gbench.json, one per program and round) and
peer figures (*.peer.json: a flat object of name -> ns). Every figure is the median of all its
samples in the run, in CPU nanoseconds per operation (other engineers' builds share the machine;
CPU time is what they disturb least).
"""
import glob
import json
import statistics
import sys

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

CODEC_MESSAGES = [
    ("callstatechanged", '"callstatechanged" call'),
    ("cdrarrived", '"cdrarrived" call with statistics'),
    ("getfileslist", '"getfileslist" answer, 1000 names'),
    ("entity_string_1mib", "1 MiB string dense with entities"),
]


def codec_targets():
    rows = []
    for key, label in CODEC_MESSAGES:
        for step, factor in (("parse", 5.0), ("serialize", 3.0)):
            for peer, peer_key in (("xmlrpc-c", f"codec/{key}/{step}/xmlrpc-c"),
                                   ("Python", f"python/{key}/{step}")):
                rows.append({
                    "name": f"{step} {label} vs {peer}",
                    "ours": f"codec/{key}/{step}/ours",
                    "peer": peer_key,
                    "rule": "peer/ours >= target",
                    "target": factor,
                })
    rows.append({
        "name": "parse 1 MiB string vs plain copy of its message",
        "ours": "codec/entity_string_1mib/parse/ours",
        "peer": "codec/entity_string_1mib/copy",
        "rule": "ours/peer <= target",
        "target": 20.0,
    })
    return rows


# One list of rows per benchmark item; a row whose figures were not produced is left out.
TARGETS = codec_targets()


def load_figures(directory):
    samples = {}
    for path in glob.glob(f"{directory}/*.gbench.json"):
        with open(path) as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
                continue
            name = b.get("run_name", b["name"])
            samples.setdefault(name, []).append(b["cpu_time"] * UNIT_NS[b.get("time_unit", "ns")])
    for path in glob.glob(f"{directory}/*.peer.json"):
        with open(path) as f:
            for name, value in json.load(f).items():
                samples.setdefault(name, []).append(float(value))
    return {name: statistics.median(values) for name, values in samples.items()}


def show_time(ns):
    for unit, scale in (("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def evaluate(figures):
    results = []
    for t in TARGETS:
        ours, peer = figures.get(t["ours"]), figures.get(t["peer"])
        if ours is None or peer is None or ours <= 0 or peer <= 0:
            continue
        if t["rule"].startswith("peer/ours"):
            ratio = peer / ours
            met = ratio >= t["target"]
        else:
            ratio = ours / peer
            met = ratio <= t["target"]
        results.append({
            "name": t["name"], "ours": round(ours, 1), "peer": round(peer, 1), "unit": "ns",
            "ratio": round(ratio, 2), "target": t["target"], "rule": t["rule"], "met": met,
        })
    return results


def table(results):
    lines = ["| Figure | Ours | Peer | Ratio | Target | Met |", "|---|---:|---:|---:|---|---|"]
    for r in results:
        sign = ">=" if r["rule"].startswith("peer/ours") else "<="
        what = "x faster" if sign == ">=" else "x the copy"
        lines.append(f"| {r['name']} | {show_time(r['ours'])} | {show_time(r['peer'])} | "
                     f"{r['ratio']:.2f} | {sign} {r['target']:g}{what} | "
                     f"{'yes' if r['met'] else 'NO'} |")
    return "\n".join(lines)


def main():
    figures = load_figures(sys.argv[1])
    results = evaluate(figures)
    with open(sys.argv[2], "w") as f:
        json.dump(results, f, indent=1)
        f.write("\n")
    print(table(results))
    met = sum(r["met"] for r in results)
    print(f"\n{met} of {len(results)} targets met; figures are CPU time per message, "
          f"median of the run; written to {sys.argv[2]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
