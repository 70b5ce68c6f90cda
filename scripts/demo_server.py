#!/usr/bin/python3
"""The FTP server behind `scripts/run --demo`: pyftpdlib on 127.0.0.1 only, plain FTP (the traffic
never leaves the machine), one user with full rights on the demo tree. Prints "PORT <n>" once it
listens on the port the system picked, then serves until it is stopped.

Run with Debian's /usr/bin/python3 (python3-pyftpdlib), not another interpreter on PATH.
"""

import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="the folder the demo user sees as /")
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--log", required=True, help="file for the server's log")
    args = parser.parse_args()

    logging.basicConfig(filename=args.log, level=logging.INFO, format="%(asctime)s %(message)s")
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "Kestovan FTP demo server (plain FTP on loopback)."
    handler.masquerade_address = None
    handler.permit_foreign_addresses = False

    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
