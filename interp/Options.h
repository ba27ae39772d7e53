// The interpreter's options record and its command-line parser, with the usage
// and help texts.
#ifndef DVSQL_INTERP_OPTIONS_H_
#define DVSQL_INTERP_OPTIONS_H_

#include <cstdint>

namespace interp {

struct InterpreterOptions {
  int32_t mode = 1;      // 1 = 1NF mode, 2 = NF2 mode
  bool silent = false;   // no prompts and no "(more)"
  bool pageMode = true;  // pause between the records of a result set
  bool timing = false;   // print processing and elapsed time after each statement
  bool echo = false;     // write each statement back before running it
  bool emptyToNull = false;
  const char* account = nullptr;  // borrowed from the argument vector
};

enum class ParseResult {
  kOk,     // *options is filled in
  kUsage,  // the command line is invalid: print the usage lines, exit 1
  kHelp,   // "-help" was given: print the help text, exit 1
};

// Reads argv[1..argc) left to right into *options. Stops at the first argument
// that decides the outcome ("-help" or an error).
ParseResult parseCommandLine(int argc, const char* const* argv, InterpreterOptions* options);

// The two usage lines and the 18 help lines, each line ending in a newline.
extern const char kUsageText[];
extern const char kHelpText[];

}  // namespace interp

#endif  // DVSQL_INTERP_OPTIONS_H_
