// Benchmark of the framework's collections against the standard library in
// the same run: Set add/find/remove of 1,000,000 Integers against an
// std::unordered_set of the same objects whose functors call the same virtual
// hash and isEqual, and SortedCltn insertion against a sorted std::vector with
// binary insertion through the same virtual compare. Prints each phase's
// times and the ratios, run by run, with their medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/Timing.h"
#include "object/Integer.h"
#include "object/Nil.h"
#include "object/Set.h"
#include "object/SortedCltn.h"

namespace {

using bench::Clock;
using bench::median;
using bench::seconds;

struct VirtualHash {
  std::size_t operator()(const dv::Object* o) const { return o->hash(); }
};
struct VirtualEqual {
  bool operator()(const dv::Object* a, const dv::Object* b) const { return a->isEqual(*b); }
};

void fail(const char* what) {
  std::fprintf(stderr, "bench_collections: %s\n", what);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  int setSize = argc > 1 ? std::atoi(argv[1]) : 1000000;
  int sortedSize = argc > 2 ? std::atoi(argv[2]) : 50000;
  int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  if (setSize < 1 || sortedSize < 1 || runs < 1)
    fail("usage: bench_collections [SET_N SORTED_N RUNS]");

  std::mt19937 random(42);
  std::vector<std::unique_ptr<dv::Integer>> owned;
  std::vector<dv::Integer*> elements;
  std::vector<std::unique_ptr<dv::Integer>> probes;  // equal values, other objects
  for (int i = 0; i < setSize; ++i) {
    int32_t value = static_cast<int32_t>(random());
    owned.push_back(std::make_unique<dv::Integer>(value));
    probes.push_back(std::make_unique<dv::Integer>(value));
  }
  // Values drawn at random may repeat: keep one object per value.
  std::unordered_set<int32_t> seen;
  std::vector<dv::Integer*> lookups;
  for (int i = 0; i < setSize; ++i) {
    if (seen.insert(owned[i]->value()).second) {
      elements.push_back(owned[i].get());
      lookups.push_back(probes[i].get());
    }
  }

  std::printf("collections benchmark: Set of %zu Integers, SortedCltn of %d, %d runs\n\n",
              elements.size(), sortedSize, runs);
  std::printf("%-4s %9s %9s %9s %9s %9s %9s %9s %9s\n", "run", "Set add", "std add", "Set find",
              "std find", "Set rem", "std rem", "Sorted", "vector");
  std::vector<double> addRatio, findRatio, removeRatio, totalRatio, sortedRatio;
  for (int run = 1; run <= runs; ++run) {
    dv::Set set;
    std::unordered_set<dv::Object*, VirtualHash, VirtualEqual> std;
    double setAdd = seconds([&] {
      for (dv::Integer* e : elements) set.add(*e);
    });
    double stdAdd = seconds([&] {
      for (dv::Integer* e : elements) std.insert(e);
    });
    std::size_t found = 0;
    double setFind = seconds([&] {
      for (dv::Integer* p : lookups) found += set.findObject(*p) != dv::nil();
    });
    double stdFind = seconds([&] {
      for (dv::Integer* p : lookups) found += std.find(p) != std.end();
    });
    if (found != 2 * elements.size()) fail("a lookup missed");
    double setRemove = seconds([&] {
      for (dv::Integer* p : lookups) set.remove(*p);
    });
    double stdRemove = seconds([&] {
      for (dv::Integer* p : lookups) std.erase(p);
    });
    if (set.size() != 0 || !std.empty()) fail("elements were left after removal");

    dv::SortedCltn sorted(sortedSize);
    std::vector<dv::Object*> vector;
    vector.reserve(static_cast<std::size_t>(sortedSize));
    double sortedAdd = seconds([&] {
      for (int i = 0; i < sortedSize; ++i) sorted.add(*elements[static_cast<std::size_t>(i)]);
    });
    double vectorAdd = seconds([&] {
      for (int i = 0; i < sortedSize; ++i) {
        dv::Object* e = elements[static_cast<std::size_t>(i)];
        auto at = std::upper_bound(
            vector.begin(), vector.end(), e,
            [](const dv::Object* a, const dv::Object* b) { return a->compare(*b) < 0; });
        vector.insert(at, e);
      }
    });
    std::printf("%-4d %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f\n", run, setAdd, stdAdd,
                setFind, stdFind, setRemove, stdRemove, sortedAdd, vectorAdd);
    addRatio.push_back(setAdd / stdAdd);
    findRatio.push_back(setFind / stdFind);
    removeRatio.push_back(setRemove / stdRemove);
    totalRatio.push_back((setAdd + setFind + setRemove) / (stdAdd + stdFind + stdRemove));
    sortedRatio.push_back(sortedAdd / vectorAdd);
  }
  std::printf("\nmedian ratios (framework / standard library, lower is faster):\n");
  std::printf("  Set add %.2f, find %.2f, remove %.2f, all three %.2f\n", median(addRatio),
              median(findRatio), median(removeRatio), median(totalRatio));
  std::printf("  SortedCltn insertion / sorted vector %.2f\n", median(sortedRatio));
  double total = median(totalRatio);
  std::printf("\ngoal %s: Set no slower than std::unordered_set (%.2f %s 1.00)\n",
              total <= 1.0 ? "met" : "NOT met", total, total <= 1.0 ? "<=" : ">");
  return 0;
}
