#!/usr/bin/python3
"""A small TDS 7.4 server on loopback for tests: SQL batches run on an SQLite file.

Usage: tds_server.py DATABASE [--port-file FILE] [--time-limit SECONDS]
                     [--parent PID] [--user NAME] [--password WORD]

The chosen port is printed on the first line of stdout (and written to
--port-file when given). The server ends after the time limit, or as soon as
the process that started it (or --parent) has ended. Encryption is not offered.
"""

import argparse
import os
import socket
import sqlite3
import struct
import sys
import threading
import time

# Packet types.
PKT_SQL_BATCH = 0x01
PKT_RPC = 0x03
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_TRANSACTION = 0x0E
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12
STATUS_EOM = 0x01

# Tokens.
TOKEN_COLMETADATA = 0x81
TOKEN_ERROR = 0xAA
TOKEN_INFO = 0xAB
TOKEN_LOGINACK = 0xAD
TOKEN_ROW = 0xD1
TOKEN_ENVCHANGE = 0xE3
TOKEN_DONE = 0xFD
TOKEN_DONEPROC = 0xFE

DONE_FINAL = 0x00
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

CMD_SELECT = 0xC1

# Data types.
TYPE_INTN = 0x26
TYPE_FLTN = 0x6D
TYPE_NVARCHAR = 0xE7
TYPE_BIGVARBINARY = 0xA5

COLLATION_CHINESE_PRC_CI_AS = bytes.fromhex("0408d00000")
TDS_74 = bytes.fromhex("74000004")
SERVER_VERSION = bytes([16, 0, 0x0F, 0xA0])
SERVER_NAME = "TESTSERVER"
PACKET_SIZE = 4096
MAX_SHORT_BYTES = 8000
PLP_NULL = 0xFFFFFFFFFFFFFFFF
PLP_UNKNOWN = 0xFFFF


def ucs2(text):
    return text.encode("utf-16-le")


def b_varchar(text):
    data = ucs2(text)
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = ucs2(text)
    return struct.pack("<H", len(data) // 2) + data


def done(token, status, count=0, cmd=0):
    return struct.pack("<BHHQ", token, status, cmd, count)


def message(token, number, state, severity, text, line=1):
    body = (struct.pack("<iBB", number, state, severity) + us_varchar(text)
            + b_varchar(SERVER_NAME) + b_varchar("") + struct.pack("<i", line))
    return struct.pack("<BH", token, len(body)) + body


def env_change(kind, new, old):
    body = bytes([kind]) + new + old
    return struct.pack("<BH", TOKEN_ENVCHANGE, len(body)) + body


def env_text(kind, new, old):
    return env_change(kind, b_varchar(new), b_varchar(old))


# ---------------------------------------------------------------- result sets

class Column:
    """One result column, typed from the values it holds."""

    def __init__(self, name, values):
        self.name = name or ""
        present = [v for v in values if v is not None]
        if any(isinstance(v, str) for v in present):
            self.kind = "text"
        elif any(isinstance(v, (bytes, memoryview)) for v in present):
            self.kind = "binary"
        elif any(isinstance(v, float) for v in present):
            self.kind = "float"
        elif present:
            wide = any(not -2**31 <= v < 2**31 for v in present)
            self.kind = "bigint" if wide else "int"
        else:
            self.kind = "text"
        self.width = 2
        if self.kind in ("text", "binary"):
            for v in present:
                self.width = max(self.width, len(self.encode_variable(v)))
        # Values longer than a short NVARCHAR go as nvarchar(max) / varbinary(max).
        self.plp = self.width > MAX_SHORT_BYTES

    def encode_variable(self, value):
        if self.kind == "binary":
            return bytes(value) if isinstance(value, (bytes, memoryview)) else str(value).encode()
        return ucs2(str(value))

    def metadata(self):
        head = struct.pack("<IH", 0, 0x0001)  # user type, flags: nullable
        if self.kind == "int":
            info = bytes([TYPE_INTN, 4])
        elif self.kind == "bigint":
            info = bytes([TYPE_INTN, 8])
        elif self.kind == "float":
            info = bytes([TYPE_FLTN, 8])
        elif self.kind == "binary":
            width = PLP_UNKNOWN if self.plp else self.width
            info = struct.pack("<BH", TYPE_BIGVARBINARY, width)
        else:
            width = PLP_UNKNOWN if self.plp else self.width
            info = struct.pack("<BH", TYPE_NVARCHAR, width) + COLLATION_CHINESE_PRC_CI_AS
        return head + info + b_varchar(self.name)

    def value(self, value):
        if self.kind in ("int", "bigint"):
            if value is None:
                return b"\x00"
            fmt = "<q" if self.kind == "bigint" else "<i"
            return bytes([struct.calcsize(fmt)]) + struct.pack(fmt, int(value))
        if self.kind == "float":
            if value is None:
                return b"\x00"
            return b"\x08" + struct.pack("<d", float(value))
        if self.plp:
            if value is None:
                return struct.pack("<Q", PLP_NULL)
            data = self.encode_variable(value)
            return struct.pack("<QI", len(data), len(data)) + data + struct.pack("<I", 0)
        if value is None:
            return b"\xff\xff"
        data = self.encode_variable(value)
        return struct.pack("<H", len(data)) + data


def result_set(description, rows):
    columns = [Column(d[0], [r[i] for r in rows]) for i, d in enumerate(description)]
    out = bytearray(struct.pack("<BH", TOKEN_COLMETADATA, len(columns)))
    for column in columns:
        out += column.metadata()
    for row in rows:
        out.append(TOKEN_ROW)
        for column, value in zip(columns, row):
            out += column.value(value)
    return bytes(out)


def split_statements(text):
    """Cuts a batch into the statements SQLite executes one at a time."""
    statements, current = [], ""
    for piece in text.split(";"):
        current += piece + ";"
        if sqlite3.complete_statement(current):
            if current.strip(" \t\r\n;"):
                statements.append(current)
            current = ""
    if current.strip(" \t\r\n;"):
        statements.append(current)
    return statements


def error_number(exc):
    text = str(exc)
    if "no such table" in text or "no such column" in text:
        return 208
    return 102


def run_batch(db, text):
    """Runs a batch's statements in turn; answers the tokens SQL Server would."""
    statements = split_statements(text)
    if not statements:
        return done(TOKEN_DONE, DONE_FINAL)
    out = bytearray()
    for index, statement in enumerate(statements):
        more = DONE_MORE if index + 1 < len(statements) else 0
        try:
            cursor = db.execute(statement)
            if cursor.description is not None:
                rows = cursor.fetchall()
                out += result_set(cursor.description, rows)
                out += done(TOKEN_DONE, more | DONE_COUNT, len(rows), CMD_SELECT)
            else:
                count = max(cursor.rowcount, 0)
                out += done(TOKEN_DONE, more | DONE_COUNT, count)
        except sqlite3.Error as exc:
            out += message(TOKEN_ERROR, error_number(exc), 1, 16, str(exc))
            out += done(TOKEN_DONE, more | DONE_ERROR)
    return bytes(out)


# ---------------------------------------------------------------- connection

class Connection:
    def __init__(self, sock, options):
        self.sock = sock
        self.options = options
        self.packet_size = PACKET_SIZE
        self.db = None

    def read_exact(self, size):
        data = bytearray()
        while len(data) < size:
            chunk = self.sock.recv(size - len(data))
            if not chunk:
                raise ConnectionError("client closed")
            data += chunk
        return bytes(data)

    def read_message(self):
        """Reads one request (all packets up to end-of-message)."""
        payload = bytearray()
        while True:
            kind, status, length = struct.unpack(">BBH", self.read_exact(4))
            self.read_exact(4)  # spid, packet id, window
            payload += self.read_exact(length - 8)
            if status & STATUS_EOM:
                return kind, bytes(payload)

    def send(self, payload, kind=PKT_REPLY):
        room = self.packet_size - 8
        chunks = [payload[i:i + room] for i in range(0, len(payload), room)] or [b""]
        for number, chunk in enumerate(chunks, start=1):
            status = STATUS_EOM if number == len(chunks) else 0
            header = struct.pack(">BBHHBB", kind, status, len(chunk) + 8, 0, number % 256, 0)
            self.sock.sendall(header + chunk)

    def prelogin(self):
        options = [
            (0x00, SERVER_VERSION + b"\x00\x00"),  # version, sub-build
            (0x01, b"\x02"),                      # encryption: not supported
            (0x02, b"\x00"),                      # instance: matches
            (0x03, b""),                          # thread id
            (0x04, b"\x00"),                      # MARS off
        ]
        offset = len(options) * 5 + 1
        head, data = bytearray(), bytearray()
        for token, value in options:
            head += struct.pack(">BHH", token, offset + len(data), len(value))
            data += value
        self.send(bytes(head) + b"\xff" + bytes(data))

    @staticmethod
    def login_field(payload, index):
        offset, length = struct.unpack_from("<HH", payload, 36 + 4 * index)
        return payload[offset:offset + 2 * length]

    def login(self, payload):
        packet_size = struct.unpack_from("<I", payload, 8)[0]
        user = self.login_field(payload, 1).decode("utf-16-le")
        hidden = self.login_field(payload, 2)
        password = bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in hidden)
        password = password.decode("utf-16-le")
        database = self.login_field(payload, 8).decode("utf-16-le") or "master"
        if user != self.options.user or password != self.options.password:
            refusal = message(TOKEN_ERROR, 18456, 1, 14, f"Login failed for user '{user}'.")
            self.send(refusal + done(TOKEN_DONE, DONE_ERROR))
            return False
        if 512 <= packet_size <= 32767:
            self.packet_size = packet_size
        self.db = sqlite3.connect(self.options.database, isolation_level=None,
                                  check_same_thread=False, timeout=10)
        ack_body = (b"\x01" + TDS_74 + b_varchar("Microsoft SQL Server") + SERVER_VERSION)
        reply = (env_text(1, database, "master")
                 + message(TOKEN_INFO, 5701, 2, 0, f"Changed database context to '{database}'.")
                 + env_change(7, bytes([5]) + COLLATION_CHINESE_PRC_CI_AS, b"\x00")
                 + env_text(2, "us_english", "")
                 + struct.pack("<BH", TOKEN_LOGINACK, len(ack_body)) + ack_body
                 + env_text(4, str(self.packet_size), str(PACKET_SIZE))
                 + done(TOKEN_DONE, DONE_FINAL))
        self.send(reply)
        return True

    @staticmethod
    def batch_text(payload):
        # TDS 7.2 and later put ALL_HEADERS (its own total length first) before the text.
        skip = struct.unpack_from("<I", payload, 0)[0] if len(payload) >= 4 else 0
        if skip < 4 or skip > len(payload):
            skip = 0
        return payload[skip:].decode("utf-16-le", errors="replace")

    def serve(self):
        kind, payload = self.read_message()
        if kind == PKT_PRELOGIN:
            self.prelogin()
            kind, payload = self.read_message()
        if kind != PKT_LOGIN7 or not self.login(payload):
            return
        while True:
            kind, payload = self.read_message()
            if kind == PKT_SQL_BATCH:
                self.send(run_batch(self.db, self.batch_text(payload)))
            elif kind == PKT_ATTENTION:
                # Replies are complete before the next request is read: just acknowledge.
                self.send(done(TOKEN_DONE, DONE_ATTN))
            elif kind == PKT_RPC:
                self.send(message(TOKEN_ERROR, 2812, 62, 16, "Remote procedure calls are not supported here.")
                          + done(TOKEN_DONEPROC, DONE_ERROR))
            else:
                self.send(message(TOKEN_ERROR, 102, 1, 16, f"Request type {kind} is not supported here.")
                          + done(TOKEN_DONE, DONE_ERROR))

    def run(self):
        try:
            self.serve()
        except (ConnectionError, OSError, struct.error):
            pass
        finally:
            if self.db is not None:
                self.db.close()
            try:
                self.sock.close()
            except OSError:
                pass


# ---------------------------------------------------------------- main

def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def main():
    parser = argparse.ArgumentParser(description="TDS 7.4 test server over an SQLite file")
    parser.add_argument("database")
    parser.add_argument("--port-file")
    parser.add_argument("--time-limit", type=float, default=60.0)
    parser.add_argument("--parent", type=int, default=os.getppid(),
                        help="end when this process has ended (default: the starting one)")
    parser.add_argument("--user", default="sa")
    parser.add_argument("--password", default="pw")
    options = parser.parse_args()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    listener.settimeout(0.5)
    port = listener.getsockname()[1]
    print(port, flush=True)
    if options.port_file:
        with open(options.port_file + ".tmp", "w") as f:
            f.write(f"{port}\n")
        os.replace(options.port_file + ".tmp", options.port_file)

    deadline = time.monotonic() + options.time_limit
    while time.monotonic() < deadline and process_alive(options.parent):
        try:
            sock, _ = listener.accept()
        except socket.timeout:
            continue
        sock.settimeout(max(1.0, deadline - time.monotonic()))
        threading.Thread(target=Connection(sock, options).run, daemon=True).start()
    listener.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
