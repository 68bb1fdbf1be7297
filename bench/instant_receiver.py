#!/usr/bin/env python3
"""A messenger receiver that answers every step at once and keeps nothing: the ceiling of
what a receiver costs, for bench/send_speed.sh.

    bench/instant_receiver.py ADDRESS [PORT]      (port 139 by default)

It takes any called name, answers the start of a message with a group id, every text block
and the end with success, and counts the messages it took; on SIGTERM it prints the count.
"""
import asyncio
import signal
import socket
import struct
import sys

taken = 0


def reply(smb: bytes) -> bytes:
    command = smb[4]
    header = bytearray(32)
    header[0:4] = b"\xffSMB"
    header[4] = command
    header[9] = 0x80  # a reply
    words = b"\x01\x07\x00" if command == 0xD5 else b"\x00"  # group 7 for the start
    body = bytes(header) + words + b"\x00\x00"
    return struct.pack(">BBH", 0, 0, len(body)) + body


async def serve(reader: asyncio.StreamReader, writer: asyncio.StreamWriter) -> None:
    global taken
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        while True:
            head = await reader.readexactly(4)
            kind = head[0]
            length = ((head[1] & 1) << 16) | (head[2] << 8) | head[3]
            payload = await reader.readexactly(length)
            if kind == 0x81:  # session request: positive answer
                writer.write(b"\x82\x00\x00\x00")
            elif kind == 0x00 and len(payload) >= 32 and payload[:4] == b"\xffSMB":
                writer.write(reply(payload))
                if payload[4] == 0xD6:
                    taken += 1
            await writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        writer.close()


async def main() -> None:
    address = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 139
    server = await asyncio.start_server(serve, address, port, backlog=1024, reuse_address=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    print("ready", flush=True)
    async with server:
        await stop.wait()
    print(f"instant receiver: {taken} messages", file=sys.stderr, flush=True)


if __name__ == "__main__":
    asyncio.run(main())
