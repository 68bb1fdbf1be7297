#!/usr/bin/env python3
"""Scripted computers for the test LAN (tools/lan.sh), each in a network namespace of its own
beside the real Samba receiver:

  windows   a current Windows computer with file sharing on: it answers name queries and node
            status for NAME<00>, NAME<20> and its workgroup, but holds no messenger name <03>;
            a session request for anything but NAME<20> or *SMBSERVER<20> gets the negative
            response 0x82, and an SMB1 message command closes the connection.
  xp        a Windows XP computer with its Messenger running: NAME<03> and the users' <03>
            names registered; it answers the multi-block message commands with a message
            group id of its own, which the sender must carry on.
  listener  a member of the workgroup that holds the group name WORKGROUP<00> and keeps every
            datagram that reaches UDP 138, one file each, for the tests to read field by field.

Every event goes to --log as one JSON object a line. The process writes its PID to --pid and
runs until SIGTERM.
"""
import argparse
import json
import os
import signal
import socket
import struct
import sys
import threading

GROUP = 0x8000


def encode_name(name: bytes, suffix: int, pad: bytes = b" ") -> bytes:
    raw = name[:15].ljust(15, pad) + bytes([suffix])
    out = bytearray([0x20])
    for b in raw:
        out += bytes([ord("A") + (b >> 4), ord("A") + (b & 0x0F)])
    return bytes(out + b"\x00")


def decode_name(data: bytes, at: int):
    """Returns (name bytes without padding, suffix) of the encoded name at `at`."""
    if len(data) < at + 34 or data[at] != 0x20:
        return None
    raw = bytes(((data[at + 1 + 2 * i] - 65) << 4) | (data[at + 2 + 2 * i] - 65) for i in range(16))
    return raw[:15].rstrip(b" \x00"), raw[15]


def show(name: bytes, suffix: int) -> str:
    return "%s<%02X>" % (name.decode("cp866", "replace"), suffix)


class Log:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8") if path else None

    def __call__(self, **event):
        if not self.file:
            return
        with self.lock:
            self.file.write(json.dumps(event, ensure_ascii=False) + "\n")
            self.file.flush()


class NameService(threading.Thread):
    """Answers name queries and node status on UDP 137 for `names`: (name, suffix, group)."""

    def __init__(self, address: str, names, log: Log):
        super().__init__(daemon=True)
        self.address = socket.inet_aton(address)
        self.names = names
        self.log = log
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.bind(("", 137))

    def run(self):
        while True:
            data, peer = self.sock.recvfrom(1500)
            if len(data) < 50 or data[2] & 0x80:  # too short, or a response
                continue
            question = decode_name(data, 12)
            if not question:
                continue
            qtype = struct.unpack(">H", data[46:48])[0]
            head = data[0:2]
            if qtype == 0x21:
                self.log(event="node status", peer=peer[0])
                entries = b""
                for name, suffix, group in self.names:
                    entries += name[:15].ljust(15, b" ") + bytes([suffix])
                    entries += struct.pack(">H", (GROUP if group else 0) | 0x0400)
                rdata = bytes([len(self.names)]) + entries + bytes(6) + bytes(40)
                reply = head + struct.pack(">HHHHH", 0x8400, 0, 1, 0, 0) + data[12:46]
                reply += struct.pack(">HHIH", 0x21, 1, 0, len(rdata)) + rdata
                self.sock.sendto(reply, peer)
                continue
            if qtype != 0x20:
                continue
            for name, suffix, group in self.names:
                if (name.upper(), suffix) == (question[0].upper(), question[1]):
                    self.log(event="name query", name=show(*question), peer=peer[0])
                    rdata = struct.pack(">H", GROUP if group else 0) + self.address
                    reply = head + struct.pack(">HHHHH", 0x8500, 0, 1, 0, 0) + data[12:46]
                    reply += struct.pack(">HHIH", 0x20, 1, 300000, 6) + rdata
                    self.sock.sendto(reply, peer)


def read_packet(conn: socket.socket):
    head = b""
    while len(head) < 4:
        chunk = conn.recv(4 - len(head))
        if not chunk:
            return None, None
        head += chunk
    length = ((head[1] & 1) << 16) | (head[2] << 8) | head[3]
    body = b""
    while len(body) < length:
        chunk = conn.recv(length - len(body))
        if not chunk:
            return None, None
        body += chunk
    return head[0], body


def smb_reply(request: bytes, words=()):
    header = bytearray(request[:32])
    header[5:9] = b"\x00\x00\x00\x00"  # success
    header[9] = 0x80  # a reply
    header[10:12] = b"\x01\x40"  # flags2: NT status
    body = bytes(header) + bytes([len(words)])
    for w in words:
        body += struct.pack("<H", w)
    body += b"\x00\x00"
    return struct.pack(">BBH", 0, 0, len(body)) + body


def strings_after(smb: bytes, count: int):
    """The NUL-terminated strings (buffer format 0x04) of a request with WordCount 0."""
    at = 32 + 1 + 2
    out = []
    for _ in range(count):
        if at >= len(smb) or smb[at] != 0x04:
            return out
        end = smb.index(b"\x00", at + 1)
        out.append(smb[at + 1:end])
        at = end + 1
    return out


class SessionService(threading.Thread):
    """TCP 139. `accepts` is the set of called names (decoded, e.g. "XPPC<03>") that get a
    positive answer; `messenger` says whether message commands are served or close it."""

    def __init__(self, address: str, accepts, messenger: bool, group_id: int, log: Log):
        super().__init__(daemon=True)
        self.accepts = accepts
        self.messenger = messenger
        self.group_id = group_id
        self.log = log
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((address, 139))
        self.sock.listen(16)

    def run(self):
        while True:
            conn, peer = self.sock.accept()
            threading.Thread(target=self.serve, args=(conn, peer), daemon=True).start()

    def serve(self, conn, peer):
        with conn:
            conn.settimeout(30)
            try:
                self.converse(conn, peer)
            except (OSError, ValueError):
                pass

    def converse(self, conn, peer):
        kind, body = read_packet(conn)
        if kind != 0x81:
            return
        called = show(*decode_name(body, 0))
        if called not in self.accepts:
            self.log(event="session", called=called, answer="0x82 called name not present")
            conn.sendall(b"\x83\x00\x00\x01\x82")
            return
        self.log(event="session", called=called, answer="positive")
        conn.sendall(b"\x82\x00\x00\x00")
        text = b""
        while True:
            kind, smb = read_packet(conn)
            if kind is None:
                return
            if kind != 0 or len(smb) < 35 or smb[:4] != b"\xffSMB":
                continue
            command = smb[4]
            words = smb[32]
            group = struct.unpack("<H", smb[33:35])[0] if words >= 1 else None
            if not self.messenger:
                self.log(event="smb", command="0x%02X" % command, answer="connection closed")
                return
            if command == 0xD5:
                names = strings_after(smb, 2)
                self.log(event="smb", command="0xD5", originator=names[0].hex(),
                         destination=names[1].hex(), replied_group=self.group_id)
                text = b""
                conn.sendall(smb_reply(smb, [self.group_id]))
            elif command == 0xD7:
                at = 32 + 1 + 2 * words + 2
                length = struct.unpack("<H", smb[at + 1:at + 3])[0]
                block = smb[at + 3:at + 3 + length]
                text += block
                self.log(event="smb", command="0xD7", group=group, block=block.hex())
                conn.sendall(smb_reply(smb))
            elif command == 0xD6:
                self.log(event="smb", command="0xD6", group=group)
                self.log(event="message", text=text.hex())
                conn.sendall(smb_reply(smb))
            else:
                self.log(event="smb", command="0x%02X" % command, answer="refused")
                return


class DatagramListener(threading.Thread):
    """UDP 138: every datagram kept as <out>/<n>.bin, the address it came from in the log."""

    def __init__(self, out: str, log: Log):
        super().__init__(daemon=True)
        self.out = out
        self.log = log
        os.makedirs(out, exist_ok=True)
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.bind(("", 138))

    def run(self):
        n = 0
        while True:
            data, peer = self.sock.recvfrom(2048)
            n += 1
            path = os.path.join(self.out, "%04d.bin" % n)
            with open(path + ".tmp", "wb") as f:
                f.write(data)
            os.rename(path + ".tmp", path)
            self.log(event="datagram", file=os.path.basename(path), peer="%s:%d" % peer)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    p.add_argument("role", choices=["windows", "xp", "listener"])
    p.add_argument("--address", required=True)
    p.add_argument("--name", default="")
    p.add_argument("--workgroup", default="WORKGROUP")
    p.add_argument("--users", default="", help="the users' messenger names (xp), blank-separated")
    p.add_argument("--group-id", type=lambda s: int(s, 0), default=0x5A17)
    p.add_argument("--out", default="", help="where the listener keeps datagrams")
    p.add_argument("--log", default="")
    p.add_argument("--pid", default="")
    a = p.parse_args()

    log = Log(a.log)
    name = a.name.encode("cp866")
    group = a.workgroup.encode("cp866")
    threads = []
    if a.role == "windows":
        names = [(name, 0x00, False), (group, 0x00, True), (name, 0x20, False), (group, 0x1E, True)]
        threads.append(NameService(a.address, names, log))
        accepts = {show(name, 0x20), "*SMBSERVER<20>"}
        threads.append(SessionService(a.address, accepts, False, 0, log))
    elif a.role == "xp":
        users = [u.encode("cp866") for u in a.users.split()]
        names = [(name, 0x00, False), (group, 0x00, True), (name, 0x03, False),
                 (name, 0x20, False), (group, 0x1E, True)] + [(u, 0x03, False) for u in users]
        threads.append(NameService(a.address, names, log))
        accepts = {show(name, 0x03), show(name, 0x20)} | {show(u, 0x03) for u in users}
        threads.append(SessionService(a.address, accepts, True, a.group_id, log))
    else:
        threads.append(NameService(a.address, [(group, 0x00, True)], log))
        threads.append(DatagramListener(a.out, log))

    for t in threads:
        t.start()
    if a.pid:
        with open(a.pid, "w") as f:
            f.write("%d\n" % os.getpid())
    log(event="ready", role=a.role)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    signal.pause()


if __name__ == "__main__":
    main()
