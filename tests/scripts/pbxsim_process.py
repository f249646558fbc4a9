"""A pbxsim program of a test's own on a free port of 127.0.0.1, driven through its stdin."""

import contextlib
import json
import subprocess


class Pbxsim:
    def __init__(self, process, port):
        self.process = process
        self.port = port

    def command(self, line):
        """Runs one simulator command; returns its JSON outcome."""
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        return json.loads(self.process.stdout.readline())


@contextlib.contextmanager
def running_pbxsim(program, *flags):
    process = subprocess.Popen([program, "--port", "0", *flags], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, text=True)
    try:
        line = process.stdout.readline()
        yield Pbxsim(process, json.loads(line)["listening"])
    finally:
        process.stdin.close()  # pbxsim ends at the end of its input
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
