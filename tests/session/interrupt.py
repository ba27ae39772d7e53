"""Signals to a piped dvsql session: SIGINT cancels the running statement and ends dvsql with
status 130 after disconnecting; SIGTERM and SIGHUP end it the same way with 143 and 129. Nothing
that was not committed before is kept. With the scripted driver: the calls made on the way out,
and a driver without SQLCancel, whose running statement is then not stopped."""

import json
import os
import signal
import time

import harness

ARGS = harness.arguments(__doc__)
# Statements that run far longer than any check waits.
LONG_STATEMENT = {
    "sqlite": "with recursive c(x) as (select 1 union all select x + 1 from c) "
              "select count(*) from c",
    "postgresql": "select pg_sleep(30)",
}
LONG_RESULT = {
    "sqlite": "with recursive c(x) as (select 1 union all select x + 1 from c) select x from c",
    "postgresql": "select generate_series(1, 1000000000) as x",  # rows made as they are sent
}


def with_account(check):
    """check(work, account) on a new account holding table t with the committed row 'kept'."""
    def run(work):
        account = harness.Account(ARGS.dvsql, ARGS.backend, work, "acct")
        try:
            account.query("create table t (a text)\ninsert into t values ('kept')")
            check(work, account)
            assert account.query("select a from t") == "a: kept\n1 row\n", "uncommitted rows kept"
        finally:
            account.close()
    run.__name__ = check.__name__
    return run


def start_in_transaction(work, account, env=None):
    """dvsql with a transaction open that holds an uncommitted row, waiting for input."""
    session = harness.Background(ARGS.dvsql, ["-s", "-c", account.text], work,
                                 env or harness.clean_environment())
    session.send("begin")
    session.send("insert into t values ('uncommitted')")
    session.send("select 'go' as m")
    session.wait_for_output("m: go")  # written when dvsql waits for its next line
    return session


@with_account
def interrupt_cancels_the_running_statement(work, account):
    log = os.path.join(work, "statements.log")
    session = start_in_transaction(work, account, harness.clean_environment(DVSQL_LOG=log))
    try:
        session.send(LONG_STATEMENT[ARGS.backend])
        time.sleep(0.5)
        status, seconds = session.signal_and_wait(signal.SIGINT)
    finally:
        session.kill()
    assert status == 130, f"status {status}: {session.stderr()}"
    assert seconds < 3, f"took {seconds:.1f} s to end"
    err = session.stderr()
    assert err.startswith('SQLExecDirect(): RETCODE=-1, SQLState="S1008"'), err
    # The open transaction is reported at disconnection, as at any end of input.
    assert 'SQLDisconnect(): RETCODE=-1, SQLState="25000"' in err, err
    last = json.loads(harness.read_bytes(log).splitlines()[-1])
    assert (last["statement"], last["outcome"]) == (LONG_STATEMENT[ARGS.backend], "cancelled")


@with_account
def terminate_and_hangup_end_a_waiting_session(work, account):
    for signum in (signal.SIGTERM, signal.SIGHUP):
        session = start_in_transaction(work, account)
        try:
            status, seconds = session.signal_and_wait(signum)
        finally:
            session.kill()
        assert status == harness.SIGNAL_STATUS[signum], f"{signum!r}: status {status}"
        assert seconds < 3, f"{signum!r}: took {seconds:.1f} s to end"


@with_account
def interrupt_stops_a_result_being_printed(work, account):
    session = harness.Background(ARGS.dvsql, ["-s", "-c", account.text], work,
                                 harness.clean_environment())
    try:
        session.send(LONG_RESULT[ARGS.backend])
        session.wait_for_output("\n\nx: 1000\n")
        status, seconds = session.signal_and_wait(signal.SIGINT)
    finally:
        session.kill()
    assert status == 130 and seconds < 3, f"status {status} after {seconds:.1f} s"
    assert not session.stdout().rstrip("\n").endswith(" rows"), "a row count after the stop"


SETUP = """SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
"""
TEARDOWN = """SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
"""
SETUP_LOG = """SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select slow", 11) -> {rc}
"""
TEARDOWN_LOG = """SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
"""
CANCEL_LOG = "SQLCancel(3) -> 0\n"
ERROR_LOG = """SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
"""
SLOW_EXEC = 'SQLExecDirect -1 sleep={sleep}\ndiag S1008 0 "cancelled"\n'
CANCELLED = 'SQLExecDirect(): RETCODE=-1, SQLState="S1008", NativeError=0\nErrorMsg = "cancelled"\n'


def scripted(work, statement, waited_call):
    """Runs `select slow` on the scripted driver with statement's script lines, and interrupts
    it once the driver has logged waited_call; returns status, seconds, stderr and the log."""
    script = os.path.join(work, "driver.script")
    log = os.path.join(work, "driver.log")
    with open(script, "w") as f:
        f.write(SETUP + statement + TEARDOWN)
    env = harness.clean_environment(DVSQL_DCI=ARGS.driver, DVSQL_DCI_SCRIPT=script,
                                    DVSQL_DCI_LOG=log)
    session = harness.Background(ARGS.dvsql, ["-s", "acct"], work, env)
    try:
        session.send("select slow")
        session.send("select never")  # not run: the signal ends the session
        harness.wait_until(lambda: waited_call.encode() in harness.read_bytes(log), 10, waited_call)
        status, seconds = session.signal_and_wait(signal.SIGINT)
    finally:
        session.kill()
    return status, seconds, session.stderr(), harness.read_bytes(log).decode()


@harness.only("sqlite")
def scripted_driver_is_cancelled_then_the_session_closed(work):
    status, seconds, err, log = scripted(work, SLOW_EXEC.format(sleep=30000), "SQLExecDirect(")
    assert status == 130 and seconds < 3, f"status {status} after {seconds:.1f} s"
    assert err == CANCELLED, err
    assert log == SETUP_LOG.format(rc=-1) + CANCEL_LOG + ERROR_LOG + TEARDOWN_LOG, log


@harness.only("sqlite")
def scripted_result_stops_after_the_interrupted_fetch(work):
    # The second fetch is interrupted: its row is not read, the statement not closed but
    # dropped with the session.
    statement = """SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "a"
SQLFetch 0
SQLGetData 0 "1"
SQLFetch 0 sleep=30000
"""
    status, seconds, err, log = scripted(work, statement, "&len) -> 0\nSQLFetch(3)")
    assert status == 130 and seconds < 3, f"status {status} after {seconds:.1f} s"
    assert err == "", err
    assert log == SETUP_LOG.format(rc=0) + """SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 121, NULL, &num) -> 0
SQLFetch(3) -> 0
SQLGetData(3, 1, 1, &value, 20479, &len) -> 0
SQLFetch(3) -> 0
""" + CANCEL_LOG + TEARDOWN_LOG, log


@harness.only("sqlite")
def driver_without_cancel_finishes_the_statement_first(work):
    status, seconds, err, log = scripted(work, "omit 29\n" + SLOW_EXEC.format(sleep=1500),
                                         "SQLExecDirect(")
    assert status == 130, f"status {status}"
    assert seconds > 1, f"ended after {seconds:.1f} s: the statement was stopped"
    assert err == CANCELLED, err
    assert log == SETUP_LOG.format(rc=-1) + ERROR_LOG + TEARDOWN_LOG, log


harness.run_checks([
    interrupt_cancels_the_running_statement,
    terminate_and_hangup_end_a_waiting_session,
    interrupt_stops_a_result_being_printed,
    scripted_driver_is_cancelled_then_the_session_closed,
    scripted_result_stops_after_the_interrupted_fetch,
    driver_without_cancel_finishes_the_statement_first,
], ARGS.backend)
