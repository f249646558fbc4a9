"""An anonymous, read-only FTP server for the update-check tests.

Usage: ftp_test_server.py ROOT LOG [--no-anonymous] [--max-seconds N]

Serves ROOT on 127.0.0.1 on a free port (refusing every login with
--no-anonymous), prints "PORT <n>" once it listens,
and appends one line per event to LOG ("connect", "login <user>",
"sent <path>"). Stops when its standard input closes or after MAX_SECONDS
(default 60), whichever comes first, so a test that dies cannot leave it
behind for long.
"""

import argparse
import logging
import os
import select
import sys
import time

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    sys.stderr.write("ftp_test_server: pyftpdlib is missing "
                     "(Debian package python3-pyftpdlib, scripts/install-deps)\n")
    sys.exit(3)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("log")
    parser.add_argument("--no-anonymous", action="store_true")
    parser.add_argument("--max-seconds", type=float, default=60.0)
    args = parser.parse_args()
    root, log_path = args.root, args.log

    def note(line):
        with open(log_path, "a") as log:
            log.write(line + "\n")

    class Handler(FTPHandler):
        def on_connect(self):
            note("connect")

        def on_login(self, username):
            note("login " + username)

        def on_file_sent(self, path):
            note("sent " + os.path.relpath(path, root))

    authorizer = DummyAuthorizer()
    if not args.no_anonymous:
        authorizer.add_anonymous(root, perm="elr")
    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.05

    quiet = logging.getLogger("pyftpdlib")
    quiet.addHandler(logging.NullHandler())
    quiet.propagate = False
    open(log_path, "a").close()
    server = FTPServer(("127.0.0.1", 0), Handler)
    sys.stdout.write("PORT %d\n" % server.socket.getsockname()[1])
    sys.stdout.flush()

    deadline = time.monotonic() + args.max_seconds
    while time.monotonic() < deadline:
        server.ioloop.loop(timeout=0.05, blocking=False)
        ready, _, _ = select.select([sys.stdin], [], [], 0)
        if ready and not sys.stdin.buffer.read1(4096):
            break
    server.close_all()


if __name__ == "__main__":
    main()
