#!/usr/bin/python3
"""A small TDS 7.4 server on loopback for tests: SQL batches run on an SQLite file.

Usage: tds_server.py DATABASE [--port-file FILE] [--time-limit SECONDS]
                     [--parent PID] [--user NAME] [--password WORD] [--trace]

The chosen port is printed on the first line of stdout (and written to
--port-file when given). The server ends after the time limit, or as soon as
the process that started it (or --parent) has ended. Encryption is not offered.
"""

import argparse
import datetime
import decimal
import os
import re
import socket
import sqlite3
import struct
import subprocess
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

TYPE_BITN = 0x68
TYPE_DECIMALN = 0x6A
TYPE_MONEYN = 0x6E
TYPE_DATETIMN = 0x6F
TYPE_DATEN = 0x28
TYPE_BIGVARCHAR = 0xA7
TYPE_BIGCHAR = 0xAF
TYPE_NCHAR = 0xEF
TOKEN_NBCROW = 0xD2
DATE_ORIGIN = datetime.date(1, 1, 1)
DATETIME_ORIGIN = datetime.datetime(1900, 1, 1)
CODE_PAGE = "gbk"  # Chinese_PRC's


def parse_moment(value):
    """A stored date or date and time (ISO text, as the embedded database keeps them)."""
    text = str(value).strip()
    for form in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%dT%H:%M:%S", "%Y-%m-%d"):
        try:
            return datetime.datetime.strptime(text, form)
        except ValueError:
            pass
    raise ValueError(f"not a date: {text!r}")


def decimal_size(precision):
    return 5 if precision <= 9 else 9 if precision <= 19 else 13 if precision <= 28 else 17


class Column:
    """One result column: the SQL Server type its table declares (when it names one and
    every value fits it), else a type chosen from the values it holds."""

    def __init__(self, name, values, declared=None):
        self.name = name or ""
        present = [v for v in values if v is not None]
        self.kind = None
        if declared:
            try:
                self.declare(declared, present)
            except (ValueError, ArithmeticError, TypeError):
                self.kind = None
        if self.kind is None:
            self.from_values(present)
        self.plp = self.kind in ("text", "binary") and self.width > MAX_SHORT_BYTES

    def declare(self, declared, present):
        match = re.match(r"^(\w+)\s*(?:\((max|\d+)(?:\s*,\s*(\d+))?\))?", declared)
        base, size, scale = match.group(1), match.group(2), match.group(3)
        ints = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}
        if base in ints:
            self.kind, self.size = "int", ints[base]
            for v in present:
                if isinstance(v, float) and not v.is_integer() or not -2 ** (8 * self.size - 1) <= int(v) < 2 ** (8 * self.size - 1):
                    raise ValueError("out of range")
        elif base == "bit":
            self.kind = "bit"
            for v in present:
                int(v)
        elif base in ("decimal", "numeric", "money"):
            self.kind = "decimal" if base != "money" else "money"
            self.precision = int(size) if size else 18
            self.scale = int(scale) if scale else (4 if base == "money" else 0)
            for v in present:
                self.decimal_value(v)
        elif base in ("float", "real"):
            self.kind, self.size = "float", 8 if base == "float" else 4
            for v in present:
                float(v)
        elif base in ("datetime", "smalldatetime", "date"):
            self.kind = "date" if base == "date" else "datetime"
            for v in present:
                parse_moment(v)
        elif base in ("nvarchar", "nchar", "varchar", "char"):
            self.kind = "text"
            self.fixed = base in ("nchar", "char")
            self.wide = base.startswith("n")
            unit = 2 if self.wide else 1
            self.width = 0x10000 if size == "max" else int(size or 1) * unit
            for v in present:
                self.width = max(self.width, len(self.encode_variable(v)))
        else:
            raise ValueError("undeclared")

    def from_values(self, present):
        self.fixed, self.wide = False, True
        if any(isinstance(v, str) for v in present):
            self.kind = "text"
        elif any(isinstance(v, (bytes, memoryview)) for v in present):
            self.kind = "binary"
        elif any(isinstance(v, float) for v in present):
            self.kind, self.size = "float", 8
        elif present:
            wide = any(not -2**31 <= v < 2**31 for v in present)
            self.kind, self.size = "int", 8 if wide else 4
        else:
            self.kind = "text"
        self.width = 510  # nvarchar(255), as a declared column would be, or wider for longer values
        if self.kind in ("text", "binary"):
            for v in present:
                self.width = max(self.width, len(self.encode_variable(v)))

    def decimal_value(self, value):
        number = decimal.Decimal(str(value)).quantize(decimal.Decimal(1).scaleb(-self.scale),
                                                      rounding=decimal.ROUND_HALF_UP)
        if self.kind == "decimal" and len(str(abs(number.scaleb(self.scale)).to_integral_value())) > self.precision:
            raise ValueError("too many digits")
        return number

    def encode_variable(self, value):
        if self.kind == "binary":
            return bytes(value) if isinstance(value, (bytes, memoryview)) else str(value).encode()
        if not self.wide:
            return str(value).encode(CODE_PAGE)
        return ucs2(str(value))

    def metadata(self):
        head = struct.pack("<IH", 0, 0x0001)  # user type, flags: nullable
        if self.kind == "int":
            info = bytes([TYPE_INTN, self.size])
        elif self.kind == "bit":
            info = bytes([TYPE_BITN, 1])
        elif self.kind == "decimal":
            info = bytes([TYPE_DECIMALN, decimal_size(self.precision), self.precision, self.scale])
        elif self.kind == "money":
            info = bytes([TYPE_MONEYN, 8])
        elif self.kind == "float":
            info = bytes([TYPE_FLTN, self.size])
        elif self.kind == "datetime":
            info = bytes([TYPE_DATETIMN, 8])
        elif self.kind == "date":
            info = bytes([TYPE_DATEN])
        elif self.kind == "binary":
            width = PLP_UNKNOWN if self.plp else self.width
            info = struct.pack("<BH", TYPE_BIGVARBINARY, width)
        else:
            width = PLP_UNKNOWN if self.plp else self.width
            kind = ((TYPE_NCHAR if self.fixed else TYPE_NVARCHAR) if self.wide
                    else (TYPE_BIGCHAR if self.fixed else TYPE_BIGVARCHAR))
            info = struct.pack("<BH", kind, width) + COLLATION_CHINESE_PRC_CI_AS
        return head + info + b_varchar(self.name)

    def value(self, value):
        """The value as a ROW carries it (None: NULL)."""
        if self.kind == "int":
            if value is None:
                return b"\x00"
            fmt = {1: "<B", 2: "<h", 4: "<i", 8: "<q"}[self.size]
            return bytes([self.size]) + struct.pack(fmt, int(value))
        if self.kind == "bit":
            return b"\x00" if value is None else b"\x01" + bytes([1 if int(value) else 0])
        if self.kind == "decimal":
            if value is None:
                return b"\x00"
            number = self.decimal_value(value)
            size = decimal_size(self.precision)
            digits = int(abs(number).scaleb(self.scale))
            return bytes([size, 0 if number < 0 else 1]) + digits.to_bytes(size - 1, "little")
        if self.kind == "money":
            if value is None:
                return b"\x00"
            units = int(self.decimal_value(value).scaleb(4))
            return b"\x08" + struct.pack("<iI", units >> 32, units & 0xFFFFFFFF)
        if self.kind == "float":
            if value is None:
                return b"\x00"
            return bytes([self.size]) + struct.pack("<d" if self.size == 8 else "<f", float(value))
        if self.kind == "datetime":
            if value is None:
                return b"\x00"
            span = parse_moment(value) - DATETIME_ORIGIN
            ticks = round((span.seconds + span.microseconds / 1e6) * 300)
            return b"\x08" + struct.pack("<iI", span.days, ticks)
        if self.kind == "date":
            if value is None:
                return b"\x00"
            days = (parse_moment(value).date() - DATE_ORIGIN).days
            return b"\x03" + days.to_bytes(3, "little")
        if self.plp:
            if value is None:
                return struct.pack("<Q", PLP_NULL)
            data = self.encode_variable(value)
            return struct.pack("<QI", len(data), len(data)) + data + struct.pack("<I", 0)
        if value is None:
            return b"\xff\xff"
        data = self.encode_variable(value)
        if self.fixed:
            data += (b"\x20\x00" if self.wide else b" ") * ((self.width - len(data)) // (2 if self.wide else 1))
        return struct.pack("<H", len(data)) + data


def result_set(description, rows, declared_types=None):
    """COLMETADATA and the rows; a row holding a NULL goes as NBCROW, as SQL Server sends it."""
    declared_types = declared_types or {}
    columns = [Column(d[0], [r[i] for r in rows], declared_types.get(d[0]))
               for i, d in enumerate(description)]
    out = bytearray(struct.pack("<BH", TOKEN_COLMETADATA, len(columns)))
    for column in columns:
        out += column.metadata()
    for row in rows:
        if any(value is None for value in row):
            out.append(TOKEN_NBCROW)
            bitmap = bytearray((len(columns) + 7) // 8)
            for index, value in enumerate(row):
                if value is None:
                    bitmap[index // 8] |= 1 << (index % 8)
            out += bitmap
            for column, value in zip(columns, row):
                if value is not None:
                    out += column.value(value)
        else:
            out.append(TOKEN_ROW)
            for column, value in zip(columns, row):
                out += column.value(value)
    return bytes(out)


def declared_types(schema_file):
    """Column name -> SQL Server type, from the schema's CREATE TABLE statements. A name
    declared with different types in different tables keeps the widest text type, or
    none when the types differ in kind."""
    types = {}
    if not schema_file:
        return types
    with open(schema_file, encoding="utf-8") as f:
        for line in f:
            column = re.match(r"^\s+\[?([^\s\]]+)\]?\s+(\w+(?:\s*\([^)]*\))?)", line)
            if not column or column.group(1).lower() in ("primary", "constraint", "foreign", "unique"):
                continue
            name, kind = column.group(1), re.sub(r"\s+", "", column.group(2).lower())
            known = types.get(name, kind)
            if known != kind:
                wide = [t for t in (known, kind) if re.match(r"^n?varchar\(\d+\)$", t or "")]
                kind = max(wide, key=lambda t: int(re.search(r"\d+", t).group())) if len(wide) == 2 else None
            types[name] = kind
    return {name: kind for name, kind in types.items() if kind}


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
    """SQL Server's message number for what SQLite reported."""
    text = str(exc)
    if "no such table" in text:
        return 208  # invalid object name
    if "no such column" in text:
        return 207  # invalid column name
    if "UNIQUE constraint" in text:
        return 2627  # violation of a unique key
    if "NOT NULL constraint" in text:
        return 515  # cannot insert NULL
    if "FOREIGN KEY constraint" in text or "CHECK constraint" in text:
        return 547  # conflict with a constraint
    if "database is locked" in text:
        return 1222  # lock request time-out
    return 102  # incorrect syntax


# ---------------------------------------------------------------- statements

TOKEN_DONEINPROC = 0xFF
TOKEN_RETURNSTATUS = 0x79
TOKEN_RETURNVALUE = 0xAC

# What a client's set-up statements are answered with: harmless, like SQL Server's.
SET_STATEMENT = re.compile(r"^\s*set\s+\w+", re.IGNORECASE)
TYPE_INFO_QUERY = re.compile(r"^\s*(exec(ute)?\s+)?sp_datatype_info\w*\b", re.IGNORECASE)
GLOBAL_VARIABLE = re.compile(r"^\s*select\s+@@(\w+)\s*;?\s*$", re.IGNORECASE)


DECLARE_STATEMENT = re.compile(r"^\s*declare\s+@(\w+)\s+\w+(?:\s*\([^)]*\))?\s*(?:=\s*(.+?))?\s*;?\s*$",
                               re.IGNORECASE | re.DOTALL)
APPLOCK_STATEMENT = re.compile(r"^\s*exec(?:ute)?\s+(?:@(\w+)\s*=\s*)?(?:dbo\.)?sp_getapplock\b(.*)$",
                               re.IGNORECASE | re.DOTALL)
NAMED_ARGUMENT = re.compile(r"@(\w+)\s*=\s*(N?'(?:[^']|'')*'|-?\d+)", re.IGNORECASE)
SELECT_VARIABLE = re.compile(r"^\s*select\s+@(\w+)(?:\s+(?:as\s+)?(\w+))?\s*;?\s*$", re.IGNORECASE)
SERVER_VARIABLES = {"rowcount": "tds_rowcount()", "trancount": "tds_trancount()",
                    "identity": "scope_identity()", "error": "0"}


def literal(text):
    """The value of a T-SQL literal: N'...' / '...' text or a whole number."""
    text = text.strip()
    if text.upper().startswith("N'"):
        text = text[1:]
    if text.startswith("'"):
        return text[1:-1].replace("''", "'")
    return int(text)


class Adapter:
    """The program's T-SQL adapter, run as a process of its own: it splits a batch into
    its statements and turns each into the statements SQLite runs, as the embedded
    backend does. Answers are kept, since the same statements come again and again."""

    def __init__(self, program):
        self.process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lock = threading.Lock()
        self.answers = {}

    def ask(self, request, text):
        key = (request, text)
        with self.lock:
            if key not in self.answers:
                data = text.encode("utf-8")
                self.process.stdin.write(request + struct.pack(">I", len(data)) + data)
                self.process.stdin.flush()
                self.answers[key] = self.read_answer()
            answer = self.answers[key]
        if isinstance(answer, str):
            raise sqlite3.OperationalError(answer)
        return answer

    def read_answer(self):
        out = self.process.stdout
        kind = out.read(1)
        if kind not in (b"O", b"E"):
            raise sqlite3.OperationalError("the T-SQL adapter ended")
        count = struct.unpack(">I", out.read(4))[0]
        if kind == b"E":
            return out.read(count).decode("utf-8")
        return [out.read(struct.unpack(">I", out.read(4))[0]).decode("utf-8") for _ in range(count)]

    def split(self, text):
        return self.ask(b"S", text)

    def to_sqlite(self, statement):
        return self.ask(b"A", statement)


class AppLocks:
    """sp_getapplock's exclusive locks, owned by a connection's transaction."""

    def __init__(self):
        self.changed = threading.Condition()
        self.owners = {}

    def acquire(self, resource, session, timeout_ms):
        """0: granted at once; 1: granted after waiting; -1: timed out."""
        deadline = None if timeout_ms < 0 else time.monotonic() + timeout_ms / 1000
        waited = False
        with self.changed:
            while self.owners.get(resource, session) is not session:
                remaining = None if deadline is None else deadline - time.monotonic()
                if remaining is not None and remaining <= 0:
                    return -1
                waited = True
                self.changed.wait(remaining)
            self.owners[resource] = session
            return 1 if waited else 0

    def release(self, session):
        with self.changed:
            for resource in [r for r, owner in self.owners.items() if owner is session]:
                del self.owners[resource]
            self.changed.notify_all()


APP_LOCKS = AppLocks()


class Session:
    """What one connection's statements share: the SQLite connection, SQL Server's
    counters, the batch's variables and the application locks it holds."""

    def __init__(self, db, adapter=None, types=None):
        self.db = db
        self.adapter = adapter
        self.types = types or {}
        self.nocount = False
        self.last_count = 0
        self.prepared = {}
        self.next_handle = 1
        self.variables = {}
        # SCOPE_IDENTITY() answers the identity the connection's last INSERT assigned.
        self.last_identity = None
        self.descriptor = bytes(8)  # the open transaction's, zero outside one
        db.create_function("SCOPE_IDENTITY", 0, lambda: self.last_identity)
        db.create_function("tds_rowcount", 0, lambda: self.last_count)
        db.create_function("tds_trancount", 0, lambda: 1 if self.db.in_transaction else 0)

    def global_variable(self, name):
        values = {"spid": 51, "version": "Microsoft SQL Server 2022 (TDS test server)",
                  "rowcount": self.last_count, "trancount": 1 if self.db.in_transaction else 0,
                  "servername": SERVER_NAME, "language": "us_english", "textsize": 2147483647,
                  "max_precision": 38, "options": 0, "error": 0, "identity": self.last_identity}
        return values.get(name.lower())

    def end_transaction(self, commit):
        try:
            if self.db.in_transaction:
                self.db.execute("COMMIT" if commit else "ROLLBACK")
        finally:
            APP_LOCKS.release(self)

    def get_applock(self, arguments):
        named = {m.group(1).lower(): literal(m.group(2)) for m in NAMED_ARGUMENT.finditer(arguments)}
        if str(named.get("lockowner", "Transaction")).lower() == "transaction" and not self.db.in_transaction:
            raise sqlite3.OperationalError("You attempted to acquire a transactional application lock "
                                           "without an active transaction.")
        return APP_LOCKS.acquire(str(named.get("resource", "")), self, int(named.get("locktimeout", -1)))

    def run_special(self, statement):
        """The statements SQL Server answers itself rather than from tables; None for others."""
        if TYPE_INFO_QUERY.match(statement):
            return (("TYPE_NAME",), ("DATA_TYPE",), ("PRECISION",)), []
        if SET_STATEMENT.match(statement):
            words = statement.lower().split()
            if len(words) >= 3 and words[1] == "nocount":
                self.nocount = words[2].startswith("on")
            return None, -1
        declared = DECLARE_STATEMENT.match(statement)
        if declared:
            self.variables[declared.group(1)] = literal(declared.group(2)) if declared.group(2) else None
            return None, -1
        applock = APPLOCK_STATEMENT.match(statement)
        if applock:
            result = self.get_applock(applock.group(2))
            if applock.group(1):
                self.variables[applock.group(1)] = result
            return None, -1
        variable = GLOBAL_VARIABLE.match(statement)
        if variable:
            return (("",),), [(self.global_variable(variable.group(1)),)]
        chosen = SELECT_VARIABLE.match(statement)
        if chosen and chosen.group(1) in self.variables:
            return ((chosen.group(2) or "",),), [(self.variables[chosen.group(1)],)]
        return None

    def sqlite_statements(self, statement):
        if self.adapter is None:
            return [statement]
        for name, function in SERVER_VARIABLES.items():
            statement = re.sub(r"@@" + name + r"\b", function, statement, flags=re.IGNORECASE)
        return self.adapter.to_sqlite(statement)

    def run(self, statement, params):
        """Runs one statement: (description, rows) for a result, (None, count) otherwise."""
        special = self.run_special(statement)
        if special is not None:
            return special
        values = dict(self.variables)
        values.update(params)
        answer = (None, -1)
        for sqlite_statement in self.sqlite_statements(statement):
            answer = self.run_sqlite(sqlite_statement, values)
        return answer

    def run_sqlite(self, statement, values):
        cursor = self.db.execute(statement, values)
        if cursor.description is not None:
            rows = cursor.fetchall()
            self.last_count = len(rows)
            return cursor.description, rows
        self.last_count = max(cursor.rowcount, 0)
        if re.match(r"^\s*insert\b", statement, re.IGNORECASE) and cursor.rowcount > 0:
            self.last_identity = cursor.lastrowid
        return None, (cursor.rowcount if cursor.rowcount >= 0 else -1)

    def split(self, text):
        return self.adapter.split(text) if self.adapter is not None else split_statements(text)

    def run_statements(self, text, params=None, token=TOKEN_DONE, always_more=False):
        """A batch's statements in turn, as SQL Server answers them: (tokens, failed).
        The batch's variables last until it ends."""
        self.variables = {}
        try:
            statements = self.split(text)
        except sqlite3.Error as exc:
            return message(TOKEN_ERROR, 102, 1, 15, str(exc)) + done(token, DONE_ERROR), True
        if not statements:
            return (done(token, DONE_MORE if always_more else DONE_FINAL), False)
        out, failed = bytearray(), False
        for index, statement in enumerate(statements):
            more = DONE_MORE if always_more or index + 1 < len(statements) else 0
            try:
                description, rows = self.run(statement, params or {})
                if description is not None:
                    out += result_set(description, rows, self.types)
                    out += done(token, more | DONE_COUNT, len(rows), CMD_SELECT)
                elif rows < 0 or self.nocount:
                    out += done(token, more)
                else:
                    out += done(token, more | DONE_COUNT, rows)
            except sqlite3.Error as exc:
                failed = True
                out += message(TOKEN_ERROR, error_number(exc), 1, 16, str(exc))
                out += done(token, more | DONE_ERROR)
        self.variables = {}
        return bytes(out), failed


def run_batch(session, text):
    return session.run_statements(text)[0]


# ---------------------------------------------------------------- RPC parameters

FIXED_SIZES = {0x1F: 0, 0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3A: 4, 0x3B: 4,
               0x3C: 8, 0x3D: 8, 0x3E: 8, 0x7A: 4}
BYTE_LENGTH = {0x24, 0x26, 0x68, 0x6D, 0x6E, 0x6F}
SHORT_TEXT = {0xA7, 0xAF, 0xE7, 0xEF}
SHORT_BINARY = {0xA5, 0xAD}
SCALED = {0x29, 0x2A, 0x2B}


class Reader:
    def __init__(self, data, offset=0):
        self.data, self.pos = data, offset

    def take(self, size):
        if self.pos + size > len(self.data):
            raise struct.error("request ends early")
        chunk = self.data[self.pos:self.pos + size]
        self.pos += size
        return chunk

    def unpack(self, fmt):
        return struct.unpack(fmt, self.take(struct.calcsize(fmt)))[0]

    def at_end(self):
        return self.pos >= len(self.data)


class Param:
    def __init__(self, name, status, type_info, raw, value):
        self.name, self.status, self.type_info, self.raw, self.value = name, status, type_info, raw, value

    @property
    def output(self):
        return bool(self.status & 0x01)


def decode_text(kind, data):
    if kind in (0xE7, 0xEF, 0x63):
        return data.decode("utf-16-le", errors="replace")
    return data.decode("gbk", errors="replace")


def decode_fixed(kind, data):
    if kind in (0x30, 0x32, 0x34, 0x38, 0x7F, 0x26, 0x68):
        return int.from_bytes(data, "little", signed=kind != 0x30 and len(data) > 1)
    if kind in (0x3B, 0x3E, 0x6D):
        return struct.unpack("<f" if len(data) == 4 else "<d", data)[0]
    if kind in (0x3C, 0x7A, 0x6E):
        if len(data) == 8:
            high, low = struct.unpack("<iI", data)
            return ((high << 32) | low) / 10000
        return struct.unpack("<i", data)[0] / 10000
    if kind in (0x3D, 0x3A, 0x6F):
        if len(data) == 8:
            days, ticks = struct.unpack("<iI", data)
            moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, milliseconds=ticks * 10 / 3)
        else:
            days, minutes = struct.unpack("<HH", data)
            moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, minutes=minutes)
        return stored_moment(moment)
    return bytes(data)


def stored_moment(moment):
    """A date and time as the embedded database keeps it: the date alone at midnight,
    so that it compares with date texts as SQL Server compares the values."""
    if moment.time() == datetime.time(0):
        return moment.date().isoformat()
    return moment.isoformat(" ", timespec="milliseconds").rstrip("0").rstrip(".")


def decode_moment(kind, scale, data):
    """DATE, TIME or DATETIME2 as the ISO text the embedded database keeps."""
    if kind == 0x28:
        return (DATE_ORIGIN + datetime.timedelta(days=int.from_bytes(data, "little"))).isoformat()
    time_size = len(data) - (3 if kind == 0x2A else 0)
    units = int.from_bytes(data[:time_size], "little")
    seconds, fraction = divmod(units, 10 ** scale)
    clock = (datetime.datetime.min + datetime.timedelta(seconds=seconds)).strftime("%H:%M:%S")
    if fraction:
        clock += "." + str(fraction).rjust(scale, "0").rstrip("0")
    if kind == 0x29:
        return clock
    day = DATE_ORIGIN + datetime.timedelta(days=int.from_bytes(data[time_size:], "little"))
    return day.isoformat() if units == 0 else day.isoformat() + " " + clock


def read_plp(reader):
    total = reader.unpack("<Q")
    if total == PLP_NULL:
        return None
    data = bytearray()
    while True:
        size = reader.unpack("<I")
        if size == 0:
            return bytes(data)
        data += reader.take(size)


def read_param(reader):
    name = reader.take(reader.unpack("<B") * 2).decode("utf-16-le")
    status = reader.unpack("<B")
    start = reader.pos
    kind = reader.unpack("<B")
    if kind in FIXED_SIZES:
        info_end = reader.pos
        data = reader.take(FIXED_SIZES[kind])
        value = decode_fixed(kind, data) if data else None
    elif kind in BYTE_LENGTH:
        reader.take(1)
        info_end = reader.pos
        size = reader.unpack("<B")
        value = decode_fixed(kind, reader.take(size)) if size else None
    elif kind in (0x6A, 0x6C):
        reader.take(3)
        info_end = reader.pos
        size = reader.unpack("<B")
        scale = reader.data[info_end - 1]
        value = None
        if size:
            data = reader.take(size)
            number = int.from_bytes(data[1:], "little") * (1 if data[0] else -1)
            value = number / 10 ** scale if scale else number
    elif kind == 0x28 or kind in SCALED:
        scale = reader.unpack("<B") if kind in SCALED else 0
        info_end = reader.pos
        size = reader.unpack("<B")
        value = decode_moment(kind, scale, reader.take(size)) if size else None
    elif kind in SHORT_TEXT or kind in SHORT_BINARY:
        width = reader.unpack("<H")
        if kind in SHORT_TEXT:
            reader.take(5)
        info_end = reader.pos
        if width == 0xFFFF:
            data = read_plp(reader)
        else:
            size = reader.unpack("<H")
            data = None if size == 0xFFFF else reader.take(size)
        value = None if data is None else (decode_text(kind, data) if kind in SHORT_TEXT else bytes(data))
    elif kind in (0x23, 0x63, 0x22):
        reader.take(4)
        if kind != 0x22:
            reader.take(5)
        info_end = reader.pos
        size = reader.unpack("<i")
        data = None if size < 0 else reader.take(size)
        value = None if data is None else (bytes(data) if kind == 0x22 else decode_text(kind, data))
    else:
        raise ValueError(f"parameter type 0x{kind:02x} is not supported here")
    type_info = reader.data[start:info_end]
    return Param(name, status, type_info, reader.data[info_end:reader.pos], value)


def int_value(number):
    return b"\x04" + struct.pack("<i", number)


def return_value(ordinal, param, raw=None):
    body = (struct.pack("<H", ordinal) + b_varchar(param.name) + b"\x01" + struct.pack("<IH", 0, 0)
            + param.type_info + (raw if raw is not None else param.raw))
    return bytes([TOKEN_RETURNVALUE]) + body


def declared_names(declaration):
    return [m.group(1) for m in re.finditer(r"@(\w+)", declaration or "")]


def bind(names, values):
    """The parameters by their names (as SQLite's @name parameters), named or by position."""
    bound = {}
    for index, param in enumerate(values):
        name = param.name.lstrip("@") if param.name else (names[index] if index < len(names) else f"P{index + 1}")
        bound[name] = param.value
    return bound


PROC_EXECUTESQL, PROC_PREPARE, PROC_EXECUTE, PROC_PREPEXEC, PROC_UNPREPARE = 10, 11, 12, 13, 15
PROC_CURSOROPEN, PROC_CURSORFETCH, PROC_CURSORCLOSE = 2, 7, 9
PROC_NAMES = {"sp_executesql": 10, "sp_prepare": 11, "sp_execute": 12, "sp_prepexec": 13,
              "sp_unprepare": 15, "sp_cursoropen": 2, "sp_cursorfetch": 7, "sp_cursorclose": 9}


def single_select(text):
    statements = split_statements(text)
    return len(statements) == 1 and re.match(r"^\s*(select|with)\b", statements[0], re.IGNORECASE)


def run_rpc(session, payload):
    """One remote procedure call, answered as SQL Server answers it."""
    reader = Reader(payload, Connection.headers_length(payload))
    name_length = reader.unpack("<H")
    if name_length == 0xFFFF:
        proc = reader.unpack("<H")
        proc_name = f"#{proc}"
    else:
        proc_name = reader.take(name_length * 2).decode("utf-16-le")
        proc = PROC_NAMES.get(proc_name.lower().split(".")[-1], proc_name)
    reader.unpack("<H")  # option flags
    params = []
    while not reader.at_end() and reader.data[reader.pos] not in (0x80, 0xFF, 0xFE):
        params.append(read_param(reader))

    def finish(out, failed, outputs=None):
        out = bytearray(out)
        out += struct.pack("<Bi", TOKEN_RETURNSTATUS, 1 if failed else 0)
        for ordinal, param in enumerate(params):
            if param.output:
                out += return_value(ordinal, param, (outputs or {}).get(ordinal))
        out += done(TOKEN_DONEPROC, DONE_ERROR if failed else DONE_FINAL)
        return bytes(out)

    def execute(text, values):
        # A SET inside a procedure's statements lasts until the procedure ends.
        nocount = session.nocount
        try:
            return session.run_statements(text, values, TOKEN_DONEINPROC, always_more=True)
        finally:
            session.nocount = nocount

    def text_of(index):
        return params[index].value if index < len(params) and params[index].value else ""

    if proc == PROC_EXECUTESQL:
        names = declared_names(text_of(1))
        return finish(*execute(text_of(0), bind(names, params[2:])))
    if proc in (PROC_PREPEXEC, PROC_PREPARE):
        handle = session.next_handle
        session.next_handle += 1
        session.prepared[handle] = (text_of(2), declared_names(text_of(1)))
        if proc == PROC_PREPARE:
            return finish(b"", False, {0: int_value(handle)})
        out, failed = execute(text_of(2), bind(session.prepared[handle][1], params[3:]))
        return finish(out, failed, {0: int_value(handle)})
    if proc == PROC_EXECUTE:
        handle = params[0].value if params else None
        if handle not in session.prepared:
            return finish(message(TOKEN_ERROR, 8179, 1, 16, f"Could not find prepared statement with handle {handle}.")
                          + done(TOKEN_DONEINPROC, DONE_MORE | DONE_ERROR), True)
        text, names = session.prepared[handle]
        return finish(*execute(text, bind(names, params[1:])))
    if proc == PROC_UNPREPARE:
        session.prepared.pop(params[0].value if params else None, None)
        return finish(b"", False)
    if proc == PROC_CURSOROPEN:
        text = text_of(1)
        values = bind(declared_names(text_of(5)), params[6:]) if len(params) > 5 else {}
        # No server cursor is kept: a batch or a statement other than a SELECT is run
        # directly, as SQL Server does, and so is a SELECT.
        info = message(TOKEN_INFO, 16954, 1, 10, "Executing SQL directly; no cursor.")
        out, failed = execute(text, values)
        return finish(info + out, failed, {0: int_value(0)})
    if proc in (PROC_CURSORFETCH, PROC_CURSORCLOSE):
        return finish(message(TOKEN_ERROR, 16916, 1, 16, "A cursor with the name or handle given does not exist.")
                      + done(TOKEN_DONEINPROC, DONE_MORE | DONE_ERROR), True)
    return (message(TOKEN_ERROR, 2812, 62, 16, f"Could not find stored procedure '{proc_name}'.")
            + done(TOKEN_DONEPROC, DONE_ERROR))


# ---------------------------------------------------------------- transactions

TM_BEGIN_XACT, TM_COMMIT_XACT, TM_ROLLBACK_XACT = 5, 7, 8


def begin_transaction(session):
    if not session.db.in_transaction:
        session.db.execute("BEGIN")
    session.descriptor = struct.pack("<Q", session.next_handle + 0x1000)
    session.next_handle += 1
    return env_change(8, b"\x08" + session.descriptor, b"\x00")


def run_transaction_request(session, payload):
    """A transaction-manager request: begin, commit or roll back on the SQLite connection."""
    reader = Reader(payload, Connection.headers_length(payload))
    request = reader.unpack("<H")
    db = session.db
    try:
        if request == TM_BEGIN_XACT:
            return begin_transaction(session) + done(TOKEN_DONE, DONE_FINAL)
        if request in (TM_COMMIT_XACT, TM_ROLLBACK_XACT):
            reader.take(reader.unpack("<B") * 2)  # transaction name
            flags = reader.unpack("<B") if not reader.at_end() else 0
            session.end_transaction(request == TM_COMMIT_XACT)
            kind = 9 if request == TM_COMMIT_XACT else 10
            out = env_change(kind, b"\x00", b"\x08" + session.descriptor)
            session.descriptor = bytes(8)
            if flags & 0x01:  # fBeginXact: a new transaction follows at once
                out += begin_transaction(session)
            return out + done(TOKEN_DONE, DONE_FINAL)
    except sqlite3.Error as exc:
        return message(TOKEN_ERROR, 3902, 1, 16, str(exc)) + done(TOKEN_DONE, DONE_ERROR)
    return (message(TOKEN_ERROR, 102, 1, 16, f"Transaction request {request} is not supported here.")
            + done(TOKEN_DONE, DONE_ERROR))


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
                                  check_same_thread=False, timeout=30)
        self.session = Session(self.db, self.options.adapter_process, self.options.types)
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
    def headers_length(payload):
        # TDS 7.2 and later put ALL_HEADERS (its own total length first, then the
        # transaction descriptor and the request count) before the request itself.
        skip = struct.unpack_from("<I", payload, 0)[0] if len(payload) >= 4 else 0
        return skip if 4 <= skip <= len(payload) else 0

    @classmethod
    def batch_text(cls, payload):
        return payload[cls.headers_length(payload):].decode("utf-16-le", errors="replace")

    def serve(self):
        kind, payload = self.read_message()
        if kind == PKT_PRELOGIN:
            self.prelogin()
            kind, payload = self.read_message()
        if kind != PKT_LOGIN7 or not self.login(payload):
            return
        while True:
            kind, payload = self.read_message()
            if self.options.trace:
                print(f"request {kind}: {payload[:160]!r}", file=sys.stderr, flush=True)
            if kind == PKT_SQL_BATCH:
                self.send(run_batch(self.session, self.batch_text(payload)))
            elif kind == PKT_ATTENTION:
                # Replies are complete before the next request is read: just acknowledge.
                self.send(done(TOKEN_DONE, DONE_ATTN))
            elif kind == PKT_RPC:
                try:
                    reply = run_rpc(self.session, payload)
                except (ValueError, struct.error, IndexError) as exc:
                    reply = (message(TOKEN_ERROR, 8009, 1, 16, f"The remote procedure call is malformed: {exc}")
                             + done(TOKEN_DONEPROC, DONE_ERROR))
                self.send(reply)
            elif kind == PKT_TRANSACTION:
                self.send(run_transaction_request(self.session, payload))
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
                # A connection that ends rolls back its open transaction and frees its locks.
                self.session.end_transaction(False)
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
    parser.add_argument("--trace", action="store_true", help="print each request to stderr")
    parser.add_argument("--user", default="sa")
    parser.add_argument("--password", default="pw")
    parser.add_argument("--adapter", help="the program's T-SQL adapter tool: statements are adapted for SQLite")
    parser.add_argument("--schema", help="the SQL Server schema whose column types results carry")
    options = parser.parse_args()
    options.adapter_process = Adapter(options.adapter) if options.adapter else None
    options.types = declared_types(options.schema)
    # Readers never hold up a writer, as under SQL Server's row versioning.
    with sqlite3.connect(options.database) as db:
        db.execute("PRAGMA journal_mode=WAL")

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
