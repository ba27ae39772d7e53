// The interpreter's own allocations for a result (its label block and label
// lines) under failing allocations: each failure point ends the session with
// "Out of memory" and status 1, after the output of what went before, and
// leaks nothing. The session runs in-process over the byte driver.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "object/Allocation.h"
#include "tests/support/InProcessSession.h"

namespace interp {
namespace {

// The driver's answers: set-up, then each result in turn (see
// tests/support/InProcessSession.cpp for what each byte means).
std::vector<uint8_t> script() {
  std::vector<uint8_t> bytes = {0, 0, 0, 0, 8, 0, 0};  // set-up, names up to 8 characters
  auto result = [&](std::vector<std::string> labels, int rows) {
    bytes.insert(bytes.end(), {0, static_cast<uint8_t>(labels.size() + 1), 0});
    for (const std::string& label : labels) {
      bytes.push_back(static_cast<uint8_t>(label.size()));
      bytes.insert(bytes.end(), label.begin(), label.end());
      bytes.push_back(0);
    }
    for (int row = 0; row < rows; ++row) {
      bytes.push_back(1);
      for (std::size_t column = 0; column < labels.size(); ++column) {
        bytes.insert(bytes.end(), {4, static_cast<uint8_t>('p' + row), 0});  // 4 characters
      }
    }
    bytes.insert(bytes.end(), {0, 0});
  };
  result({"id", "name"}, 2);
  result({"a", "b", "longer"}, 1);
  return bytes;
}

constexpr char kInput[] = "select id, name from t\nselect * from u\n";

dvsql_test::SessionOutcome run() {
  InterpreterOptions options;
  options.silent = true;
  options.pageMode = false;
  const std::vector<uint8_t> bytes = script();
  return dvsql_test::runSession(options, bytes.data(), bytes.size(), kInput, sizeof kInput - 1);
}

TEST(StatementLoopMemoryTest, EveryAllocationOfAResultFailsWithOutOfMemory) {
  dv::AllocationFailureScope scope;
  dvsql_test::SessionOutcome clean = run();
  const uint64_t points = dv::AllocationControl::calls();
  ASSERT_FALSE(clean.fatal) << clean.err;
  EXPECT_EQ(
      "id: pqrs\nname: pqrs\n\nid: qrst\nname: qrst\n2 rows\n"
      "a: pqrs\nb: pqrs\nlonger: pqrs\n1 row\n",
      clean.out);
  EXPECT_EQ("", clean.err);
  ASSERT_GE(points, 4u);

  for (uint64_t n = 1; n <= points; ++n) {
    dv::AllocationControl::reset();
    dv::AllocationControl::failNth(n);
    dvsql_test::SessionOutcome outcome = run();
    EXPECT_TRUE(outcome.fatal) << "failure point " << n;
    EXPECT_EQ(1, outcome.status) << "failure point " << n;
    EXPECT_EQ("Out of memory\n", outcome.err) << "failure point " << n;
    EXPECT_EQ(0u, clean.out.find(outcome.out)) << "failure point " << n;
    EXPECT_EQ(1u, dv::AllocationControl::failures()) << "failure point " << n;
  }
  std::printf("result set-up and display: %llu failure points\n",
              static_cast<unsigned long long>(points));
}

}  // namespace
}  // namespace interp
