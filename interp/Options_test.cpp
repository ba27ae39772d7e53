// Tests of dvsql's command-line parsing.
#include "interp/Options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace interp {
namespace {

ParseResult parse(std::initializer_list<const char*> args, InterpreterOptions* options) {
  std::vector<const char*> argv{"dvsql"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
}

ParseResult parse(std::initializer_list<const char*> args) {
  InterpreterOptions options;
  return parse(args, &options);
}

TEST(OptionsTest, DefaultsWithAccountOnly) {
  InterpreterOptions o;
  ASSERT_EQ(ParseResult::kOk, parse({"acct"}, &o));
  EXPECT_STREQ("acct", o.account);
  EXPECT_EQ(1, o.mode);
  EXPECT_TRUE(o.pageMode);
  EXPECT_FALSE(o.silent || o.timing || o.echo || o.emptyToNull);
}

TEST(OptionsTest, LaterLetterOverridesEarlierInClusterAndAcrossArguments) {
  InterpreterOptions sp;
  ASSERT_EQ(ParseResult::kOk, parse({"-sp", "acct"}, &sp));
  EXPECT_TRUE(sp.silent);
  EXPECT_TRUE(sp.pageMode);

  InterpreterOptions ps;
  ASSERT_EQ(ParseResult::kOk, parse({"-ps", "acct"}, &ps));
  EXPECT_TRUE(ps.silent);
  EXPECT_FALSE(ps.pageMode);

  InterpreterOptions split;
  ASSERT_EQ(ParseResult::kOk, parse({"-c", "acct", "-p", "-tex"}, &split));
  EXPECT_TRUE(split.pageMode);
  EXPECT_TRUE(split.timing && split.emptyToNull && split.echo);
}

TEST(OptionsTest, ModeFollowsStrtolAndMustUseUpTheArgument) {
  InterpreterOptions two;
  ASSERT_EQ(ParseResult::kOk, parse({"-m2", "acct"}, &two));
  EXPECT_EQ(2, two.mode);
  InterpreterOptions one;
  ASSERT_EQ(ParseResult::kOk, parse({"-m2", "-tm1", "acct"}, &one));
  EXPECT_EQ(1, one.mode);
  EXPECT_TRUE(one.timing);
  InterpreterOptions signedMode;
  ASSERT_EQ(ParseResult::kOk, parse({"-m +2", "acct"}, &signedMode));  // white space and sign
  EXPECT_EQ(2, signedMode.mode);
  InterpreterOptions zeroes;
  ASSERT_EQ(ParseResult::kOk, parse({"-m02", "acct"}, &zeroes));
  EXPECT_EQ(2, zeroes.mode);

  for (const char* bad : {"-m", "-m0", "-m3", "-m-1", "-m2x", "-m1t", "-m2 ", "-m ", "-m0x1",
                          "-m99999999999999999999999"}) {
    EXPECT_EQ(ParseResult::kUsage, parse({bad, "acct"})) << bad;
  }
  // The mode is not taken from the next argument.
  EXPECT_EQ(ParseResult::kUsage, parse({"-m", "2", "acct"}));
}

TEST(OptionsTest, InvalidCommandLines) {
  EXPECT_EQ(ParseResult::kUsage, parse({}));
  EXPECT_EQ(ParseResult::kUsage, parse({"-s"}));           // no account
  EXPECT_EQ(ParseResult::kUsage, parse({"-", "acct"}));    // a lone dash
  EXPECT_EQ(ParseResult::kUsage, parse({"-sz", "acct"}));  // unknown letter
  EXPECT_EQ(ParseResult::kUsage, parse({"a", "b"}));       // two accounts
  EXPECT_EQ(ParseResult::kUsage, parse({"-Help", "acct"}));
  EXPECT_EQ(ParseResult::kUsage, parse({"-helpx", "acct"}));
}

TEST(OptionsTest, HelpWinsWhereverItStandsUnlessAnErrorComesFirst) {
  EXPECT_EQ(ParseResult::kHelp, parse({"-help"}));
  EXPECT_EQ(ParseResult::kHelp, parse({"acct", "-help"}));
  EXPECT_EQ(ParseResult::kHelp, parse({"-s", "-help", "-z"}));
  // Arguments are read left to right: the first deciding one decides.
  EXPECT_EQ(ParseResult::kUsage, parse({"-z", "-help"}));
  EXPECT_EQ(ParseResult::kUsage, parse({"a", "b", "-help"}));
}

TEST(OptionsTest, HelpTextHasEighteenLinesStartingWithUsage) {
  int lines = 0;
  for (const char* p = kHelpText; *p != '\0'; ++p) lines += *p == '\n';
  EXPECT_EQ(18, lines);
  EXPECT_EQ(0, std::string(kHelpText).compare(0, std::strlen(kUsageText), kUsageText));
}

}  // namespace
}  // namespace interp
