// The signals that end or interrupt a session: SIGINT, SIGTERM and SIGHUP. The
// handler records the first signal that arrives and asks the driver to cancel
// the statement that is running (SQLCancel, when the driver has it); nothing
// else runs in it. The statement loop and the input reader look at what it
// recorded, so that the session ends cleanly: the statement stopped, the
// connection closed, exit status 128 + the signal's number. At a terminal,
// SIGINT only interrupts: it stops what runs and the session goes on.
#ifndef DVSQL_INTERP_SIGNALS_H_
#define DVSQL_INTERP_SIGNALS_H_

#include <csignal>

#include "dci/dci.h"

namespace interp {

// What SIGINT does: end the session as SIGTERM and SIGHUP do (input from a
// script), or only interrupt what runs (a user at a terminal).
enum class InterruptAction { kEndSession, kInterrupt };

// Installs the handler for SIGINT, SIGTERM and SIGHUP, except for a signal
// that the process was started with ignored (nohup, a background job), which
// stays ignored. From then on the handler calls cancel (when not null) with
// stmt. Interrupted system calls are not restarted, so that a wait for input
// ends at once. REQUIRES: called once.
void catchSignals(SQLCancelFn cancel, DciHandle stmt,
                  InterruptAction onInterrupt = InterruptAction::kEndSession);

// Stops the handler calling the cancel: from now on stmt may be freed.
void stopCancelling();

namespace signals_internal {
// Set by the handler; read through caughtSignal and stopRequested.
extern volatile std::sig_atomic_t caught;
extern volatile std::sig_atomic_t interrupted;
}  // namespace signals_internal

// The first of the signals that arrived since catchSignals and end the
// session, or 0.
inline int caughtSignal() {
  return signals_internal::caught;
}

// Whether what runs should stop: a signal ends the session, or an interrupt
// (InterruptAction::kInterrupt) waits to be taken. Inline: the statement loop
// asks after every record.
inline bool stopRequested() {
  return (signals_internal::caught | signals_internal::interrupted) != 0;
}

// Takes the waiting interrupt: returns whether there was one. Interrupts that
// come before one is taken count as one.
bool takeInterrupt();

// 128 + the caught signal's number, or `otherwise` when none arrived.
int exitStatus(int otherwise);

// Waits until fd has input, has ended or is in error. Returns false, without
// waiting, while stopRequested(); a signal that arrives just before the wait
// ends it as well as one that arrives during it.
bool waitForInput(int fd);

}  // namespace interp

#endif  // DVSQL_INTERP_SIGNALS_H_
