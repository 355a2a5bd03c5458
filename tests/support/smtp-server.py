#!/usr/bin/python3
"""A local SMTP server for the e-mail tests (Debian's python3-aiosmtpd).

    smtp-server.py DIR [--auth USER:PASSWORD] [--refuse TEXT] [--delay SECONDS]

Listens on 127.0.0.1 on a free port and prints "READY <port>" once it accepts connections. Each
message it takes is written to DIR as <n>.eml (the bytes received) with <n>.rcpt (the envelope's
recipients, one a line). A recipient containing TEXT is refused with 550; with --auth, a sender
must log in with that user and password (AUTH PLAIN or LOGIN, without TLS). Ends on SIGTERM.
"""
import argparse
import asyncio
import os
import signal
import socket
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler:
    def __init__(self, folder, refuse, delay):
        self.folder = folder
        self.refuse = refuse
        self.delay = delay
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse in address:
            return "550 5.1.1 mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".rcpt", "w") as f:
            f.write("\n".join(envelope.rcpt_tos) + "\n")
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        return "250 Message accepted"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--auth")
    parser.add_argument("--refuse")
    parser.add_argument("--delay", type=float, default=0)
    args = parser.parse_args()

    kwargs = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login.decode() == user and data.password.decode() == password
            # Not handled: the server answers 535 itself.
            return AuthResult(success=ok, handled=False)

        kwargs = dict(authenticator=authenticator, auth_required=True, auth_require_tls=False)
    port = free_port()
    controller = Controller(Handler(args.folder, args.refuse, args.delay), hostname="127.0.0.1", port=port,
                            data_size_limit=200 * 1024 * 1024, **kwargs)
    controller.start()
    print("READY %d" % port, flush=True)
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    while not stop:
        time.sleep(0.05)
    controller.stop()


if __name__ == "__main__":
    sys.exit(main())
