// The signals that end or interrupt a session: SIGINT, SIGTERM and SIGHUP. The
// handler records the first signal that arrives and asks the driver to cancel
// the statement that is running (SQLCancel, when the driver has it); nothing
// else runs in it. The statement loop and the input reader look at what it
// recorded, so that the session ends cleanly: the statement stopped, the
// connection closed, exit status 128 + the signal's number.
#ifndef DVSQL_INTERP_SIGNALS_H_
#define DVSQL_INTERP_SIGNALS_H_

#include <csignal>

#include "dci/dci.h"

namespace interp {

// Installs the handler for SIGINT, SIGTERM and SIGHUP, except for a signal
// that the process was started with ignored (nohup, a background job), which
// stays ignored. From then on the handler calls cancel (when not null) with
// stmt. Interrupted system calls are not restarted, so that a wait for input
// ends at once. REQUIRES: called once.
void catchSignals(SQLCancelFn cancel, DciHandle stmt);

// Stops the handler calling the cancel: from now on stmt may be freed.
void stopCancelling();

namespace signals_internal {
// Set by the handler; read through caughtSignal.
extern volatile std::sig_atomic_t caught;
}  // namespace signals_internal

// The first of the signals that arrived since catchSignals, or 0. Inline: the
// statement loop asks after every record.
inline int caughtSignal() {
  return signals_internal::caught;
}

// 128 + the caught signal's number, or `otherwise` when none arrived.
int exitStatus(int otherwise);

// Waits until fd has input, has ended or is in error. Returns false, without
// waiting, once a signal has been caught; a signal that arrives just before
// the wait ends it as well as one that arrives during it.
bool waitForInput(int fd);

}  // namespace interp

#endif  // DVSQL_INTERP_SIGNALS_H_
