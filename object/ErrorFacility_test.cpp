// Tests of the error facility: the code table, message formatting, reports and
// the report options.
#include "object/ErrorFacility.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>

#include "object/ErrorCodes.h"
#include "object/Exception.h"
#include "object/Nil.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::runInChild;

std::string format(const char* fmt, const char* types, std::initializer_list<ErrorArg> args) {
  return formatMessage(fmt, types, args.begin(), args.size());
}

TEST(ErrorTableTest, SeventyFiveFatalCodesEachFormatStartingWithItsName) {
  EXPECT_EQ(0x1F000, nihcl::ACTIVE);
  EXPECT_EQ(0x1F028, nihcl::KEYNOTFOUND);
  EXPECT_EQ(0x1F04A, nihcl::ZERODEN);
  EXPECT_STREQ("NIHCL", facilityOf(nihcl::ACTIVE)->name);
  EXPECT_EQ(nihcl::kLastCode, facilityOf(nihcl::ZERODEN)->lastCode);
  for (int32_t code = nihcl::kFirstCode; code <= nihcl::kLastCode; ++code) {
    EXPECT_EQ(7, defaultSeverity(code)) << code;
    const char* f = messageFormat(code);
    ASSERT_NE(nullptr, f);
    ASSERT_EQ('[', f[0]) << f;
    ASSERT_NE(nullptr, std::strchr(f, ']')) << f;
    // Each letter fills one conversion ('*' widths take one of their own).
    EXPECT_NE(nullptr, argumentTypes(code));
  }
  EXPECT_STREQ("ISSI", argumentTypes(nihcl::KEYNOTFOUND));
  EXPECT_STREQ("[RDEOF] Premature EOF encountered on input stream", messageFormat(nihcl::RDEOF));
}

TEST(FormatMessageTest, FillsConversionsInOrderAndKeepsTheRest) {
  EXPECT_EQ("[X] a=1 b=two c=%d", format("[X] a=%d b=%s c=%d", "IS", {1, "two"}));
  EXPECT_EQ("[X] 100% of %s", format("[X] %d%% of %s", "I", {100}));
  EXPECT_EQ("[X] %s and %s", format("[X] %s and %s", "", {}));
  // Fewer arguments than letters: the conversions without one stay as written.
  EXPECT_EQ("[X] one %s", format("[X] %s %s", "SS", {"one"}));
  EXPECT_EQ("[X] 2.5 0.125000", format("[X] %g %f", "DD", {2.5, 0.125}));
}

TEST(FormatMessageTest, StarPrecisionTakesAnArgumentOfItsOwn) {
  EXPECT_EQ("[STROV] String buffer overflowed during read of string \"abc\" (9 characters)",
            format(messageFormat(nihcl::STROV), "ISI", {3, "abcdef", 9}));
}

TEST(FormatMessageTest, IntegersKeep32BitMeaningButAddressesAreShownWhole) {
  EXPECT_EQ("0xffffffff", format("%#.8x", "I", {-1}));
  EXPECT_EQ("0x0000002a", format("%#.8x", "I", {42}));
  EXPECT_EQ("-7", format("%d", "I", {-7}));
  EXPECT_EQ("0x123456789ab", format("%#.8x", "I", {0x123456789abLL}));
}

TEST(FormatMessageTest, ResultIsCutAt131Characters) {
  std::string longText(300, 'z');
  std::string out = format("[X] %s", "S", {longText.c_str()});
  EXPECT_EQ(kMaxMessageLength, out.size());
  EXPECT_EQ("[X] zzz", out.substr(0, 7));
}

TEST(ReportTest, StartOptionsPrintFacilityAndSeverityAndEndTheProcess) {
  Object* n = nil();
  auto outcome = runInChild([&] {
    setError(nihcl::KEYNOTFOUND, kDefaultSeverity, n, "Dictionary", "Integer", n);
    std::fputs("still running\n", stderr);
  });
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(1, outcome.status);
  std::string address = testing::hexAddress(n);
  EXPECT_EQ("NIHCL: fatal: [KEYNOTFOUND] Key not found: " + address +
                "->Dictionary::atKey((Integer*)" + address + ")\n",
            outcome.err);
}

TEST(ReportTest, OptionsChangeWhatIsPrintedAndWhetherTheProcessEnds) {
  auto bare = runInChild([] {
    ReportOptions o;
    o.printFlags = 0;
    o.prefix = "pre> ";
    setReportOptions(o);
    setError(nihcl::RDEOF, kDefaultSeverity);
  });
  EXPECT_EQ(1, bare.status);
  EXPECT_EQ("pre> [RDEOF] Premature EOF encountered on input stream\n", bare.err);

  auto quiet = runInChild([] {
    ReportOptions o;
    o.printThreshold = 8;
    o.abortThreshold = 8;
    setReportOptions(o);
    setError(nihcl::RDEOF, kDefaultSeverity);
    std::fputs("continued\n", stderr);
  });
  EXPECT_EQ(0, quiet.status);
  EXPECT_EQ("continued\n", quiet.err);

  auto aborting = runInChild([] {
    ReportOptions o;
    o.abortMode = 1;
    setReportOptions(o);
    setError(nihcl::RDEOF, 5);
  });
  EXPECT_FALSE(aborting.exited);
  EXPECT_EQ(SIGABRT, aborting.signal);
  EXPECT_EQ("NIHCL: severity 5: [RDEOF] Premature EOF encountered on input stream\n", aborting.err);

  auto toFile = runInChild([] {
    ReportOptions o;
    o.output = stdout;
    o.abortThreshold = 8;
    setReportOptions(o);
    setError(nihcl::RDEOF, kWarning);
  });
  EXPECT_EQ(0, toFile.status);
  EXPECT_EQ("", toFile.err);
  EXPECT_EQ("NIHCL: warning: [RDEOF] Premature EOF encountered on input stream\n", toFile.out);
  EXPECT_EQ(3, reportOptions().printThreshold);  // the parent's options are untouched
}

TEST(ReportTest, InvalidCodesAreReportedWithSeverity4) {
  auto badFacility = runInChild([] { setError(0x40000, kDefaultSeverity); });
  EXPECT_EQ(1, badFacility.status);
  EXPECT_NE(std::string::npos,
            badFacility.err.find("error: *** Invalid Facility (64) -- from error (262144)\n\n"))
      << badFacility.err;

  auto outOfRange = runInChild([] { setError(nihcl::ZERODEN + 1, kDefaultSeverity); });
  EXPECT_EQ(1, outOfRange.status);
  EXPECT_NE(std::string::npos,
            outOfRange.err.find("error: *** Error No.(75) out of range -- from error (127051)\n\n"))
      << outOfRange.err;

  auto emptyFacility = runInChild([] { seterror((5 << 12) | 1, kDefaultSeverity); });
  EXPECT_EQ(1, emptyFacility.status);
  EXPECT_NE(std::string::npos, emptyFacility.err.find("*** Error No.(1) out of range"));
}

void lowerToWarning(int32_t&, int& severity) {
  severity = kWarning;
}

TEST(ReportTest, HandlerHookLoweringTheSeverityLetsTheProcessGoOn) {
  auto outcome = runInChild([] {
    ExceptionHandlerScope scope(&lowerToWarning);
    setError(nihcl::RDEOF, kDefaultSeverity);
    std::fputs("continued\n", stderr);
  });
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ("NIHCL: warning: [RDEOF] Premature EOF encountered on input stream\ncontinued\n",
            outcome.err);
}

TEST(ReportTest, SeverityNames) {
  const char* expected[] = {"success", "info",       "severity 2", "warning",
                            "error",   "severity 5", "severe",     "fatal"};
  for (int i = 0; i < 8; ++i) EXPECT_STREQ(expected[i], severityName(i));
}

}  // namespace
}  // namespace dv
