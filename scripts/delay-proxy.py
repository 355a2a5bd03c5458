#!/usr/bin/env python3
"""A link with a fixed delay, for measuring the program against a distant Firebird server.

    delay-proxy.py LISTEN_PORT TARGET_HOST:TARGET_PORT DELAY_MS [--stats FILE] [--control]

Listens on 127.0.0.1:LISTEN_PORT and forwards every connection to the target, holding each piece of
data DELAY_MS milliseconds in each direction (a round trip costs twice DELAY_MS), without limiting
the throughput. It counts the round trips the clients make: a turn of the conversation, that is the
client sending again after the server has answered. With --stats, the running totals
("connections round_trips bytes_up bytes_down") are rewritten in FILE after every turn, so a
measurement can read the count before and after an operation. Ends on SIGTERM or SIGINT.

With --control, lines read on standard input break the link the way a network does, for tests:
  drop          closes every open connection at once (both ends)
  lose-answers  what the server sends on the open connections is lost; half a second later they
                are closed (what the clients sent meanwhile still reached the server)
  lose-requests what the clients send on the open connections is lost; half a second later they
                are closed (the server never hears it)
  hold          nothing moves on any connection, open or new, until "release"
  release       delivers what was held and goes on as before
Each command is answered on standard output by "ok <command>" once it is in force.
"""
import argparse
import os
import asyncio
import signal
import socket
import sys
import time


class Totals:
    def __init__(self, path):
        self.path = path
        self.connections = 0
        self.round_trips = 0
        self.up = 0
        self.down = 0

    def write(self):
        if not self.path:
            return
        tmp = self.path + ".tmp"
        with open(tmp, "w") as f:
            f.write(f"{self.connections} {self.round_trips} {self.up} {self.down}\n")

        os.replace(tmp, self.path)


class Link:
    """What the control commands change: whether data flows, and the open connections."""

    def __init__(self):
        self.flowing = asyncio.Event()
        self.flowing.set()
        self.connections = set()   # of Pair


class Pair:
    """One client's connection and the proxy's connection to the server for it."""

    def __init__(self, client_writer, server_writer):
        self.client_writer = client_writer
        self.server_writer = server_writer
        self.lose = set()   # "lose-answers", "lose-requests"


async def pump(reader, writer, delay, on_data, link=None, lost=lambda: False):
    """Copies reader to writer, each piece delivered `delay` seconds after it arrived."""
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            if link is not None:
                await link.flowing.wait()
            if lost():
                continue
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.ensure_future(deliver())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            on_data(len(data))
            queue.put_nowait((time.monotonic() + delay, data))
    except (ConnectionError, OSError):
        pass
    finally:
        queue.put_nowait((0, None))
        try:
            await sender
        except (ConnectionError, OSError):
            pass


def no_delay(writer):
    """Small pieces go out at once (no coalescing), as the database client and server send them."""
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


def close_connection(pair):
    for w in (pair.client_writer, pair.server_writer):
        sock = w.get_extra_info("socket")
        try:
            if sock is not None:
                sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        w.close()


async def control(link, stop):
    """Runs the commands read on standard input; ends the proxy when it closes (its owner is gone)."""
    loop = asyncio.get_running_loop()
    while True:
        line = await loop.run_in_executor(None, sys.stdin.readline)
        if not line:
            if not stop.done():
                stop.set_result(None)
            return
        command = line.strip()
        if command == "drop":
            for entry in list(link.connections):
                close_connection(entry)
        elif command in ("lose-answers", "lose-requests"):
            pairs = list(link.connections)
            for pair in pairs:
                pair.lose.add(command)

            def close_later(pairs=pairs):
                for pair in pairs:
                    close_connection(pair)
            loop.call_later(0.5, close_later)
        elif command == "hold":
            link.flowing.clear()
        elif command == "release":
            link.flowing.set()
        else:
            print(f"unknown {command}", flush=True)
            continue
        print(f"ok {command}", flush=True)


async def serve(args, totals):
    host, port = args.target.rsplit(":", 1)
    delay = args.delay_ms / 1000.0
    link = Link() if args.control else None

    async def handle(client_reader, client_writer):
        if link is not None:
            await link.flowing.wait()
        try:
            server_reader, server_writer = await asyncio.open_connection(host, int(port))
        except OSError:
            client_writer.close()
            return
        no_delay(client_writer)
        no_delay(server_writer)
        totals.connections += 1
        state = {"last": "down"}

        def up(n):
            totals.up += n
            if state["last"] == "down":
                totals.round_trips += 1
                totals.write()
            state["last"] = "up"

        def down(n):
            totals.down += n
            state["last"] = "down"

        pair = Pair(client_writer, server_writer)
        if link is not None:
            link.connections.add(pair)
        try:
            await asyncio.gather(pump(client_reader, server_writer, delay, up, link,
                                      lambda: "lose-requests" in pair.lose),
                                 pump(server_reader, client_writer, delay, down, link,
                                      lambda: "lose-answers" in pair.lose))
        except asyncio.CancelledError:
            pass   # the proxy is ending
        finally:
            if link is not None:
                link.connections.discard(pair)

    server = await asyncio.start_server(handle, "127.0.0.1", args.listen_port)
    stop = asyncio.get_running_loop().create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(sig, lambda: stop.done() or stop.set_result(None))
    totals.write()
    if link is not None:
        asyncio.ensure_future(control(link, stop))
        print("listening", flush=True)
    async with server:
        await stop


def main():
    parser = argparse.ArgumentParser(description="TCP proxy adding a fixed delay each way")
    parser.add_argument("listen_port", type=int)
    parser.add_argument("target")
    parser.add_argument("delay_ms", type=float)
    parser.add_argument("--stats")
    parser.add_argument("--control", action="store_true", help="read link commands on standard input")
    args = parser.parse_args()
    asyncio.run(serve(args, Totals(args.stats)))


if __name__ == "__main__":
    main()
