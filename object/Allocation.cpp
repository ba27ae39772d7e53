// The allocation routine and its failure control.
#include "object/Allocation.h"

#include <cstdlib>

namespace dv {
namespace {

enum class Plan { kNone, kNth, kAfter };

struct ControlState {
  Plan plan = Plan::kNone;
  uint64_t target = 0;  // kNth: the failing call's number; kAfter: calls that still succeed
  uint64_t calls = 0;
  uint64_t failures = 0;
};

ControlState& control() {
  static ControlState state;
  return state;
}

bool shouldFail(ControlState& s) {
  switch (s.plan) {
    case Plan::kNone:
      return false;
    case Plan::kNth:
      if (s.calls == s.target) {
        s.plan = Plan::kNone;
        return true;
      }
      return false;
    case Plan::kAfter:
      return s.calls > s.target;
  }
  return false;
}

}  // namespace

void* allocate(std::size_t size) noexcept {
  ControlState& s = control();
  ++s.calls;
  if (shouldFail(s)) {
    ++s.failures;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

void deallocate(void* block) noexcept {
  std::free(block);
}

void AllocationControl::failNth(uint64_t n) noexcept {
  ControlState& s = control();
  s.plan = n == 0 ? Plan::kNone : Plan::kNth;
  s.target = s.calls + n;
}

void AllocationControl::failAfter(uint64_t n) noexcept {
  ControlState& s = control();
  s.plan = Plan::kAfter;
  s.target = s.calls + n;
}

void AllocationControl::reset() noexcept {
  ControlState& s = control();
  s = ControlState();
}

uint64_t AllocationControl::calls() noexcept {
  return control().calls;
}

uint64_t AllocationControl::failures() noexcept {
  return control().failures;
}

}  // namespace dv
