"""run_with_pbxsim.py PBXSIM -- COMMAND...: runs COMMAND 127.0.0.1 PORT against a pbxsim of its
own and exits with the command's status."""

import subprocess
import sys

from pbxsim_process import running_pbxsim


def main(argv):
    split = argv.index("--")
    program, command = argv[1], argv[split + 1:]
    with running_pbxsim(program, "--answer-delay", "100") as sim:
        return subprocess.run(command + ["127.0.0.1", str(sim.port)], timeout=120).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv))
