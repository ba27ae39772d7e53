// What the benchmark programs share: timing a piece of work on the steady
// clock, and the median of a run's figures.
#ifndef DV_BENCH_TIMING_H_
#define DV_BENCH_TIMING_H_

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// The seconds f takes.
template <class F>
double seconds(F f) {
  auto start = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The middle figure (the upper one of an even count). REQUIRES: v not empty.
inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench

#endif  // DV_BENCH_TIMING_H_
