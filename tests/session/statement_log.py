"""The statement log (DVSQL_LOG): one JSON line per statement with every field, statements and
messages of any bytes that come back unchanged, standard output and error the same as without
the log, and no password of the account anywhere in the file."""

import datetime
import json
import os
import re
import subprocess

import harness

ARGS = harness.arguments(__doc__)
FIELDS = {"time", "account", "statement", "duration_us", "rows", "outcome", "diagnostics"}
TIME = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z\Z")


def text(raw):
    """A logged string as the bytes it stands for."""
    return raw.encode("utf-8", "surrogateescape")


def run(args, statements, env):
    return subprocess.run([ARGS.dvsql, *args], input=b"".join(s + b"\n" for s in statements),
                          capture_output=True, env=env, timeout=60)


def logged(path):
    """The log's lines, each parsed and checked for every field."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    assert lines[-1] == b"", "the log does not end with a newline"
    records = [json.loads(line) for line in lines[:-1]]
    for r in records:
        assert set(r) == FIELDS, sorted(r)
        assert TIME.match(r["time"]), r["time"]
        when = datetime.datetime.strptime(r["time"], "%Y-%m-%dT%H:%M:%S.%fZ")
        now = datetime.datetime.now(datetime.timezone.utc)
        assert abs(now - when.replace(tzinfo=datetime.timezone.utc)) < datetime.timedelta(minutes=5)
        assert isinstance(r["duration_us"], int) and r["duration_us"] >= 0
        for d in r["diagnostics"]:
            assert set(d) == {"call", "sqlstate", "native", "message"}, sorted(d)
    return records


def log_lines_have_every_field_and_keep_every_byte(work):
    quoted = "select 'it''s \"q\" caf\u00e9\r\t' as v".encode()
    invalid = b"select 'bad \xff\xc3 bytes' as v"
    statements = [b"create temp table t (a text)", quoted, b"insert into t values ('x')",
                  b"select a from t", b"select * from nosuch", invalid]
    accounts = [harness.Account(ARGS.dvsql, ARGS.backend, work, name) for name in ("a", "b")]
    try:
        path = os.path.join(work, "log")
        with_log = run(["-s", "-c", accounts[0].text], statements,
                       harness.clean_environment(DVSQL_LOG=path))
        without = run(["-s", "-c", accounts[1].text], statements, harness.clean_environment())
    finally:
        for account in accounts:
            account.close()
    assert with_log.returncode == without.returncode == 0
    assert (with_log.stdout, with_log.stderr) == (without.stdout, without.stderr)
    assert os.stat(path).st_mode & 0o777 == 0o600
    records = logged(path)
    assert [text(r["statement"]) for r in records] == statements
    assert {r["account"] for r in records} == {accounts[0].text}
    summary = [(r["rows"], r["outcome"]) for r in records[:5]]
    assert summary == [(None, "success"), (1, "success"), (1, "success"), (1, "success"),
                       (None, "error")], summary
    [error] = records[4]["diagnostics"]
    assert (error["call"], error["sqlstate"]) == ("SQLExecDirect()", "S0002"), error
    # PostgreSQL refuses the invalid bytes, SQLite takes them.
    expected = "error" if ARGS.backend == "postgresql" else "success"
    assert records[5]["outcome"] == expected, records[5]


@harness.only("postgresql")
def password_of_the_account_is_never_logged(work):
    server = dict(pair.split("=", 1) for pair in os.environ["DVSQL_TEST_PG"].split())
    secret = "Very-Secret-77"
    uri = (f"postgresql://{server['user']}:{secret}@/postgres"
           f"?host={server['host']}&port={server['port']}&password={secret}")
    conninfo = f"{os.environ['DVSQL_TEST_PG']} dbname=postgres password='{secret}'"
    path = os.path.join(work, "log")
    for account in (uri, conninfo):
        done = run(["-s", account], [b"select 1 as one"], harness.clean_environment(DVSQL_LOG=path))
        assert done.returncode == 0 and done.stdout == b"one: 1\n1 row\n", done
    assert secret.encode() not in harness.read_bytes(path)
    assert [r["account"] for r in logged(path)] == [
        f"postgresql://{server['user']}@/postgres?host={server['host']}&port={server['port']}",
        f"{os.environ['DVSQL_TEST_PG']} dbname=postgres"]


@harness.only("sqlite")
def every_diagnostics_record_of_a_statement_is_logged(work):
    script = os.path.join(work, "driver.script")
    with open(script, "w") as f:
        f.write("""SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLExecDirect 1
diag 01000 7 "two\\nlines, \\"quoted\\", \\xc3\\xa9 and \\xff"
SQLNumResultCols 0 1
SQLColAttributes 0 "v"
SQLFetch 0
SQLGetData 1 "cut"
diag 01004 0 "Data truncated"
SQLFetch 100
SQLFreeStmt 0
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
""")
    path = os.path.join(work, "log")
    env = harness.clean_environment(DVSQL_DCI=ARGS.driver, DVSQL_DCI_SCRIPT=script,
                                    DVSQL_LOG=path)
    done = run(["-s", "-m2", "user:pw@acct"], [b"select v"], env)
    assert done.returncode == 0, done
    [record] = logged(path)
    assert (record["account"], record["rows"], record["outcome"]) == (
        "user:pw@acct", 1, "success_with_info"), record  # not an account with a password
    calls = [(d["call"], d["sqlstate"], d["native"], text(d["message"]))
             for d in record["diagnostics"]]
    assert calls == [("SQLExecDirect()", "01000", 7, b'two\nlines, "quoted", \xc3\xa9 and \xff'),
                     ("SQLGetData()", "01004", 0, b"Data truncated")], calls


harness.run_checks([
    log_lines_have_every_field_and_keep_every_byte,
    password_of_the_account_is_never_logged,
    every_diagnostics_record_of_a_statement_is_logged,
], ARGS.backend)
