#!/usr/bin/env python3
"""Python's xmlrpc.client on the codec's texts: CPU time per message of loads and dumps.

Usage: peer_python.py DIR  -- reads DIR/<message>.xml, prints a JSON object
{"python/<message>/parse": ns, "python/<message>/serialize": ns, ...}.
"""
import glob
import json
import os
import sys
import time
import xmlrpc.client

MIN_SECONDS = 0.2
REPETITIONS = 3


def per_call_ns(fn):
    """Median over repetitions of the CPU time per call, each repetition at least MIN_SECONDS."""
    fn()  # warm up
    samples = []
    for _ in range(REPETITIONS):
        n = 0
        start = time.process_time()
        while True:
            fn()
            n += 1
            elapsed = time.process_time() - start
            if elapsed >= MIN_SECONDS:
                break
        samples.append(elapsed / n * 1e9)
    samples.sort()
    return samples[len(samples) // 2]


def main():
    figures = {}
    for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.xml"))):
        key = os.path.splitext(os.path.basename(path))[0]
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
        params, method = xmlrpc.client.loads(text)
        figures[f"python/{key}/parse"] = per_call_ns(lambda: xmlrpc.client.loads(text))
        if method is None:
            dump = lambda: xmlrpc.client.dumps(params, methodresponse=True)
        else:
            dump = lambda: xmlrpc.client.dumps(params, methodname=method)
        figures[f"python/{key}/serialize"] = per_call_ns(dump)
    json.dump(figures, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
