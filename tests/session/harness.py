"""What the session tests share: a clean environment for dvsql, an account on the backend under
test, a dvsql run in the background whose input the test writes line by line, and a small
runner of check functions that prints 'N passed, N failed' and exits 0, 1 or 77 (skipped)."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIPPED = 77


def arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--dvsql", required=True)
    parser.add_argument("--driver", required=True, help="the scripted DCI driver library")
    parser.add_argument("--backend", choices=["sqlite", "postgresql"], default="sqlite")
    return parser.parse_args()


def clean_environment(**changes):
    """The caller's environment without DVSQL_* and libpq's PG* variables, plus changes."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("DVSQL_") and not k.startswith("PG")}
    env.update(changes)
    return env


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.02)


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return b""


class Account:
    """An empty account on the backend: a directory for SQLite, a database of its own for
    PostgreSQL (dropped at close). `conninfo` is the server's libpq text for PostgreSQL."""

    def __init__(self, dvsql, backend, work, name):
        self.dvsql = dvsql
        self.backend = backend
        if backend == "sqlite":
            self.text = os.path.join(work, name)
            os.mkdir(self.text)
            return
        self.conninfo = os.environ["DVSQL_TEST_PG"]
        self.database = f"dv_session_{name}_{os.getpid()}"
        self._admin(f"create database {self.database}")
        self.text = f"{self.conninfo} dbname={self.database}"

    def _admin(self, sql):
        run = subprocess.run([self.dvsql, "-s", "-c", f"{self.conninfo} dbname=postgres"],
                             input=sql.encode() + b"\n", capture_output=True,
                             env=clean_environment(), timeout=60)
        if run.returncode != 0 or run.stderr:
            raise AssertionError(f"{sql}: {run.stderr.decode(errors='replace')}")

    def query(self, sql):
        """Runs sql in a session of its own; returns standard output."""
        run = subprocess.run([self.dvsql, "-s", "-c", self.text], input=sql.encode() + b"\n",
                             capture_output=True, env=clean_environment(), timeout=60)
        if run.returncode != 0 or run.stderr:
            raise AssertionError(f"{sql}: {run.stderr.decode(errors='replace')}")
        return run.stdout.decode()

    def close(self):
        if self.backend == "postgresql":
            self._admin(f"drop database {self.database} with (force)")


class Background:
    """dvsql with its input from a pipe that the test writes to, and its output in files."""

    def __init__(self, dvsql, args, work, env):
        self.out_path = os.path.join(work, "stdout")
        self.err_path = os.path.join(work, "stderr")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen([dvsql, *args], stdin=subprocess.PIPE, stdout=out,
                                            stderr=err, env=env)

    def send(self, line):
        self.process.stdin.write(line.encode("utf-8", "surrogateescape") + b"\n")
        self.process.stdin.flush()

    def stdout(self):
        return read_bytes(self.out_path).decode(errors="replace")

    def stderr(self):
        return read_bytes(self.err_path).decode(errors="replace")

    def wait_for_output(self, text, timeout=20):
        wait_until(lambda: text in self.stdout(), timeout, repr(text) + " on standard output")

    def signal_and_wait(self, signum, timeout=10):
        """Sends signum; returns dvsql's exit status and the seconds it took to end."""
        start = time.monotonic()
        self.process.send_signal(signum)
        status = self.process.wait(timeout=timeout)
        return status, time.monotonic() - start

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdin.close()


def run_checks(checks, backend):
    """Runs each check(work) in a directory of its own; a check for other backends (its
    `backends` attribute) is left out."""
    if backend == "postgresql" and not os.environ.get("DVSQL_TEST_PG"):
        print("skipped: DVSQL_TEST_PG is not set")
        sys.exit(SKIPPED)
    passed = failed = 0
    for check in checks:
        if backend not in getattr(check, "backends", ("sqlite", "postgresql")):
            continue
        work = tempfile.mkdtemp(prefix="dvsql-session-")
        try:
            check(work)
            passed += 1
            print(f"passed: {check.__name__}")
        except Exception:  # a failed check reports and the others still run
            failed += 1
            print(f"FAILED: {check.__name__}")
            traceback.print_exc(file=sys.stdout)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


def only(*backends):
    def mark(check):
        check.backends = backends
        return check
    return mark


SIGNAL_STATUS = {signal.SIGINT: 130, signal.SIGTERM: 143, signal.SIGHUP: 129}
