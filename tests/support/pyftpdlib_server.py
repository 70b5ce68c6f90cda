#!/usr/bin/python3
"""A pyftpdlib server for the test suite: binds 127.0.0.1 on a port the system picks, prints
"PORT <n>" on stdout once it listens, then serves until it is killed.

Run with Debian's /usr/bin/python3 (python3-pyftpdlib), not another interpreter on PATH.
"""

import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

# Every permission pyftpdlib knows: list, change folder, retrieve, append, delete, rename, make
# folder, store, change mode, change time.
FULL_PERMISSIONS = "elradfmwMT"
ANONYMOUS_READ = "elr"
ANONYMOUS_UPLOAD = "elrwm"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="folder the test user sees as /")
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--anonymous-root", help="enables anonymous login, seeing this folder as /")
    parser.add_argument("--anonymous-upload", action="store_true", help="anonymous may store files")
    args = parser.parse_args()

    logging.basicConfig(stream=sys.stderr, level=logging.INFO, format="%(asctime)s %(message)s")

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm=FULL_PERMISSIONS)
    if args.anonymous_root:
        perm = ANONYMOUS_UPLOAD if args.anonymous_upload else ANONYMOUS_READ
        authorizer.add_anonymous(args.anonymous_root, perm=perm)

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "Kestovan test pyftpdlib ready."
    # Tests of refused logins should not wait out the default 3 s penalty.
    handler.auth_failed_timeout = 0
    # Replies must name the loopback address the client used, never a guessed outside one.
    handler.masquerade_address = None
    handler.permit_foreign_addresses = False

    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
