// A standard-library allocator over the library's allocation routine, so that
// the interpreter's per-result blocks fail where the out-of-memory tests make
// them fail. A failed allocation throws std::bad_alloc, as the containers
// expect; the interpreter turns it into its "Out of memory" exit.
#ifndef DVSQL_INTERP_HOOKEDALLOCATOR_H_
#define DVSQL_INTERP_HOOKEDALLOCATOR_H_

#include <cstddef>
#include <limits>
#include <new>

#include "object/Allocation.h"

namespace interp {

template <class T>
struct HookedAllocator {
  using value_type = T;

  HookedAllocator() = default;
  template <class U>
  HookedAllocator(const HookedAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    void* block = n <= std::numeric_limits<std::size_t>::max() / sizeof(T)
                      ? dv::allocate(n * sizeof(T))
                      : nullptr;
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, std::size_t) noexcept { dv::deallocate(block); }

  template <class U>
  bool operator==(const HookedAllocator<U>&) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const HookedAllocator<U>&) const noexcept {
    return false;
  }
};

}  // namespace interp

#endif  // DVSQL_INTERP_HOOKEDALLOCATOR_H_
