#!/usr/bin/python3
"""FreeTDS's tsql and unixODBC's isql log in to the TDS test server and run queries.

Exits 77 (skipped) when tsql or isql is not installed.
"""

import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "tds_server.py")
DRIVER = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"
TEXT = "票据簿甲"
NUMBER = "12345"
QUERY = "select name, amount, note from books"

failures = []


def check(condition, what, output=""):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
        print(output)


def run(command, stdin, env=None):
    try:
        done = subprocess.run(command, input=stdin, capture_output=True, text=True,
                              timeout=8, env=env)
        return done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired as exc:
        return -1, f"timed out: {exc}"


def start_server(folder, database):
    port_file = os.path.join(folder, "port")
    server = subprocess.Popen([sys.executable, SERVER, database, "--port-file", port_file,
                               "--time-limit", "45", "--parent", str(os.getpid())],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and server.poll() is None:
        if os.path.exists(port_file):
            with open(port_file) as f:
                return server, f.read().strip()
        time.sleep(0.05)
    server.kill()
    raise SystemExit("the TDS test server did not start: " + server.stderr.read())


def odbc_environment(folder, port):
    with open(os.path.join(folder, "odbcinst.ini"), "w") as f:
        f.write(f"[FreeTDS]\nDriver = {DRIVER}\n")
    with open(os.path.join(folder, "odbc.ini"), "w") as f:
        f.write("[tessaline_tds]\nDriver = FreeTDS\nServer = 127.0.0.1\n"
                f"Port = {port}\nTDS_Version = 7.4\nDatabase = tessaline\n"
                "ClientCharset = UTF-8\n")
    env = dict(os.environ, ODBCSYSINI=folder, ODBCINI=os.path.join(folder, "odbc.ini"),
               LANG="C.UTF-8", LC_ALL="C.UTF-8")
    env.pop("FREETDSCONF", None)
    return env


def main():
    for tool in ("tsql", "isql"):
        if shutil.which(tool) is None:
            print(f"{tool} is not installed: skipped")
            return 77
    if not os.path.exists(DRIVER):
        print(f"{DRIVER} is not installed: skipped")
        return 77

    with tempfile.TemporaryDirectory(prefix="tds_tools_") as folder:
        database = os.path.join(folder, "books.db")
        with sqlite3.connect(database) as db:
            db.execute("create table books(name text, amount integer, note text)")
            db.execute("insert into books values(?, ?, NULL)", (TEXT, int(NUMBER)))

        server, port = start_server(folder, database)
        try:
            tsql = ["tsql", "-H", "127.0.0.1", "-p", port, "-U", "sa"]
            env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")

            code, out = run(tsql + ["-P", "pw"], f"{QUERY}\ngo\nexit\n", env)
            check(code == 0 and TEXT in out and NUMBER in out and "NULL" in out,
                  "tsql logs in and reads the Chinese text, the number and the NULL", out)

            code, out = run(tsql + ["-P", "pw"],
                            "update books set amount = amount + 1\ngo\n"
                            "select amount from books\ngo\nselect * from missing\ngo\nexit\n", env)
            check("(1 row affected)" in out and "12346" in out and "Msg 208" in out,
                  "tsql sees an update's row count, its result and an error's number", out)

            code, out = run(tsql + ["-P", "wrong"], "select 1\ngo\nexit\n", env)
            check(code != 0 and "18456" in out, "tsql is refused with a wrong password", out)

            env = odbc_environment(folder, port)
            isql = ["isql", "-v", "-b", "-e", "-d|", "tessaline_tds", "sa"]
            code, out = run(isql + ["pw"], QUERY + "\n", env)
            check(code == 0 and f"{TEXT}|{int(NUMBER) + 1}|" in out,
                  "isql over FreeTDS's ODBC driver reads the same row", out)

            code, out = run(isql + ["wrong"], "select 1\n", env)
            check(code != 0 and "Login failed" in out, "isql is refused with a wrong password", out)
        finally:
            server.kill()
            server.wait(timeout=5)

    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
