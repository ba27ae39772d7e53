// The interpreter's stopwatch. It reads the clock in whole seconds, so the
// microsecond fields stay 0 and totals move in whole seconds; they are kept so
// that a finer clock changes nothing else.
#ifndef DVSQL_INTERP_STOPWATCH_H_
#define DVSQL_INTERP_STOPWATCH_H_

#include <cassert>
#include <cstdint>
#include <ctime>

namespace interp {

class Stopwatch {
 public:
  using Clock = std::time_t (*)(std::time_t*);

  // REQUIRES: clock is not null. Tests pass a clock of their own.
  explicit Stopwatch(Clock clock = &std::time) : clock_(clock) { assert(clock != nullptr); }

  // All fields 0, not running.
  void reset();
  void start();
  // Adds the interval since start to the total.
  void stop();
  // The total in seconds; a running stopwatch is stopped for the reading and
  // started again, so that a new interval begins and the total stays.
  double elapsed();

  bool running() const { return running_; }

 private:
  Clock clock_;
  int32_t startSeconds_ = 0;
  int32_t startMicroseconds_ = 0;
  int32_t stopSeconds_ = 0;
  int32_t stopMicroseconds_ = 0;
  int32_t totalSeconds_ = 0;
  int32_t totalMicroseconds_ = 0;
  bool running_ = false;
};

}  // namespace interp

#endif  // DVSQL_INTERP_STOPWATCH_H_
