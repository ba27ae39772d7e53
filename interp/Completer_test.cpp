// Tests of the completion candidates that need no connection: keywords, the
// shared prefix of candidates and the statements that make the table names
// be read again. Table names are tested at a terminal (tests/session).
#include "interp/Completer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace interp {
namespace {

using Words = std::vector<std::string>;

TEST(CompleterTest, KeywordsFollowTheCaseOfTheWordTyped) {
  Completer completer(nullptr);
  EXPECT_EQ((Words{"select", "set"}), completer.candidates("se"));
  EXPECT_EQ((Words{"SELECT", "SET"}), completer.candidates("Se"));
  EXPECT_EQ((Words{"ROLLBACK"}), completer.candidates("ROLL"));
  EXPECT_EQ(Words{}, completer.candidates("xyz"));
  EXPECT_EQ(Words{}, completer.candidates(""));  // an empty word offers table names only
}

TEST(CompleterTest, CommonPrefixIgnoresCase) {
  EXPECT_EQ(0u, commonPrefixLength({}));
  EXPECT_EQ(6u, commonPrefixLength({"select"}));
  EXPECT_EQ(4u, commonPrefixLength({"dv_Tab_one", "DV_tAB_two", "dv_t"}));
  EXPECT_EQ(0u, commonPrefixLength({"a", "b"}));
}

TEST(CompleterTest, StatementsThatMayChangeTheTableNames) {
  for (const char* line : {"create table t (a int)", "  DROP view v", "Alter table t rename to u",
                           "rollback", "attach 'x' as y", "detach y"}) {
    EXPECT_TRUE(mayChangeTables(line, std::strlen(line))) << line;
  }
  for (const char* line :
       {"select * from t", "created", "insert into drop_me values (1)", "", "commit"}) {
    EXPECT_FALSE(mayChangeTables(line, std::strlen(line))) << line;
  }
}

}  // namespace
}  // namespace interp
