// Catching SIGINT, SIGTERM and SIGHUP. Everything the handler touches is
// lock-free and set before the handler is installed.
#include "interp/Signals.h"

#include <poll.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace interp {

namespace signals_internal {
volatile std::sig_atomic_t caught = 0;
volatile std::sig_atomic_t interrupted = 0;
}  // namespace signals_internal

namespace {

using signals_internal::caught;
using signals_internal::interrupted;

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalExitBase = 128;
SQLCancelFn cancelCall = nullptr;
std::atomic<DciHandle> cancelTarget{DCI_NULL_HANDLE};
volatile std::sig_atomic_t interruptOnly = 0;  // SIGINT only interrupts
static_assert(std::atomic<DciHandle>::is_always_lock_free, "read in the signal handler");

extern "C" void onSignal(int signal) {
  const int savedErrno = errno;
  if (signal == SIGINT && interruptOnly != 0) {
    interrupted = 1;
  } else if (caught == 0) {
    caught = signal;
  }
  DciHandle stmt = cancelTarget.load();
  if (cancelCall != nullptr && stmt != DCI_NULL_HANDLE) cancelCall(stmt);
  errno = savedErrno;
}

sigset_t caughtSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kCaught) sigaddset(&set, signal);
  return set;
}

}  // namespace

void catchSignals(SQLCancelFn cancel, DciHandle stmt, InterruptAction onInterrupt) {
  cancelCall = cancel;
  interruptOnly = onInterrupt == InterruptAction::kInterrupt ? 1 : 0;
  cancelTarget.store(stmt);
  struct sigaction action = {};
  action.sa_handler = &onSignal;
  action.sa_mask = caughtSet();  // one handler at a time
  action.sa_flags = 0;           // no SA_RESTART: a blocked read returns EINTR
  for (int signal : kCaught) {
    struct sigaction old = {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void stopCancelling() {
  cancelTarget.store(DCI_NULL_HANDLE);
}

bool takeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

int exitStatus(int otherwise) {
  return caught != 0 ? kSignalExitBase + caught : otherwise;
}

bool waitForInput(int fd) {
  // The signals stay blocked from the check until ppoll, which unblocks them
  // while it waits: one that comes in between is delivered there and ends
  // the wait.
  sigset_t block = caughtSet();
  sigset_t old;
  if (sigprocmask(SIG_BLOCK, &block, &old) != 0) return !stopRequested();
  while (!stopRequested()) {
    struct pollfd input = {fd, POLLIN, 0};
    if (ppoll(&input, 1, nullptr, &old) >= 0 || errno != EINTR) break;
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return !stopRequested();
}

}  // namespace interp
