// Tests of MemArray: the inert array, the element copy widths, the cell
// array's release rules, the raw moves, and growth that fails.
#include "table/MemArray.h"

#include <gtest/gtest.h>

#include <cstring>

#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/Table.h"

namespace dv {
namespace {

Datum* cellOf(const MemArray& a, uint32_t i) {
  return *static_cast<Datum**>(a.at(i));
}

TEST(MemArrayTest, AnInertArrayAcceptsEveryResizeAndHoldsNothing) {
  MemArray inert(0, nullptr, 5, MemArray::kNotStreamable);
  EXPECT_EQ(0u, inert.count());
  EXPECT_TRUE(inert.resize(1000));
  EXPECT_EQ(0u, inert.count());
  EXPECT_EQ(nullptr, inert.at(0));
  char byte = 1;
  EXPECT_FALSE(inert.set(0, &byte));
  EXPECT_EQ(nullptr, inert.newForStream());
}

TEST(MemArrayTest, ElementsOfEveryWidthAreCopiedWhole) {
  for (uint32_t size : {8u, 6u, 3u}) {
    MemArray a(size, nullptr, 3, MemArray::kNotStreamable);
    unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(a.set(1, bytes)) << size;
    EXPECT_EQ(0, std::memcmp(a.at(1), bytes, size)) << size;
    unsigned char zero[8] = {};
    EXPECT_EQ(0, std::memcmp(a.at(0), zero, size)) << size;  // no init: zeroed
    EXPECT_FALSE(a.set(3, bytes));
    EXPECT_FALSE(a.set(0, nullptr));
    ASSERT_TRUE(a.move(1, 2));
    EXPECT_EQ(0, std::memcmp(a.at(2), bytes, size));
    EXPECT_EQ(0, std::memcmp(a.at(1), zero, size));
    MemArray copy(a);
    EXPECT_EQ(0, std::memcmp(copy.at(2), bytes, size));
  }
}

TEST(MemArrayTest, CellArraysReleaseExactlyWhatTheyDropAndFillWithNil) {
  Text* v[4];
  MemArray cells(Table::cellPrototype());
  ASSERT_TRUE(cells.resize(4));
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(nilDatum(), cellOf(cells, i));
    v[i] = new Text("value");
    v[i]->addRef();
    ASSERT_TRUE(cells.set(i, &v[i]));
  }
  ASSERT_TRUE(cells.resize(2));
  EXPECT_EQ(2, v[0]->refCount());
  EXPECT_EQ(1, v[2]->refCount());
  EXPECT_EQ(1, v[3]->refCount());
  ASSERT_TRUE(cells.resize(5));
  EXPECT_EQ(nilDatum(), cellOf(cells, 4));
  // move(i, i) changes nothing; a move leaves the source in its default state.
  ASSERT_TRUE(cells.move(1, 1));
  EXPECT_EQ(v[1], cellOf(cells, 1));
  ASSERT_TRUE(cells.move(1, 3));
  EXPECT_EQ(v[1], cellOf(cells, 3));
  EXPECT_EQ(nilDatum(), cellOf(cells, 1));
  // Gaps and removals move the rest; removing releases.
  ASSERT_TRUE(cells.insertGap(0, 2));
  EXPECT_EQ(v[0], cellOf(cells, 2));
  EXPECT_FALSE(cells.insertGap(99, 1));
  ASSERT_TRUE(cells.removeRange(2, 1));
  EXPECT_EQ(1, v[0]->refCount());
  EXPECT_FALSE(cells.removeRange(5, 3));
  EXPECT_EQ(v[1], cellOf(cells, 4));
  // A copy does not duplicate what the cells hold.
  MemArray copy(cells);
  EXPECT_EQ(cells.count(), copy.count());
  EXPECT_EQ(nilDatum(), cellOf(copy, 4));
  EXPECT_EQ(2, v[1]->refCount());
  MemArray statuses(Table::rowStatusPrototype());
  EXPECT_FALSE(cells.swap(statuses));
  EXPECT_TRUE(cells.resize(0));
  EXPECT_EQ(1, v[1]->refCount());
  for (Text* t : v) t->release();
}

TEST(MemArrayTest, GrowthThatCannotAllocateChangesNothing) {
  MemArray cells(Table::cellPrototype());
  ASSERT_TRUE(cells.resize(3));
  AllocationFailureScope scope;
  AllocationControl::failAfter(0);
  EXPECT_FALSE(cells.resize(1000));
  EXPECT_FALSE(cells.insertGap(1, 1000));
  EXPECT_EQ(3u, cells.count());
  EXPECT_TRUE(cells.resize(1));  // shrinking never fails
  EXPECT_EQ(1u, cells.count());
  EXPECT_EQ(nilDatum(), cellOf(cells, 0));
}

}  // namespace
}  // namespace dv
