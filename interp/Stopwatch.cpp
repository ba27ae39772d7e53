// The interpreter's stopwatch.
#include "interp/Stopwatch.h"

namespace interp {
namespace {
constexpr int32_t kMicrosecondsPerSecond = 1000000;
}  // namespace

void Stopwatch::reset() {
  startSeconds_ = startMicroseconds_ = 0;
  stopSeconds_ = stopMicroseconds_ = 0;
  totalSeconds_ = totalMicroseconds_ = 0;
  running_ = false;
}

void Stopwatch::start() {
  running_ = true;
  startMicroseconds_ = 0;
  startSeconds_ = static_cast<int32_t>(clock_(nullptr));
}

void Stopwatch::stop() {
  stopMicroseconds_ = 0;
  stopSeconds_ = static_cast<int32_t>(clock_(nullptr));
  running_ = false;
  int32_t seconds = stopSeconds_ - startSeconds_;
  int32_t microseconds = stopMicroseconds_ - startMicroseconds_;
  if (microseconds < 0) {
    microseconds += kMicrosecondsPerSecond;
    seconds -= 1;
  }
  totalSeconds_ += seconds;
  totalMicroseconds_ += microseconds;
  if (totalMicroseconds_ >= kMicrosecondsPerSecond) {
    totalMicroseconds_ -= kMicrosecondsPerSecond;
    totalSeconds_ += 1;
  }
}

double Stopwatch::elapsed() {
  bool wasRunning = running_;
  if (wasRunning) stop();
  double value = totalSeconds_ + totalMicroseconds_ / 1000000.0;
  if (wasRunning) start();
  return value;
}

}  // namespace interp
