// Tests of the allocation routine's failure control.
#include "object/Allocation.h"

#include <gtest/gtest.h>

namespace dv {
namespace {

TEST(AllocationTest, FailsTheNthCallOnly) {
  AllocationFailureScope scope;
  AllocationControl::failNth(3);
  void* a = allocate(8);
  void* b = allocate(8);
  void* c = allocate(8);
  void* d = allocate(8);
  EXPECT_NE(nullptr, a);
  EXPECT_NE(nullptr, b);
  EXPECT_EQ(nullptr, c);
  EXPECT_NE(nullptr, d);
  EXPECT_EQ(4u, AllocationControl::calls());
  EXPECT_EQ(1u, AllocationControl::failures());
  deallocate(a);
  deallocate(b);
  deallocate(d);
}

TEST(AllocationTest, FailsEveryCallAfterN) {
  AllocationFailureScope scope;
  AllocationControl::failAfter(2);
  void* a = allocate(1);
  void* b = allocate(0);  // size 0 is still a block
  EXPECT_NE(nullptr, a);
  EXPECT_NE(nullptr, b);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nullptr, allocate(16));
  AllocationControl::reset();
  void* c = allocate(16);
  EXPECT_NE(nullptr, c);
  deallocate(a);
  deallocate(b);
  deallocate(c);
  deallocate(nullptr);
}

}  // namespace
}  // namespace dv
