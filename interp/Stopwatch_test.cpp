// Tests of the interpreter's stopwatch against a scripted clock.
#include "interp/Stopwatch.h"

#include <gtest/gtest.h>

namespace interp {
namespace {

std::time_t fakeNow = 0;
std::time_t fakeClock(std::time_t* out) {
  if (out != nullptr) *out = fakeNow;
  return fakeNow;
}

TEST(StopwatchTest, AccumulatesWholeSecondsOverIntervals) {
  Stopwatch w(&fakeClock);
  fakeNow = 1000;
  w.start();
  fakeNow = 1003;
  w.stop();
  EXPECT_EQ(3.0, w.elapsed());
  fakeNow = 1010;  // stopped: time passing does not count
  EXPECT_EQ(3.0, w.elapsed());
  w.start();
  fakeNow = 1012;
  w.stop();
  EXPECT_EQ(5.0, w.elapsed());
}

TEST(StopwatchTest, ElapsedWhileRunningStartsANewIntervalAndKeepsTotal) {
  Stopwatch w(&fakeClock);
  fakeNow = 50;
  w.start();
  fakeNow = 52;
  EXPECT_EQ(2.0, w.elapsed());
  EXPECT_TRUE(w.running());
  fakeNow = 55;
  // Without the restart the first interval would be counted twice (2 + 5).
  EXPECT_EQ(5.0, w.elapsed());
}

TEST(StopwatchTest, ResetClearsTotalAndStops) {
  Stopwatch w(&fakeClock);
  fakeNow = 1;
  w.start();
  fakeNow = 9;
  w.stop();
  w.reset();
  EXPECT_FALSE(w.running());
  EXPECT_EQ(0.0, w.elapsed());
}

}  // namespace
}  // namespace interp
