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


class Terminal:
    """dvsql on a pseudo-terminal (standard input and output), as a user at a terminal runs it,
    with standard error in a file. Output is read as it comes; `expect` waits for a text in what
    came since the last match."""

    COLUMNS = 200

    def __init__(self, dvsql, args, work, env, name="terminal"):
        import fcntl
        import struct
        import termios
        master, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, self.COLUMNS, 0, 0))
        self.master = master
        self.err_path = os.path.join(work, name + ".stderr")
        self.output = b""
        self.mark = 0
        env = dict(env, TERM="xterm")
        env.setdefault("HOME", work)
        env.setdefault("LANG", "C.UTF-8")
        with open(self.err_path, "wb") as err:
            # A session of its own with the terminal as its controlling terminal: Ctrl-C
            # typed on it sends SIGINT to dvsql.
            self.process = subprocess.Popen(
                [dvsql, *args], stdin=slave, stdout=slave, stderr=err, env=env,
                start_new_session=True,
                preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        os.set_blocking(master, False)

    def _drain(self, timeout):
        import select
        ready, _, _ = select.select([self.master], [], [], timeout)
        if not ready:
            return False
        try:
            data = os.read(self.master, 65536)
        except BlockingIOError:
            return False
        except OSError:  # EIO: dvsql has ended and closed the terminal
            data = b""
        if not data:
            return None
        self.output += data
        return True

    def type(self, text, timeout=30):
        """Types text (str or bytes), reading the echo meanwhile: neither side of the terminal
        can then fill up and block the other."""
        import select
        data = text.encode() if isinstance(text, str) else text
        deadline = time.monotonic() + timeout
        while data:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError(f"could not type {len(data)} more bytes in {timeout} s")
            readable, writable, _ = select.select([self.master], [self.master], [], left)
            if readable and self._drain(0) is None:
                raise AssertionError("dvsql ended while being typed to")
            if writable:
                try:
                    data = data[os.write(self.master, data[:256]):]
                except BlockingIOError:
                    pass
        while self._drain(0):
            pass

    def expect(self, text, timeout=10):
        """Waits for text (str) in the output since the last match; returns what came before
        it. Raises AssertionError after timeout seconds."""
        wanted = text.encode()
        deadline = time.monotonic() + timeout
        while True:
            found = self.output.find(wanted, self.mark)
            if found >= 0:
                before = self.output[self.mark:found]
                self.mark = found + len(wanted)
                return before.decode(errors="replace")
            left = deadline - time.monotonic()
            if left <= 0 or self._drain(left) is None:
                raise AssertionError(f"no {text!r} within {timeout} s; got "
                                     f"{self.output[self.mark:][-2000:]!r}")

    def prompt(self, text="DVSQL: ", timeout=10):
        """expect(text), then waits until the editor reads the terminal (echo off): the editor
        writes its prompt just before, and what is typed in between would be echoed twice."""
        import termios
        before = self.expect(text, timeout)
        wait_until(lambda: not termios.tcgetattr(self.master)[3] & termios.ECHO, timeout,
                   "the line editor to read the terminal")
        return before

    def stderr(self):
        return read_bytes(self.err_path).decode(errors="replace")

    def wait(self, timeout=10):
        """Waits for dvsql to end, reading its last output; returns its exit status."""
        deadline = time.monotonic() + timeout
        while self.process.poll() is None and time.monotonic() < deadline:
            self._drain(0.05)
        status = self.process.wait(timeout=max(0.1, deadline - time.monotonic()))
        while self._drain(0):
            pass
        return status

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.close(self.master)
