// Command-line parsing for dvsql.
#include "interp/Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace interp {

#define DVSQL_USAGE_LINES                    \
  "usage: dvsql [ -help options ] account\n" \
  "options: -[cepstx] -m<m>\n"

const char kUsageText[] = DVSQL_USAGE_LINES;

const char kHelpText[] = DVSQL_USAGE_LINES
    "\n"
    "Dorvane SQL interpreter for 1NF/NF2 modes.\n"
    "\n"
    "Arguments:\n"
    "account\tLocation of database.\n"
    "\n"
    "Options:\n"
    "-c\tTurn \"page mode\" off (i.e., make output continuous).\n"
    "-e\tTurn on empty->NULL mapping.\n"
    "-m<m>\tUse 1NF/NF2 mode.  <m> is one of 1, 2.  Default is 1.\n"
    "-s\tExecute silently (no prompts; page mode is turned off; errors\n"
    "\tare still reported).\n"
    "-p\tTurn \"page mode\" on (default): Every record requires a <CR>\n"
    "\tto continue.\n"
    "-t\tTime each statement.\n"
    "-x\tEcho each statement entered.\n";

#undef DVSQL_USAGE_LINES

namespace {

constexpr char kHelpArgument[] = "-help";

// Reads the mode after "-m": a whole decimal integer as strtol reads it (leading
// white space and a sign allowed), equal to 1 or 2.
bool parseMode(const char* text, int32_t* mode) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  if (value != 1 && value != 2) return false;
  *mode = static_cast<int32_t>(value);
  return true;
}

}  // namespace

ParseResult parseCommandLine(int argc, const char* const* argv, InterpreterOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, kHelpArgument) == 0) return ParseResult::kHelp;
    if (arg[0] != '-') {
      if (options->account != nullptr) return ParseResult::kUsage;
      options->account = arg;
      continue;
    }
    if (arg[1] == '\0') return ParseResult::kUsage;
    for (const char* letter = arg + 1; *letter != '\0'; ++letter) {
      switch (*letter) {
        case 'c':
          options->pageMode = false;
          break;
        case 'e':
          options->emptyToNull = true;
          break;
        case 'm':
          if (!parseMode(letter + 1, &options->mode)) return ParseResult::kUsage;
          letter += std::strlen(letter) - 1;  // the mode used up the argument
          break;
        case 'p':
          options->pageMode = true;
          break;
        case 's':
          options->silent = true;
          options->pageMode = false;
          break;
        case 't':
          options->timing = true;
          break;
        case 'x':
          options->echo = true;
          break;
        default:
          return ParseResult::kUsage;
      }
    }
  }
  return options->account != nullptr ? ParseResult::kOk : ParseResult::kUsage;
}

}  // namespace interp
