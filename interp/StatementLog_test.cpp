// Tests of what the statement log writes for texts it does not control: the
// account without its password, and any bytes as a JSON string.
#include "interp/StatementLog.h"

#include <gtest/gtest.h>

#include <string>

namespace interp {
namespace {

TEST(AccountWithoutPasswordTest, UriLosesUserPasswordAndPasswordParameters) {
  EXPECT_EQ("postgresql://alice@db:5432/sales",
            accountWithoutPassword("postgresql://alice:s3cret@db:5432/sales"));
  // An unencoded '@' or '/' in the password leaves nothing of it behind.
  EXPECT_EQ("postgres://bob@h/d", accountWithoutPassword("postgres://bob:a/b@c@h/d"));
  EXPECT_EQ("postgresql://h/d?sslmode=off&application_name=x",
            accountWithoutPassword(
                "postgresql://h/d?password=pw&sslmode=off&pass%77ord=pw2&application_name=x"));
  EXPECT_EQ("postgresql://u@h:1/d", accountWithoutPassword("postgresql://u@h:1/d?password=pw"));
}

TEST(AccountWithoutPasswordTest, ConninfoLosesPasswordPairsOnly) {
  EXPECT_EQ("host=/tmp port=5 user=u",
            accountWithoutPassword("host=/tmp password=pw port=5 user=u"));
  EXPECT_EQ("host=h", accountWithoutPassword("password = 'p w\\' x' host=h"));
  EXPECT_EQ("dbname=a\\ b", accountWithoutPassword("dbname=a\\ b password=p\\ q"));
  // What does not read as pairs is dropped from there on.
  EXPECT_EQ("host=h", accountWithoutPassword("host=h password='unterminated"));
  EXPECT_EQ("host=h", accountWithoutPassword("host=h oops password=x"));
}

TEST(AccountWithoutPasswordTest, OtherAccountsAreKept) {
  for (const char* account : {"/home/a/acct", "./password=x", "my dir/a=b", ":memory:", ""}) {
    EXPECT_EQ(account, accountWithoutPassword(account));
  }
}

std::string json(const std::string& text) {
  std::string out;
  appendJsonString(&out, text.data(), text.size());
  return out;
}

TEST(AppendJsonStringTest, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ("say \\\"hi\\\" \\\\ \\n\\r\\t\\u0000\\u001f\\u0008 \x7f",
            json(std::string("say \"hi\" \\ \n\r\t\0\x1f\b \x7f", 19)));
}

TEST(AppendJsonStringTest, KeepsValidUtf8AndEscapesEveryOtherByte) {
  EXPECT_EQ("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
            json("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"));
  EXPECT_EQ("\\udcff\\udcc3", json("\xff\xc3"));             // a bad byte, a cut sequence
  EXPECT_EQ("\\udcc0\\udcaf", json("\xc0\xaf"));             // overlong
  EXPECT_EQ("\\udced\\udca0\\udc80", json("\xed\xa0\x80"));  // a surrogate
  EXPECT_EQ("\\udcf4\\udc90\\udc80\\udc80", json("\xf4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_EQ("\\udce2\\udc82x", json("\xe2\x82x"));                      // cut before its end
}

}  // namespace
}  // namespace interp
