"""dvsql at a terminal (a pseudo-terminal): line editing, the history file and its limits, Tab
completion of keywords and table names, Ctrl-C that interrupts the running statement, a result
paused at "(more)" or the line being typed and leaves the session usable, and the signals that
still end it."""

import os
import signal
import stat
import time

import harness

ARGS = harness.arguments(__doc__)
LEFT, UP, CTRL_C, CTRL_R, TAB = "\x1b[D", "\x1b[A", "\x03", "\x12", "\t"
LONG_STATEMENT = {
    "sqlite": "with recursive c(x) as (select 1 union all select x + 1 from c) "
              "select count(*) from c",
    "postgresql": "select pg_sleep(30)",
}
CANCELLED = 'SQLExecDirect(): RETCODE=-1, SQLState="S1008"'


def with_terminal(check):
    """check(work, account, start), where start(env=None, name=...) opens a terminal session on
    a new account (prompting, in page mode); every session is ended afterwards."""
    def run(work):
        account = harness.Account(ARGS.dvsql, ARGS.backend, work, "acct")
        sessions = []

        def start(env=None, name="terminal"):
            env = env or harness.clean_environment(DVSQL_HISTFILE=os.path.join(work, "history"))
            session = harness.Terminal(ARGS.dvsql, [account.text], work, env, name)
            sessions.append(session)
            session.prompt()
            return session
        try:
            check(work, account, start)
        finally:
            for session in sessions:
                session.close()
            account.close()
    run.__name__ = check.__name__
    return run


def run_line(session, line):
    """Types line and Enter; returns the output up to the next prompt."""
    session.type(line + "\r")
    return session.prompt()


def quit_session(session):
    session.type("q\r")
    assert session.wait() == 0, session.stderr()


@harness.only("sqlite")
@with_terminal
def editing_moves_inserts_and_keeps_characters_whole(work, account, start):
    session = start()
    # The cursor goes back over "é' as v" (7 characters, é two bytes) and "b" goes in before é.
    out = run_line(session, "select 'a\u00e9' as v" + LEFT * 7 + "b")
    assert "v: ab\u00e9\r\n1 row" in out, out
    quit_session(session)
    assert session.stderr() == "", session.stderr()


@harness.only("sqlite")
@with_terminal
def history_is_kept_across_sessions_without_duplicates_or_replies(work, account, start):
    path = os.path.join(work, "history")
    first = start()
    run_line(first, "select 1 as a")
    run_line(first, "select 1 as a")  # the same again: not added
    run_line(first, "select 2 as b")
    first.type("select 1 as x union all select 2\r")
    first.prompt("(more)")
    first.type("zzreply\r")  # a reply to "(more)": never added
    assert "2 rows" in first.prompt()
    quit_session(first)
    assert stat.S_IMODE(os.stat(path).st_mode) == 0o600
    with open(path) as f:
        assert f.read().splitlines() == [
            "select 1 as a", "select 2 as b", "select 1 as x union all select 2", "q"]

    second = start(name="second")
    assert "b: 2" in run_line(second, UP * 3), "the third line back is not select 2 as b"
    # Ctrl-R searches back for the text typed after it.
    assert "a: 1" in run_line(second, CTRL_R + "1 as a")
    quit_session(second)


@harness.only("sqlite")
@with_terminal
def history_file_is_capped_and_its_failures_are_warnings(work, account, start):
    # No DVSQL_HISTFILE: the file in the home directory, cut to its last 2,000 lines.
    default = os.path.join(work, ".dvsql_history")
    with open(default, "w") as f:
        f.writelines(f"select {i}\n" for i in range(2500))
    session = start(harness.clean_environment(HOME=work))
    run_line(session, "select 'new' as n")
    quit_session(session)
    with open(default) as f:
        lines = f.read().splitlines()
    assert len(lines) == 2000 and lines[0] == "select 502", (len(lines), lines[0])
    assert lines[-2:] == ["select 'new' as n", "q"], lines[-2:]

    # A file that cannot be opened: one warning line, and the session goes on.
    missing = os.path.join(work, "missing", "history")
    session = start(harness.clean_environment(DVSQL_HISTFILE=missing), name="unwritable")
    assert "v: 1" in run_line(session, "select 1 as v")
    quit_session(session)
    assert session.stderr() == f"dvsql: cannot open history file {missing}: " \
                               "No such file or directory\n", session.stderr()

    # /dev/null: nothing read or written, nor anything made in the home directory.
    os.remove(default)
    before = os.stat("/dev/null")
    session = start(harness.clean_environment(HOME=work, DVSQL_HISTFILE="/dev/null"),
                    name="devnull")
    run_line(session, "select 1 as v")
    quit_session(session)
    after = os.stat("/dev/null")
    assert (after.st_mode, after.st_rdev) == (before.st_mode, before.st_rdev)
    assert not os.path.exists(default) and session.stderr() == ""


@with_terminal
def tab_completes_keywords_and_table_names(work, account, start):
    account.query("create table dv_tab_one (a text)\ncreate table dv_tab_two (b text)\n"
                  "create table dv_single (c text)")
    session = start()
    assert "k: 1" in run_line(session, "sel" + TAB + "1 as k")
    out = run_line(session, "select * from dv_si" + TAB)
    assert "c: \r\n0 rows" in out, out
    # Two names: the common part is completed, a second Tab lists both.
    session.type("select * from dv_t" + TAB + TAB)
    session.expect("dv_tab_one  dv_tab_two")
    session.expect("DVSQL: select * from dv_tab_")  # the line again under the list
    out = run_line(session, "two")
    assert "b: \r\n0 rows" in out, out
    # A table made in the session is offered at the next completion.
    run_line(session, "create table dv_later (d text)")
    out = run_line(session, "select * from dv_la" + TAB)
    assert "d: \r\n0 rows" in out, out
    quit_session(session)
    assert session.stderr() == "", session.stderr()


@with_terminal
def interrupt_cancels_the_running_statement_and_the_session_goes_on(work, account, start):
    session = start()
    session.type(LONG_STATEMENT[ARGS.backend] + "\r")
    time.sleep(0.5)  # the statement is running
    began = time.monotonic()
    session.type(CTRL_C)
    session.prompt()
    seconds = time.monotonic() - began
    assert seconds < 1, f"took {seconds:.2f} s to come back to the prompt"
    assert session.stderr().startswith(CANCELLED), session.stderr()
    assert "s: 7" in run_line(session, "select 7 as s")
    quit_session(session)


@harness.only("postgresql")
@with_terminal
def interrupt_in_a_transaction_aborts_it_on_postgresql(work, account, start):
    account.query("create table t (a text)")
    session = start()
    run_line(session, "begin")
    run_line(session, "insert into t values ('uncommitted')")
    session.type(LONG_STATEMENT[ARGS.backend] + "\r")
    time.sleep(0.5)
    session.type(CTRL_C)
    session.prompt()
    run_line(session, "select 1 as a")  # fails: the transaction is aborted
    assert 'SQLExecDirect(): RETCODE=-1, SQLState="25000"' in session.stderr(), session.stderr()
    run_line(session, "rollback")
    assert "n: 0" in run_line(session, "select count(*) as n from t")
    quit_session(session)


@with_terminal
def interrupt_clears_the_line_and_stops_a_paused_result(work, account, start):
    session = start()
    session.type("select 'junk' as j")
    session.type(CTRL_C)
    session.prompt()
    assert "b: 2" in run_line(session, "select 2 as b")
    session.type("select 1 as x union all select 2 union all select 3\r")
    session.prompt("(more)")
    began = time.monotonic()
    session.type("half a reply" + CTRL_C)
    out = session.prompt()
    assert time.monotonic() - began < 1
    assert "x: 2" not in out and "rows" not in out, out
    assert "c: 3" in run_line(session, "select 3 as c")
    quit_session(session)
    assert "junk" not in session.output.decode(errors="replace").split("DVSQL: ", 2)[2]
    assert session.stderr() == "", session.stderr()


@harness.only("sqlite")
@with_terminal
def terminate_hangup_and_overlong_lines_still_end_the_session(work, account, start):
    for signum in (signal.SIGTERM, signal.SIGHUP):
        session = start(name=f"signal{signum}")
        session.process.send_signal(signum)
        assert session.wait() == harness.SIGNAL_STATUS[signum]
    # The longest line that fits, 20,479 characters, runs; one more is an overflow.
    session = start(name="long")
    fitting = "select 1 as a --"
    fitting += "x" * (20479 - len(fitting))
    assert "a: 1" in run_line(session, fitting)
    session.type(fitting + "x\r")
    assert session.wait() == 1
    assert session.stderr() == "Input buffer overflow\n", session.stderr()


harness.run_checks([
    editing_moves_inserts_and_keeps_characters_whole,
    history_is_kept_across_sessions_without_duplicates_or_replies,
    history_file_is_capped_and_its_failures_are_warnings,
    tab_completes_keywords_and_table_names,
    interrupt_cancels_the_running_statement_and_the_session_goes_on,
    interrupt_in_a_transaction_aborts_it_on_postgresql,
    interrupt_clears_the_line_and_stops_a_paused_result,
    terminate_hangup_and_overlong_lines_still_end_the_session,
], ARGS.backend)
