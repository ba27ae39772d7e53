// Tests of the modification test that decides whether a row count is shown.
#include "interp/StatementLoop.h"

#include <gtest/gtest.h>

namespace interp {
namespace {

TEST(IsModificationTest, KeywordInAnyCaseFollowedByABlank) {
  EXPECT_TRUE(isModification("DELETE FROM t"));
  EXPECT_TRUE(isModification("insert into t values (1)"));
  EXPECT_TRUE(isModification("UpDaTe t set a = 1"));
  EXPECT_TRUE(isModification(" \t\n delete from t"));  // leading white space is skipped
  EXPECT_TRUE(isModification("delete "));
}

TEST(IsModificationTest, OtherStatementsAndNearMisses) {
  EXPECT_FALSE(isModification("DELETE\tFROM t"));  // a tab is not the blank
  EXPECT_FALSE(isModification("DELETE"));          // alone on the line
  EXPECT_FALSE(isModification("INSERTS x"));
  EXPECT_FALSE(isModification("upd t set"));
  EXPECT_FALSE(isModification("create table t (a int)"));
  EXPECT_FALSE(isModification("select * from t"));  // six letters, but not a keyword
  EXPECT_FALSE(isModification(""));
  EXPECT_FALSE(isModification("      "));
}

}  // namespace
}  // namespace interp
