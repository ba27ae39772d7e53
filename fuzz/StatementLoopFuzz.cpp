// The interpreter's dialogue under the fuzzer (see fuzz/StatementLoopFuzz.h).
#include "fuzz/StatementLoopFuzz.h"

#include <cstring>
#include <string>
#include <vector>

#include "fuzz/Targets.h"
#include "interp/StatementLoop.h"
#include "tests/support/InProcessSession.h"

namespace dv {
namespace fuzz {
namespace {

constexpr char kPrompt[] = "DVSQL: ";

struct Line {
  std::string text;
  bool overflows = false;  // longer than a statement line may be
};

// The complete lines of input (the last one ends with a newline), in order.
std::vector<Line> completeLines(const char* input, std::size_t size) {
  std::vector<Line> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (input[i] != '\n') continue;
    Line line;
    line.text.assign(input + start, i - start);
    line.overflows = line.text.size() >= interp::kStatementBufferSize;
    lines.push_back(std::move(line));
    start = i + 1;
  }
  return lines;
}

bool isQuit(const std::string& line) {
  return line == "q" || line == "Q";
}

}  // namespace

int runStatementLoop(const uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  interp::InterpreterOptions options;
  const uint8_t flags = data[0];
  options.pageMode = (flags & 1) != 0;
  options.silent = (flags & 2) != 0;
  options.echo = (flags & 4) != 0;
  options.timing = (flags & 8) != 0;
  options.emptyToNull = (flags & 16) != 0;
  options.mode = (flags & 32) != 0 ? 2 : 1;
  std::size_t driverSize = data[1] | static_cast<std::size_t>(data[2]) << 8;
  if (driverSize > size - 3) driverSize = size - 3;
  const uint8_t* driver = data + 3;
  const char* input = reinterpret_cast<const char*>(driver + driverSize);
  const std::size_t inputSize = size - 3 - driverSize;

  dvsql_test::SessionOutcome outcome =
      dvsql_test::runSession(options, driver, driverSize, input, inputSize);

  if (!outcome.contractBroken.empty()) violated("driver contract", outcome.contractBroken.c_str());

  const std::vector<Line> lines = completeLines(input, inputSize);
  bool overflowExpected = false;
  if (!options.pageMode) {
    // Every complete non-empty line up to the first quit line, in order.
    std::vector<std::string> expected;
    for (const Line& line : lines) {
      if (isQuit(line.text)) break;
      if (line.overflows) {
        overflowExpected = true;
        break;
      }
      if (!line.text.empty()) expected.push_back(line.text);
    }
    const std::vector<std::string>& given = outcome.statements;
    if (given.size() > expected.size()) violated("statements", "more than the input's lines");
    for (std::size_t i = 0; i < given.size(); ++i) {
      if (given[i] != expected[i]) violated("statements", "not the input's lines");
    }
    if (!outcome.fatal && given.size() != expected.size()) {
      violated("statements", "a line was not run");
    }
  } else {
    // Replies to "(more)" take lines too: the statements are lines of the
    // input, in their order, none of them a quit line.
    std::size_t next = 0;
    for (const std::string& statement : outcome.statements) {
      while (next < lines.size() && lines[next].text != statement) ++next;
      if (next == lines.size() || isQuit(statement) || statement.empty()) {
        violated("statements", "not lines of the input in order");
      }
      ++next;
    }
    for (const Line& line : lines) overflowExpected = overflowExpected || line.overflows;
  }

  if (outcome.fatal) {
    if (outcome.status != 1) violated("fatal exit", "status other than 1");
    if (!outcome.driverFailedFatally && !overflowExpected) {
      violated("fatal exit", "without a failed call or an overlong line");
    }
  } else if (!options.silent) {
    const std::size_t n = sizeof kPrompt - 1;
    if (outcome.out.size() < n || outcome.out.compare(outcome.out.size() - n, n, kPrompt) != 0) {
      violated("dialogue", "a session with prompts did not end at the prompt");
    }
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
