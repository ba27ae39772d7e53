// Tests of the bounded case-folding comparison.
#include "object/CompareNoCase.h"

#include <gtest/gtest.h>

namespace dv {
namespace {

TEST(CompareNoCaseTest, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(0, compareNoCase("delete", "DELETE", 6));
  EXPECT_EQ(0, compareNoCase("DeLeTe", "dElEtE", 6));
  // '[' (0x5B) must not fold onto '{' (0x7B), nor bytes above 127 onto anything.
  EXPECT_NE(0, compareNoCase("[", "{", 1));
  EXPECT_NE(0, compareNoCase("\xE9", "\xC9", 1));
}

TEST(CompareNoCaseTest, ReturnsFoldedBMinusFoldedAOfLastPair) {
  EXPECT_EQ('B' - 'A', compareNoCase("a", "b", 1));
  EXPECT_EQ('A' - 'B', compareNoCase("xb", "XA", 2));
  // Stops at the first difference even when later pairs would differ more.
  EXPECT_EQ('D' - 'C', compareNoCase("acz", "ADA", 3));
}

TEST(CompareNoCaseTest, StopsAfterNPairs) {
  EXPECT_EQ(0, compareNoCase("INSERTED", "insertxx", 6));
  EXPECT_EQ(0, compareNoCase("abc", "xyz", 0));
}

TEST(CompareNoCaseTest, PrefixComparesEqualBecauseTerminatorIsNotCompared) {
  EXPECT_EQ(0, compareNoCase("DEL", "delete", 6));
  EXPECT_EQ(0, compareNoCase("delete", "DEL", 6));
  EXPECT_EQ(0, compareNoCase("", "anything", 8));
}

}  // namespace
}  // namespace dv
