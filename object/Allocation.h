// The library's one allocation routine for blocks whose failure the library
// reports (object storage, text and buffer storage, arrays), and the test
// control that makes it fail on purpose, so that out-of-memory paths are
// exercised for real.
#ifndef DV_OBJECT_ALLOCATION_H_
#define DV_OBJECT_ALLOCATION_H_

#include <cstddef>
#include <cstdint>

namespace dv {

// Returns a block of at least size bytes (size 0 is treated as 1), or null when
// the allocation fails or the test control says it must. Free it with
// deallocate().
void* allocate(std::size_t size) noexcept;

// Frees a block from allocate(); null is ignored.
void deallocate(void* block) noexcept;

// Test control of allocate(). Calls are counted from the last reset().
class AllocationControl {
 public:
  // The nth call after now (n >= 1) fails; later calls succeed again.
  static void failNth(uint64_t n) noexcept;
  // Every call after the next n calls fails (n == 0: from the next call on).
  static void failAfter(uint64_t n) noexcept;
  // Ends any failure plan and restarts the count.
  static void reset() noexcept;
  // Calls of allocate() since the last reset().
  static uint64_t calls() noexcept;
  // Calls that were made to fail since the last reset().
  static uint64_t failures() noexcept;
};

// Ends any failure plan when it goes out of scope, so that a failing test
// assertion cannot leave allocations failing for the tests after it.
class AllocationFailureScope {
 public:
  AllocationFailureScope() { AllocationControl::reset(); }
  ~AllocationFailureScope() { AllocationControl::reset(); }
  AllocationFailureScope(const AllocationFailureScope&) = delete;
  AllocationFailureScope& operator=(const AllocationFailureScope&) = delete;
};

}  // namespace dv

#endif  // DV_OBJECT_ALLOCATION_H_
