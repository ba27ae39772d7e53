// dvsql: reads SQL statements one per line and runs them through the DCI call
// interface against the data source "localdv" of the account it is given.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "dci/Loader.h"
#include "interp/Console.h"
#include "interp/HistoryFile.h"
#include "interp/LineEditor.h"
#include "interp/Options.h"
#include "interp/Session.h"
#include "interp/Signals.h"
#include "interp/StatementLog.h"
#include "interp/StatementLoop.h"

namespace {

// Output that cannot be written is lost: say so once and stop with status 1
// rather than report success. While a signal ends the session (a terminal
// that hung up, say), the session is still closed: the output is dropped.
void standardOutputFailed(int error) {
  if (interp::caughtSignal() != 0) return;
  std::fprintf(stderr, "dvsql: cannot write standard output: %s\n", std::strerror(error));
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  interp::OutputBuffer out(STDOUT_FILENO, &standardOutputFailed);
  interp::OutputBuffer err(STDERR_FILENO, nullptr);

  interp::InterpreterOptions options;
  switch (interp::parseCommandLine(argc, argv, &options)) {
    case interp::ParseResult::kOk:
      break;
    case interp::ParseResult::kUsage:
      err.puts(interp::kUsageText);
      err.flush();
      return 1;
    case interp::ParseResult::kHelp:
      err.puts(interp::kHelpText);
      err.flush();
      return 1;
  }

  dci::DciApi api;
  std::string error;
  if (!dci::bindDriver(std::getenv(dci::kDriverVariable), &api, &error)) {
    err.puts("dvsql: ");
    err.puts(error.c_str());
    err.put('\n');
    err.flush();
    return 1;
  }

  interp::StatementLog log(std::getenv(interp::kStatementLogVariable), options.account, &out, &err);
  interp::Session session(api, options, &out, &err);
  session.setStatementLog(&log);
  session.setUp();
  // At a terminal, lines are edited, and Ctrl-C interrupts what runs instead
  // of ending dvsql; otherwise the input is read as it comes.
  std::unique_ptr<interp::LineEditor> editor;
  if (interp::onTerminal()) {
    editor = std::make_unique<interp::LineEditor>(
        &session, &out, &err,
        interp::historyPath(std::getenv(interp::kHistoryVariable), std::getenv("HOME")));
    if (!editor->usable()) editor.reset();
  }
  // Caught only once there is a session to close; until then a signal ends
  // dvsql at once.
  interp::catchSignals(api.cancel, session.stmt(),
                       editor != nullptr ? interp::InterruptAction::kInterrupt
                                         : interp::InterruptAction::kEndSession);
  interp::InputReader reader(STDIN_FILENO, &out, &interp::waitForInput);
  interp::LineSource* in =
      editor != nullptr ? static_cast<interp::LineSource*>(editor.get()) : &reader;
  auto loop = std::make_unique<interp::StatementLoop>(&session, options, in, &out, &err, &log);
  loop->run();
  interp::stopCancelling();
  session.tearDown();
  return interp::exitStatus(0);
}
