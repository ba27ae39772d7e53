// Tests of the Windows locale queries answered from the POSIX locale
// database: the identifier table, the derivation of the picture formats and
// the currency forms, the system default from the environment, and the item
// values of the locales that the test set-up compiles into LOCPATH.
#include "platform/LocaleInfo.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

// LeakSanitizer takes these suppressions from the program in sanitized builds:
// the C library's newlocale leaks the list it builds of the LOCPATH
// directories on every call made while LOCPATH is set, as these tests need.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_create_sep\nleak:__argz_add_sep\n";
}

namespace dv {
namespace platform {
namespace {

std::string picture(const char* format, const char* dateFormat = nullptr) {
  char out[64];
  std::memset(out, 'x', sizeof out);
  bool ok = datePictureFromPosix(format, dateFormat, out, sizeof out);
  if (!ok) {
    EXPECT_STREQ("", out) << format;
    return "<none>";
  }
  return out;
}

TEST(DatePictureTest, ConversionsMapToPictures) {
  EXPECT_EQ("MM/dd/yy", picture("%m/%d/%y"));
  EXPECT_EQ("dd.MM.yyyy", picture("%d.%m.%Y"));
  EXPECT_EQ("yyyy-MM-dd", picture("%Y-%m-%d"));
  EXPECT_EQ("d.M.yyyy", picture("%e.%-m.%Y"));
  EXPECT_EQ("d/M/y", picture("%-d/%_m/%-y"));
  EXPECT_EQ("dd/MM", picture("%0e/%0m"));
  EXPECT_EQ("MM/dd/yy", picture("%D"));
  EXPECT_EQ("yyyy-MM-dd", picture("%F"));
  EXPECT_EQ("dd/MM/yyyy", picture("%x", "%d/%m/%Y"));
  EXPECT_EQ("yyyy-MM-dd", picture("%G-%m-%d"));
  EXPECT_EQ("dd MMMM yyyy", picture("%d %B %Y"));
  EXPECT_EQ("ddd MMM dd", picture("%a %b %d"));
  EXPECT_EQ("dddd MMM", picture("%A %h"));
  EXPECT_EQ("dd.MM.yyyy", picture("%Od.%Om.%EY"));  // modifiers are dropped
  EXPECT_EQ("%dd", picture("%%%d"));
  EXPECT_EQ("yyyy\xE5\xB9\xB4MM\xE6\x9C\x88", picture("%Y\xE5\xB9\xB4%m\xE6\x9C\x88"));
}

TEST(DatePictureTest, LiteralLettersAndQuotesAreQuoted) {
  EXPECT_EQ("dd' de 'MMMM", picture("%d de %B"));
  EXPECT_EQ("dd''''MM", picture("%d'%m"));
  EXPECT_EQ("yyyy'. g.'", picture("%Y. g."));
}

TEST(DatePictureTest, UnrepresentableFormatsAreRefused) {
  for (const char* format :
       {"%j", "%d/%U", "%W", "%V", "%u", "%w", "%C%y", "%d %H:%M", "%x", "%Z", "%d%", "%EC"}) {
    EXPECT_EQ("<none>", picture(format)) << format;
  }
  // %x only expands the date format once.
  EXPECT_EQ("<none>", picture("%x", "%x"));
  // Too small for the output.
  char out[8];
  EXPECT_FALSE(datePictureFromPosix("%d.%m", nullptr, out, 5));
  EXPECT_STREQ("", out);
  EXPECT_TRUE(datePictureFromPosix("%d.%m", nullptr, out, 6));
  EXPECT_STREQ("dd.MM", out);
  EXPECT_FALSE(datePictureFromPosix(nullptr, nullptr, out, sizeof out));
}

TEST(TimeFormatTest, ClockLeadingZeroAndSeparator) {
  const struct {
    const char* format;
    const char* ampm;
    const char* time;
    int clock24;
    int leadingZero;
    const char* separator;
  } cases[] = {
      {"%H:%M:%S", nullptr, nullptr, 1, 1, ":"},
      {"%T", nullptr, nullptr, 1, 1, ":"},
      {"%R", nullptr, nullptr, 1, 1, ":"},
      {"%r", "%I:%M:%S %p", nullptr, 0, 1, ":"},
      {"%r", "", nullptr, 0, 1, ":"},  // no 12-hour format: the C one
      {"%r", "%l.%M %p", nullptr, 0, 0, "."},
      {"%X", nullptr, "%H.%M.%S", 1, 1, "."},
      {"%l:%M %p", nullptr, nullptr, 0, 0, ":"},
      {"%k.%M", nullptr, nullptr, 1, 0, "."},
      {"%0k.%M", nullptr, nullptr, 1, 1, "."},
      {"%-H:%M", nullptr, nullptr, 1, 0, ":"},
      {"%_I:%M", nullptr, nullptr, 0, 0, ":"},
      {"%Hh%M", nullptr, nullptr, 1, 1, "h"},
      {"%H %% %M", nullptr, nullptr, 1, 1, " % "},
      {"%H%M", nullptr, nullptr, 1, 1, ":"},         // nothing between: ":"
      {"%M:%S", nullptr, nullptr, 1, 1, ":"},        // no hour: the C values
      {"%p%I時%M分", nullptr, nullptr, 0, 1, "時"},  // the hour after the am/pm text
      {"%H時%M分%S秒", nullptr, nullptr, 1, 1, "時"},
      {"%OH:%M", nullptr, nullptr, 1, 1, ":"},
  };
  for (const auto& c : cases) {
    TimeFormatInfo info = timeFormatInfoFromPosix(c.format, c.ampm, c.time);
    EXPECT_EQ(c.clock24, info.clock24) << c.format;
    EXPECT_EQ(c.leadingZero, info.leadingZero) << c.format;
    EXPECT_STREQ(c.separator, info.separator) << c.format;
  }
  // A format that names itself expands once, then takes the C one.
  TimeFormatInfo loop = timeFormatInfoFromPosix("%X", nullptr, "%X");
  EXPECT_EQ(1, loop.clock24);
}

TEST(CurrencyFormTest, PlacementOfThePositiveAmount) {
  EXPECT_EQ(0, currencyPlacement(1, 0));  // $1
  EXPECT_EQ(1, currencyPlacement(0, 0));  // 1$
  EXPECT_EQ(2, currencyPlacement(1, 1));  // $ 1
  EXPECT_EQ(3, currencyPlacement(0, 1));  // 1 $
  EXPECT_EQ(0, currencyPlacement(1, 2));
  EXPECT_EQ(0, currencyPlacement(CHAR_MAX, CHAR_MAX));
}

TEST(CurrencyFormTest, FormOfTheNegativeAmount) {
  // [sign_posn][symbol first no space, last no space, first space, last space]
  const int expected[5][4] = {
      {0, 4, 14, 15}, {1, 5, 9, 8}, {3, 7, 11, 10}, {1, 6, 9, 13}, {2, 7, 12, 10},
  };
  for (int posn = 0; posn < 5; ++posn) {
    EXPECT_EQ(expected[posn][0], negativeCurrencyForm(1, 0, posn)) << posn;
    EXPECT_EQ(expected[posn][1], negativeCurrencyForm(0, 0, posn)) << posn;
    EXPECT_EQ(expected[posn][2], negativeCurrencyForm(1, 1, posn)) << posn;
    EXPECT_EQ(expected[posn][3], negativeCurrencyForm(0, 1, posn)) << posn;
  }
  EXPECT_EQ(0, negativeCurrencyForm(CHAR_MAX, CHAR_MAX, CHAR_MAX));
  EXPECT_EQ(1, negativeCurrencyForm(1, 2, 1));
}

TEST(LocaleTableTest, TheWellKnownIdentifiers) {
  const struct {
    uint32_t lcid;
    const char* posix;
  } required[] = {
      {0x0409, "en_US.UTF-8"}, {0x0809, "en_GB.UTF-8"}, {0x0407, "de_DE.UTF-8"},
      {0x040C, "fr_FR.UTF-8"}, {0x0410, "it_IT.UTF-8"}, {0x0C0A, "es_ES.UTF-8"},
      {0x0413, "nl_NL.UTF-8"}, {0x0411, "ja_JP.UTF-8"}, {0x041D, "sv_SE.UTF-8"},
      {0x0416, "pt_BR.UTF-8"},
  };
  for (const auto& r : required) {
    const LocaleEntry* e = findLocaleEntry(r.lcid);
    ASSERT_NE(nullptr, e) << r.lcid;
    EXPECT_STREQ(r.posix, e->posixName);
  }
  // Identifiers are unique and the two names say the same.
  std::set<uint32_t> seen;
  for (std::size_t i = 0; i < localeEntryCount(); ++i) {
    const LocaleEntry& e = localeEntries()[i];
    EXPECT_TRUE(seen.insert(e.lcid).second) << e.windowsName;
    std::string windows = e.windowsName;
    windows[2] = '_';
    EXPECT_EQ(windows + ".UTF-8", e.posixName);
  }
  EXPECT_EQ(nullptr, findLocaleEntry(0x7777));
}

TEST(LocaleTableTest, PosixNamesToIdentifiers) {
  EXPECT_EQ(0x0407u, lcidForPosixName("de_DE.UTF-8"));
  EXPECT_EQ(0x0407u, lcidForPosixName("de_DE@euro"));
  EXPECT_EQ(0x0407u, lcidForPosixName("de_DE"));
  EXPECT_EQ(0x0407u, lcidForPosixName("de"));  // the language's first row
  EXPECT_EQ(0x0807u, lcidForPosixName("de_CH.utf8"));
  EXPECT_EQ(0x0809u, lcidForPosixName("en_GB.ISO-8859-1"));
  EXPECT_EQ(0u, lcidForPosixName("C"));
  EXPECT_EQ(0u, lcidForPosixName("C.UTF-8"));
  EXPECT_EQ(0u, lcidForPosixName("POSIX"));
  EXPECT_EQ(0u, lcidForPosixName("de_XX"));
  EXPECT_EQ(0u, lcidForPosixName("d"));
  EXPECT_EQ(0u, lcidForPosixName(""));
  EXPECT_EQ(0u, lcidForPosixName(nullptr));
}

// Sets the three variables for one test and puts them back.
class EnvironmentScope {
 public:
  EnvironmentScope(const char* lcAll, const char* lcTime, const char* lang) {
    for (int i = 0; i < 3; ++i) {
      const char* old = std::getenv(kNames[i]);
      had_[i] = old != nullptr;
      if (had_[i]) old_[i] = old;
    }
    set(0, lcAll);
    set(1, lcTime);
    set(2, lang);
  }
  ~EnvironmentScope() {
    for (int i = 0; i < 3; ++i) set(i, had_[i] ? old_[i].c_str() : nullptr);
  }

 private:
  static void set(int i, const char* value) {
    if (value == nullptr) {
      unsetenv(kNames[i]);
    } else {
      setenv(kNames[i], value, 1);
    }
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_TIME", "LANG"};
  bool had_[3];
  std::string old_[3];
};

TEST(SystemDefaultTest, FirstNonEmptyVariableDecides) {
  {
    EnvironmentScope env("sv_SE.UTF-8", "de_DE.UTF-8", "en_GB.UTF-8");
    EXPECT_EQ(0x041Du, systemDefaultLcid());
  }
  {
    EnvironmentScope env("", "de_DE.UTF-8", "en_GB.UTF-8");
    EXPECT_EQ(0x0407u, systemDefaultLcid());
  }
  {
    EnvironmentScope env(nullptr, nullptr, "en_GB.UTF-8");
    EXPECT_EQ(0x0809u, systemDefaultLcid());
  }
  {
    EnvironmentScope env("C", nullptr, "de_DE.UTF-8");
    EXPECT_EQ(kDefaultLcid, systemDefaultLcid());
  }
  {
    EnvironmentScope env(nullptr, nullptr, "C.UTF-8");
    EXPECT_EQ(kDefaultLcid, systemDefaultLcid());
  }
  {
    EnvironmentScope env(nullptr, nullptr, nullptr);
    EXPECT_EQ(0x0409u, systemDefaultLcid());
  }
}

// ---------------------------------------------------------------------------
// Real locales, compiled into LOCPATH by the test set-up

class InstalledLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, std::getenv("LOCPATH"))
        << "run through ctest: the set-up compiles the test locales into LOCPATH";
  }

  static std::string item(uint32_t lcid, uint32_t item) {
    char buf[128];
    int n = getLocaleInfo(lcid, item | kLocaleNoUserOverride, buf, sizeof buf);
    if (n == 0) return "<failed>";
    EXPECT_EQ(static_cast<int>(std::strlen(buf)) + 1, n);
    return buf;
  }
};

TEST_F(InstalledLocaleTest, OnlyCompiledLocalesAreValid) {
  EXPECT_TRUE(isValidLocale(0x0407));
  EXPECT_TRUE(isValidLocale(0x0409));
  EXPECT_FALSE(isValidLocale(0x040C));  // fr-FR: not compiled
  EXPECT_FALSE(isValidLocale(0x7777));  // not in the table
}

TEST_F(InstalledLocaleTest, GermanValues) {
  EXPECT_EQ("de-DE", item(0x0407, kLocaleSName));
  EXPECT_EQ("dd.MM.yyyy", item(0x0407, kLocaleSShortDate));
  EXPECT_EQ("1", item(0x0407, kLocaleITime));
  EXPECT_EQ(":", item(0x0407, kLocaleSTime));
  EXPECT_EQ("1", item(0x0407, kLocaleITLZero));
  EXPECT_EQ("", item(0x0407, kLocaleS1159));
  EXPECT_EQ("", item(0x0407, kLocaleS2359));
  EXPECT_EQ("\xE2\x82\xAC", item(0x0407, kLocaleSCurrency));
  EXPECT_EQ("3", item(0x0407, kLocaleICurrency));
  EXPECT_EQ("2", item(0x0407, kLocaleICurrDigits));
  EXPECT_EQ("8", item(0x0407, kLocaleINegCurr));
  EXPECT_EQ("", item(0x0407, kLocaleSPositiveSign));
  EXPECT_EQ("-", item(0x0407, kLocaleSNegativeSign));
  EXPECT_EQ(".", item(0x0407, kLocaleSThousand));
  EXPECT_EQ(",", item(0x0407, kLocaleSDecimal));
  EXPECT_EQ("1", item(0x0407, kLocaleILZero));
}

TEST_F(InstalledLocaleTest, AmericanAndBritishValues) {
  EXPECT_EQ("MM/dd/yyyy", item(0x0409, kLocaleSShortDate));
  EXPECT_EQ("0", item(0x0409, kLocaleITime));
  EXPECT_EQ("1", item(0x0409, kLocaleITLZero));
  EXPECT_EQ("AM", item(0x0409, kLocaleS1159));
  EXPECT_EQ("PM", item(0x0409, kLocaleS2359));
  EXPECT_EQ("$", item(0x0409, kLocaleSCurrency));
  EXPECT_EQ("0", item(0x0409, kLocaleICurrency));
  EXPECT_EQ("1", item(0x0409, kLocaleINegCurr));
  EXPECT_EQ(",", item(0x0409, kLocaleSThousand));
  EXPECT_EQ(".", item(0x0409, kLocaleSDecimal));

  EXPECT_EQ("dd/MM/yy", item(0x0809, kLocaleSShortDate));
  EXPECT_EQ("1", item(0x0809, kLocaleITime));
  EXPECT_EQ("am", item(0x0809, kLocaleS1159));
  EXPECT_EQ("\xC2\xA3", item(0x0809, kLocaleSCurrency));
}

TEST_F(InstalledLocaleTest, JapaneseValues) {
  EXPECT_EQ(
      "yyyy\xE5\xB9\xB4MM\xE6\x9C\x88"
      "dd\xE6\x97\xA5",
      item(0x0411, kLocaleSShortDate));
  EXPECT_EQ("\xE6\x99\x82", item(0x0411, kLocaleSTime));  // 時
  EXPECT_EQ("1", item(0x0411, kLocaleITime));
  EXPECT_EQ("0", item(0x0411, kLocaleICurrDigits));
}

TEST_F(InstalledLocaleTest, TheQueryProtocol) {
  EXPECT_EQ(6, getLocaleInfo(0x0407, kLocaleSName, nullptr, 0));  // the size needed
  char buf[8];
  EXPECT_EQ(0, getLocaleInfo(0x0407, kLocaleSName, buf, 5));      // too small: fails
  EXPECT_EQ(0, getLocaleInfo(0x0407, kLocaleSName, nullptr, 8));  // no buffer
  EXPECT_EQ(6, getLocaleInfo(0x0407, kLocaleSName, buf, 6));
  EXPECT_STREQ("de-DE", buf);
  EXPECT_EQ(0, getLocaleInfo(0x0407, 0x7777, buf, sizeof buf));           // unknown item
  EXPECT_EQ(0, getLocaleInfo(0x7777, kLocaleSDecimal, buf, sizeof buf));  // unknown locale
  EXPECT_EQ(0, getLocaleInfo(0x040C, kLocaleSDecimal, buf, sizeof buf));  // not installed
  EXPECT_EQ(0, getLocaleInfo(0x0407, kLocaleSDecimal, buf, -1));
}

TEST_F(InstalledLocaleTest, EnvironmentAndGlobalLocaleAreLeftAlone) {
  const char* old = std::getenv("LC_NUMERIC");
  std::string saved = old != nullptr ? old : "";
  setenv("LC_NUMERIC", "de_DE.UTF-8", 1);
  ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "de_DE.UTF-8"));
  std::string decimal = item(0x0409, kLocaleSDecimal);
  std::string thousand = item(0x0409, kLocaleSThousand);
  // The thread's locale is the global one again, which is still German.
  EXPECT_EQ(LC_GLOBAL_LOCALE, uselocale(static_cast<locale_t>(0)));
  EXPECT_STREQ(",", localeconv()->decimal_point);
  setlocale(LC_NUMERIC, "C");
  if (old != nullptr) {
    setenv("LC_NUMERIC", saved.c_str(), 1);
  } else {
    unsetenv("LC_NUMERIC");
  }
  EXPECT_EQ(".", decimal);
  EXPECT_EQ(",", thousand);
}

}  // namespace
}  // namespace platform
}  // namespace dv
