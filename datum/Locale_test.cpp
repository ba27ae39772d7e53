// Tests of the locale object: the short date format analysis, the built-in
// values, the choice of identifier and the copying when a locale is loaded,
// the fallback after failed loads, the cutting of long values, the time-zone
// block, the process-wide pointers, and real loads of locales compiled into
// LOCPATH by the test set-up.
#include "datum/Locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <sstream>
#include <string>

#include "object/Allocation.h"
#include "platform/LocaleInfo.h"

namespace dv {
namespace {

using namespace platform;

// ---------------------------------------------------------------------------
// Short date format analysis

struct Analysed {
  int code;
  DateSettings settings;
};

Analysed analyze(const char* format) {
  Analysed a;
  a.code = analyzeShortDateFormat(format, &a.settings);
  return a;
}

TEST(ShortDateFormatTest, DayMonthYearWithDotsAndLeadingZeros) {
  Analysed a = analyze("dd.MM.yyyy");
  ASSERT_EQ(kLocaleOk, a.code);
  EXPECT_STREQ("dd.MM.yyyy", a.settings.shortDateFormat);
  EXPECT_EQ(10, a.settings.shortDateFormatLength);
  EXPECT_STREQ(".", a.settings.dateSeparator);
  EXPECT_EQ(1, a.settings.dateSeparatorLength);
  EXPECT_EQ(kDateOrderDayMonthYear, a.settings.dateOrder);
  EXPECT_EQ(1, a.settings.dayLeadingZero);
  EXPECT_EQ(1, a.settings.monthLeadingZero);
  EXPECT_EQ(1, a.settings.fourDigitYear);
}

TEST(ShortDateFormatTest, YearMonthDayWithoutLeadingZeros) {
  Analysed a = analyze("yyyy-M-d");
  ASSERT_EQ(kLocaleOk, a.code);
  EXPECT_STREQ("-", a.settings.dateSeparator);
  EXPECT_EQ(kDateOrderYearMonthDay, a.settings.dateOrder);
  EXPECT_EQ(0, a.settings.dayLeadingZero);
  EXPECT_EQ(0, a.settings.monthLeadingZero);
  EXPECT_EQ(1, a.settings.fourDigitYear);
}

TEST(ShortDateFormatTest, EveryOrderOfTheThreeGroups) {
  const struct {
    const char* format;
    int16_t order;
  } cases[] = {
      {"dd/MM/yy", kDateOrderDayMonthYear}, {"dd/yy/MM", kDateOrderDayYearMonth},
      {"MM/dd/yy", kDateOrderMonthDayYear}, {"MM/yy/dd", kDateOrderMonthYearDay},
      {"yy/dd/MM", kDateOrderYearDayMonth}, {"yy/MM/dd", kDateOrderYearMonthDay},
  };
  for (const auto& c : cases) {
    Analysed a = analyze(c.format);
    ASSERT_EQ(kLocaleOk, a.code) << c.format;
    EXPECT_EQ(c.order, a.settings.dateOrder) << c.format;
    EXPECT_EQ(0, a.settings.fourDigitYear) << c.format;
  }
}

TEST(ShortDateFormatTest, SeparatorsOfSeveralCharacters) {
  Analysed a = analyze("dd. MM. yyyy");
  ASSERT_EQ(kLocaleOk, a.code);
  EXPECT_STREQ(". ", a.settings.dateSeparator);
  EXPECT_EQ(2, a.settings.dateSeparatorLength);

  a = analyze("d////M////yy");  // four characters: the longest allowed
  ASSERT_EQ(kLocaleOk, a.code);
  EXPECT_STREQ("////", a.settings.dateSeparator);
  EXPECT_EQ(4, a.settings.dateSeparatorLength);

  // Groups side by side: no separator at all.
  a = analyze("ddMMyyyy");
  ASSERT_EQ(kLocaleOk, a.code);
  EXPECT_STREQ("", a.settings.dateSeparator);
  EXPECT_EQ(0, a.settings.dateSeparatorLength);
  EXPECT_EQ(kDateOrderDayMonthYear, a.settings.dateOrder);
}

TEST(ShortDateFormatTest, BrokenFormatsFailAndLeaveTheRecordAlone) {
  const char* broken[] = {
      "MM/dd",           // two groups
      "MM/dd/yy/",       // a trailing separator
      "",                // no group
      "dd/MM/yy/MM",     // a second month group
      "dd/MM/d/yy",      // a second day group
      "yy/MM/dd/yyyy",   // a second year group
      "dd/MM/y",         // one y
      "dd/MM/yyy",       // three y
      "dd/MM/yyyyy",     // five y
      "ddd/MM/yy",       // three d
      "dd/MMMM/yy",      // four M
      "dd/////MM/yy",    // a separator of five characters
      "dd.MM/yy",        // two different separators
      "dd.MM..yy",       // a later separator longer than the first
      "yyyy年MM月dd日",  // different separators, and a trailing one
  };
  for (const char* format : broken) {
    DateSettings settings;
    settings.dateOrder = 4;  // marks the record, to see that it is unchanged
    settings.dateSeparator[0] = '#';
    EXPECT_EQ(kLocaleBadShortDate, analyzeShortDateFormat(format, &settings)) << format;
    EXPECT_EQ(4, settings.dateOrder) << format;
    EXPECT_EQ('#', settings.dateSeparator[0]) << format;
    EXPECT_STREQ("MM/dd/yy", settings.shortDateFormat) << format;
  }
}

TEST(ShortDateFormatTest, NullArgumentsAreNullDestinations) {
  DateSettings settings;
  EXPECT_EQ(kLocaleNullDestination, analyzeShortDateFormat(nullptr, &settings));
  EXPECT_EQ(kLocaleNullDestination, analyzeShortDateFormat("dd.MM.yy", nullptr));
}

TEST(ShortDateFormatTest, AFormatLongerThanItsFieldIsCutBeforeTheAnalysis) {
  // 16 bytes is the longest format that can pass, so a cut one never does.
  DateSettings settings;
  EXPECT_EQ(kLocaleBadShortDate, analyzeShortDateFormat("dd////MM////yyyyyy", &settings));
  EXPECT_EQ(kLocaleOk, analyzeShortDateFormat("dd////MM////yyyy", &settings));
  EXPECT_EQ(16, settings.shortDateFormatLength);
}

// ---------------------------------------------------------------------------
// The locale object with made-up operating-system answers

// A locale source answering from maps, with the platform's protocol: size 0
// asks for the size, a smaller buffer fails.
class FakeLocaleInfo : public LocaleInfoSource {
 public:
  using Items = std::map<uint32_t, std::string>;

  bool isValidLocale(uint32_t lcid) const override {
    ++validityChecks;
    return locales.count(lcid) != 0;
  }
  uint32_t systemDefaultLcid() const override { return systemDefault; }
  int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) const override {
    ++queries;
    if ((item & kLocaleNoUserOverride) == 0) ++queriesWithOverrides;
    auto l = locales.find(lcid);
    if (l == locales.end()) return 0;
    auto i = l->second.find(item & ~kLocaleNoUserOverride);
    if (i == l->second.end()) return 0;
    int needed = static_cast<int>(i->second.size()) + 1;
    if (size == 0) return needed;
    if (buf == nullptr || size < needed) return 0;
    std::memcpy(buf, i->second.c_str(), static_cast<std::size_t>(needed));
    return needed;
  }

  // A complete locale, named name, with values unlike the "C" ones.
  static Items sample(const char* name) {
    return {
        {kLocaleSName, name},
        {kLocaleITime, "0"},
        {kLocaleSTime, "."},
        {kLocaleS1159, "vm"},
        {kLocaleS2359, "nm"},
        {kLocaleITLZero, "0"},
        {kLocaleSShortDate, "d-M-yyyy"},
        {kLocaleSCurrency, "kr"},
        {kLocaleICurrency, "3"},
        {kLocaleICurrDigits, "3"},
        {kLocaleINegCurr, "8"},
        {kLocaleSPositiveSign, "+"},
        {kLocaleSNegativeSign, "~"},
        {kLocaleSThousand, "'"},
        {kLocaleSDecimal, ","},
        {kLocaleILZero, "1"},
    };
  }

  std::map<uint32_t, Items> locales;
  uint32_t systemDefault = 0x1111;
  mutable int queries = 0;
  mutable int queriesWithOverrides = 0;
  mutable int validityChecks = 0;
};

// The "C" values of every field.
void expectCValues(Locale& locale) {
  int32_t id = 0;
  locale.localeId(&id);
  EXPECT_EQ(kLocaleIdC, id);
  char name[16];
  locale.localeName(name, sizeof name);
  EXPECT_STREQ("C", name);
  EXPECT_FALSE(locale.isLoaded());

  DateSettings d;
  std::memset(static_cast<void*>(&d), 0x5A, sizeof d);  // garbage, to see every field written
  locale.dateSettings(&d);
  EXPECT_STREQ("MM/dd/yy", d.shortDateFormat);
  EXPECT_EQ(8, d.shortDateFormatLength);
  EXPECT_STREQ("/", d.dateSeparator);
  EXPECT_EQ(1, d.dateSeparatorLength);
  EXPECT_EQ(kDateOrderMonthDayYear, d.dateOrder);
  EXPECT_EQ(1, d.dayLeadingZero);
  EXPECT_EQ(1, d.monthLeadingZero);
  EXPECT_EQ(0, d.fourDigitYear);

  TimeSettings t;
  std::memset(static_cast<void*>(&t), 0x5A, sizeof t);  // garbage, to see every field written
  locale.timeSettings(&t);
  EXPECT_EQ(1, t.clock24);
  EXPECT_STREQ(":", t.timeSeparator);
  EXPECT_EQ(1, t.timeSeparatorLength);
  EXPECT_STREQ("AM", t.amText);
  EXPECT_EQ(2, t.amTextLength);
  EXPECT_STREQ("PM", t.pmText);
  EXPECT_EQ(2, t.pmTextLength);
  EXPECT_EQ(1, t.timeLeadingZero);

  CurrencySettings c;
  std::memset(static_cast<void*>(&c), 0x5A, sizeof c);  // garbage, to see every field written
  locale.currencySettings(&c);
  EXPECT_STREQ("", c.currencySymbol);
  EXPECT_EQ(0, c.currencySymbolLength);
  EXPECT_EQ(0, c.currencyPosition);
  EXPECT_EQ(2, c.currencyDigits);
  EXPECT_EQ(0, c.negativeCurrency);
  EXPECT_STREQ("", c.positiveSign);
  EXPECT_EQ(0, c.positiveSignLength);
  EXPECT_STREQ("", c.negativeSign);
  EXPECT_EQ(0, c.negativeSignLength);

  NumberSettings n;
  std::memset(static_cast<void*>(&n), 0x5A, sizeof n);  // garbage, to see every field written
  locale.numberSettings(&n);
  for (const NumberSettings* s : {&n, &c.number}) {
    EXPECT_STREQ("", s->thousandSeparator);
    EXPECT_EQ(0, s->thousandSeparatorLength);
    EXPECT_STREQ(".", s->decimalSeparator);
    EXPECT_EQ(1, s->decimalSeparatorLength);
    EXPECT_EQ(0, s->grouping);
    EXPECT_EQ(0, s->leadingZero);
  }
}

// The values of FakeLocaleInfo::sample.
void expectSampleValues(Locale& locale, int32_t expectedId, const char* expectedName) {
  int32_t id = 0;
  EXPECT_EQ(kLocaleOk, locale.localeId(&id));
  EXPECT_EQ(expectedId, id);
  char name[32];
  EXPECT_EQ(kLocaleOk, locale.localeName(name, sizeof name));
  EXPECT_STREQ(expectedName, name);
  EXPECT_TRUE(locale.isLoaded());

  DateSettings d;
  EXPECT_EQ(kLocaleOk, locale.dateSettings(&d));
  EXPECT_STREQ("d-M-yyyy", d.shortDateFormat);
  EXPECT_EQ(8, d.shortDateFormatLength);
  EXPECT_STREQ("-", d.dateSeparator);
  EXPECT_EQ(kDateOrderDayMonthYear, d.dateOrder);
  EXPECT_EQ(0, d.dayLeadingZero);
  EXPECT_EQ(0, d.monthLeadingZero);
  EXPECT_EQ(1, d.fourDigitYear);

  TimeSettings t;
  EXPECT_EQ(kLocaleOk, locale.timeSettings(&t));
  EXPECT_EQ(0, t.clock24);
  EXPECT_STREQ(".", t.timeSeparator);
  EXPECT_STREQ("vm", t.amText);
  EXPECT_EQ(2, t.amTextLength);
  EXPECT_STREQ("nm", t.pmText);
  EXPECT_EQ(0, t.timeLeadingZero);

  CurrencySettings c;
  EXPECT_EQ(kLocaleOk, locale.currencySettings(&c));
  EXPECT_STREQ("kr", c.currencySymbol);
  EXPECT_EQ(2, c.currencySymbolLength);
  EXPECT_EQ(3, c.currencyPosition);
  EXPECT_EQ(3, c.currencyDigits);
  EXPECT_EQ(8, c.negativeCurrency);
  EXPECT_STREQ("+", c.positiveSign);
  EXPECT_STREQ("~", c.negativeSign);
  EXPECT_STREQ("'", c.number.thousandSeparator);
  EXPECT_STREQ(",", c.number.decimalSeparator);
  EXPECT_EQ(3, c.number.grouping);
  EXPECT_EQ(1, c.number.leadingZero);

  NumberSettings n;
  EXPECT_EQ(kLocaleOk, locale.numberSettings(&n));
  EXPECT_STREQ("'", n.thousandSeparator);
  EXPECT_EQ(1, n.thousandSeparatorLength);
  EXPECT_STREQ(",", n.decimalSeparator);
  EXPECT_EQ(3, n.grouping);
}

class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetLocaleState();
    info.locales[0x1111] = FakeLocaleInfo::sample("one");
    info.locales[0x2222] = FakeLocaleInfo::sample("two");
    info.locales[0x3333] = FakeLocaleInfo::sample("three");
    setLocaleInfoSource(&info);
    table.add("three", 0x3333);
  }
  void TearDown() override { resetLocaleState(); }

  void useTable() { setLocaleTable(&table); }

  FakeLocaleInfo info;
  MapLocaleTable table;
};

TEST_F(LocaleTest, WithoutALocaleTableEveryGetterAnswers9AndTheCValuesHold) {
  Locale locale(0x1111);
  int32_t id;
  char name[8];
  DateSettings d;
  TimeSettings t;
  NumberSettings n;
  CurrencySettings c;
  TimeZoneSettings z;
  DateTimeSettings dt;
  EXPECT_EQ(kLocaleNoTable, locale.localeId(&id));
  EXPECT_EQ(kLocaleNoTable, locale.localeName(name, sizeof name));
  EXPECT_EQ(kLocaleNoTable, locale.dateSettings(&d));
  EXPECT_EQ(kLocaleNoTable, locale.timeSettings(&t));
  EXPECT_EQ(kLocaleNoTable, locale.numberSettings(&n));
  EXPECT_EQ(kLocaleNoTable, locale.currencySettings(&c));
  EXPECT_EQ(kLocaleNoTable, locale.timeZoneSettings(&z));
  EXPECT_EQ(kLocaleNoTable, locale.dateTimeSettings(&dt));
  EXPECT_EQ(0, info.queries);
  expectCValues(locale);
  EXPECT_EQ(-1, z.timeZoneFlag);

  Locale fresh;
  EXPECT_EQ(kLocaleNoTable, fresh.dateSettings(&d));
  expectCValues(fresh);
}

TEST_F(LocaleTest, NullDestinationsAnswer13WithoutLoading) {
  for (bool withTable : {false, true}) {
    if (withTable) useTable();
    Locale locale(0x1111);
    EXPECT_EQ(kLocaleNullDestination, locale.localeId(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.localeName(nullptr, 10));
    char buf[4] = "xyz";
    EXPECT_EQ(kLocaleNullDestination, locale.localeName(buf, 0));
    EXPECT_STREQ("xyz", buf);
    EXPECT_EQ(kLocaleNullDestination, locale.dateSettings(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.timeSettings(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.numberSettings(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.currencySettings(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.timeZoneSettings(nullptr));
    EXPECT_EQ(kLocaleNullDestination, locale.dateTimeSettings(nullptr));
    EXPECT_FALSE(locale.isLoaded());
    EXPECT_EQ(0, info.queries);
  }
}

TEST_F(LocaleTest, LoadsEveryValueWithoutUserOverrides) {
  useTable();
  Locale locale(0x2222);
  expectSampleValues(locale, 0x2222, "two");
  EXPECT_GT(info.queries, 0);
  EXPECT_EQ(0, info.queriesWithOverrides);
  // Loaded once: later getters ask the operating system nothing.
  int queries = info.queries;
  DateTimeSettings dt;
  EXPECT_EQ(kLocaleOk, locale.dateTimeSettings(&dt));
  EXPECT_EQ(queries, info.queries);
  EXPECT_STREQ("d-M-yyyy", dt.date.shortDateFormat);
  EXPECT_STREQ(".", dt.time.timeSeparator);
  EXPECT_STREQ(",", dt.number.decimalSeparator);
}

TEST_F(LocaleTest, TheIdentifierIsTheGivenOneTheConfiguredOneOrTheSystemDefault) {
  useTable();
  setConfiguredLocaleName("three", 0x3333);

  Locale given(0x2222);
  EXPECT_TRUE(given.isIdGiven());
  expectSampleValues(given, 0x2222, "two");

  Locale configured;
  EXPECT_FALSE(configured.isIdGiven());
  EXPECT_EQ(kLocaleIdNone, configured.idField());
  expectSampleValues(configured, 0x3333, "three");

  // A name that is empty means the profile named no locale, whatever the
  // identifier beside it says.
  setConfiguredLocaleName("", 0x3333);
  Locale unconfigured;
  expectSampleValues(unconfigured, 0x1111, "one");
}

TEST_F(LocaleTest, TheSystemLocaleObjectAlwaysTakesTheSystemDefault) {
  useTable();
  setConfiguredLocaleName("three", 0x3333);
  Locale* system = new Locale(0x2222);
  setSystemLocale(system, kLocaleIdNone);
  system->release();  // the process holds the only reference now
  EXPECT_EQ(1, system->refCount());
  expectSampleValues(*system, 0x1111, "one");
}

TEST_F(LocaleTest, SystemDefaultFailures) {
  useTable();
  info.systemDefault = 0;
  Locale noDefault;
  DateSettings d;
  EXPECT_EQ(kLocaleNoSystemDefault, noDefault.dateSettings(&d));
  expectCValues(noDefault);

  // The system default's name cannot be read: 16; a given identifier's: 5.
  info.systemDefault = 0x1111;
  info.locales[0x1111].erase(kLocaleSName);
  Locale noName;
  EXPECT_EQ(kLocaleNoSystemDefaultName, noName.dateSettings(&d));
  expectCValues(noName);
  Locale givenNoName(0x1111);
  EXPECT_EQ(kLocaleNotInstalled, givenNoName.dateSettings(&d));
}

TEST_F(LocaleTest, ALoadedSystemOrConfiguredLocaleWithTheSameIdentifierIsCopied) {
  useTable();
  Locale* system = new Locale;
  setSystemLocale(system, kLocaleIdNone);
  system->release();
  int32_t id = 0;
  ASSERT_EQ(kLocaleOk, system->localeId(&id));
  setSystemLocale(system, id);

  Locale* configured = new Locale(0x3333);
  setConfiguredLocale(configured, 0x3333);
  configured->release();
  ASSERT_EQ(kLocaleOk, configured->localeId(&id));

  // The operating system's answers change; copies keep the loaded ones and
  // ask nothing but the system default and the time-zone block.
  for (auto& l : info.locales) l.second[kLocaleSDecimal] = "#";
  int queries = info.queries;
  int checks = info.validityChecks;
  TimeZoneSettings block;
  block.timeZoneFlag = 1;
  block.zoneSeconds = 3600;
  setTimeZoneBlock(block);

  Locale bySystemDefault;
  expectSampleValues(bySystemDefault, 0x1111, "one");
  Locale byGivenSystemId(0x1111);
  expectSampleValues(byGivenSystemId, 0x1111, "one");
  Locale byConfiguredId(0x3333);
  expectSampleValues(byConfiguredId, 0x3333, "three");
  EXPECT_EQ(queries, info.queries);
  EXPECT_EQ(checks, info.validityChecks);
  // The time-zone block is the process's at the load, not the copied one's.
  TimeZoneSettings z;
  EXPECT_EQ(kLocaleOk, byConfiguredId.timeZoneSettings(&z));
  EXPECT_EQ(1, z.timeZoneFlag);
  EXPECT_EQ(3600, z.zoneSeconds);

  // Any other identifier is read anew.
  Locale other(0x2222);
  NumberSettings n;
  EXPECT_EQ(kLocaleOk, other.numberSettings(&n));
  EXPECT_STREQ("#", n.decimalSeparator);
}

TEST_F(LocaleTest, AnUnloadedSystemLocaleIsNotCopied) {
  useTable();
  Locale* system = new Locale;
  setSystemLocale(system, 0x1111);
  system->release();
  info.locales[0x1111][kLocaleSDecimal] = "#";
  Locale locale(0x1111);
  NumberSettings n;
  EXPECT_EQ(kLocaleOk, locale.numberSettings(&n));
  EXPECT_STREQ("#", n.decimalSeparator);
  EXPECT_FALSE(system->isLoaded());
}

TEST_F(LocaleTest, FailedLoadsLeaveTheCValues) {
  useTable();
  DateSettings d;

  Locale notInstalled(0x7777);
  EXPECT_EQ(kLocaleNotInstalled, notInstalled.dateSettings(&d));
  expectCValues(notInstalled);
  Locale negative(-5);
  EXPECT_EQ(kLocaleNotInstalled, negative.dateSettings(&d));

  // Each of these spoils one otherwise good locale.
  const struct {
    uint32_t item;
    const char* value;  // null: the item is missing
  } spoilers[] = {
      {kLocaleSShortDate, "MM/dd"},
      {kLocaleSShortDate, "MM/dd/yy/"},
      {kLocaleSShortDate, nullptr},
      {kLocaleITime, "yes"},
      {kLocaleICurrDigits, ""},
      {kLocaleINegCurr, "99999"},
      {kLocaleSDecimal, nullptr},
      {kLocaleILZero, nullptr},
      {kLocaleSShortDate, "dd.MM.yyyy dddd"},      // a second day group
      {kLocaleSShortDate, "dd.MM.yyyy HH:mm:ss"},  // cut to 17 bytes, then unusable
  };
  for (const auto& s : spoilers) {
    info.locales[0x2222] = FakeLocaleInfo::sample("two");
    if (s.value == nullptr) {
      info.locales[0x2222].erase(s.item);
    } else {
      info.locales[0x2222][s.item] = s.value;
    }
    Locale locale(0x2222);
    EXPECT_EQ(kLocaleNotInstalled, locale.dateSettings(&d)) << s.item;
    expectCValues(locale);
  }
}

TEST_F(LocaleTest, AFailedLoadIsTriedAgainWithTheGivenIdentifier) {
  Locale locale(0x2222);
  DateSettings d;
  EXPECT_EQ(kLocaleNoTable, locale.dateSettings(&d));
  EXPECT_EQ(kLocaleIdC, locale.idField());
  useTable();
  expectSampleValues(locale, 0x2222, "two");
}

TEST_F(LocaleTest, OutOfMemoryForTheNameAnswers7WithTheCValues) {
  useTable();
  Locale locale(0x2222);
  {
    AllocationFailureScope scope;
    AllocationControl::failAfter(0);
    DateSettings d;
    EXPECT_EQ(kLocaleOutOfMemory, locale.dateSettings(&d));
    EXPECT_EQ(1u, AllocationControl::failures());
    // Every getter tries the load again, and fails again.
    expectCValues(locale);
  }
  // Memory is back: the next getter loads.
  expectSampleValues(locale, 0x2222, "two");
}

TEST_F(LocaleTest, LongValuesAreCutToTheirFields) {
  useTable();
  FakeLocaleInfo::Items& items = info.locales[0x2222];
  items[kLocaleSTime] = "::::::::";
  items[kLocaleS1159] = "morning-time";
  items[kLocaleS2359] = "evening-time";
  items[kLocaleSCurrency] = "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";  // four euro signs
  items[kLocaleSPositiveSign] = "plus!";
  items[kLocaleSNegativeSign] = std::string(300, '-');  // longer than the query's own buffer
  items[kLocaleSThousand] = "a\xE2\x82\xAC";            // "a" and a euro sign: 4 bytes, fits
  items[kLocaleSDecimal] = "ab\xE2\x82\xAC";            // 5 bytes: the euro sign would be split
  items[kLocaleSName] = std::string(200, 'n');

  Locale locale(0x2222);
  TimeSettings t;
  ASSERT_EQ(kLocaleOk, locale.timeSettings(&t));
  EXPECT_STREQ(":::::", t.timeSeparator);
  EXPECT_EQ(5, t.timeSeparatorLength);
  EXPECT_STREQ("morning", t.amText);
  EXPECT_EQ(7, t.amTextLength);
  EXPECT_STREQ("evening", t.pmText);

  CurrencySettings c;
  ASSERT_EQ(kLocaleOk, locale.currencySettings(&c));
  EXPECT_STREQ("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", c.currencySymbol);
  EXPECT_EQ(9, c.currencySymbolLength);
  EXPECT_STREQ("plus", c.positiveSign);
  EXPECT_EQ(4, c.positiveSignLength);
  EXPECT_STREQ("----", c.negativeSign);
  EXPECT_STREQ("a\xE2\x82\xAC", c.number.thousandSeparator);
  EXPECT_EQ(4, c.number.thousandSeparatorLength);
  EXPECT_STREQ("ab", c.number.decimalSeparator);
  EXPECT_EQ(2, c.number.decimalSeparatorLength);

  // The name is owned text of any length; a short buffer gets a cut copy.
  char name[256];
  ASSERT_EQ(kLocaleOk, locale.localeName(name, sizeof name));
  EXPECT_EQ(std::string(200, 'n'), name);
  char shortName[4];
  ASSERT_EQ(kLocaleOk, locale.localeName(shortName, sizeof shortName));
  EXPECT_STREQ("nnn", shortName);
  char one[1] = {'x'};
  ASSERT_EQ(kLocaleOk, locale.localeName(one, 1));
  EXPECT_EQ('\0', one[0]);
}

TEST_F(LocaleTest, CopiesHaveTheirOwnNameAndSerial) {
  useTable();
  Locale* original = new Locale(0x2222);
  int32_t id;
  ASSERT_EQ(kLocaleOk, original->localeId(&id));
  Locale* copy = static_cast<Locale*>(original->shallowCopy());
  EXPECT_NE(original->serial(), copy->serial());
  EXPECT_TRUE(copy->isEqual(*original));
  EXPECT_EQ(0, copy->compare(*original));
  original->release();
  int queries = info.queries;
  expectSampleValues(*copy, 0x2222, "two");
  EXPECT_EQ(queries, info.queries);
  std::ostringstream out;
  copy->printOn(out);
  EXPECT_EQ("two (8738)", out.str());
  copy->release();
}

TEST_F(LocaleTest, ProcessPointersHoldAReferenceAndForgetDestroyedLocales) {
  EXPECT_EQ(nullptr, currentLocale());
  Locale* a = new Locale;
  setCurrentLocale(a);
  EXPECT_EQ(a, currentLocale());
  EXPECT_EQ(2, a->refCount());
  a->release();
  EXPECT_EQ(1, a->refCount());
  setCurrentLocale(nullptr);  // releases the last reference
  EXPECT_EQ(nullptr, currentLocale());

  {
    Locale automatic;
    setCurrentLocale(&automatic);
    setSystemLocale(&automatic, 1);
    setConfiguredLocale(&automatic, 2);
    EXPECT_EQ(&automatic, systemLocale());
    EXPECT_EQ(1, systemLocaleId());
    EXPECT_EQ(&automatic, configuredLocale());
    EXPECT_EQ(2, configuredLocaleId());
  }
  EXPECT_EQ(nullptr, currentLocale());
  EXPECT_EQ(nullptr, systemLocale());
  EXPECT_EQ(nullptr, configuredLocale());
}

TEST_F(LocaleTest, ConfiguredNameIsCut) {
  std::string longName(200, 'x');
  setConfiguredLocaleName(longName.c_str(), 42);
  EXPECT_EQ(std::string(kConfiguredNameMax, 'x'), configuredLocaleName());
  EXPECT_EQ(42, configuredLocaleNameId());
  setConfiguredLocaleName(nullptr, 7);
  EXPECT_STREQ("", configuredLocaleName());
}

// ---------------------------------------------------------------------------
// The time-zone block

// Sets TZ for one test and puts the previous value back.
class TzScope {
 public:
  explicit TzScope(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TzScope() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

TEST_F(LocaleTest, TheTimeZoneBlockBeforeInitialisation) {
  const TimeZoneSettings& b = timeZoneBlock();
  EXPECT_EQ(-1, b.timeZoneFlag);
  EXPECT_EQ(0, b.zoneSeconds);
  EXPECT_STREQ("GMT", b.gmtName);
  EXPECT_EQ(3, b.gmtNameLength);
}

TEST_F(LocaleTest, TheTimeZoneBlockComesFromTheRuntime) {
  setTimeZoneFlag(1);
  {
    TzScope tz("XYZ-5:30");
    fillTimeZoneBlock();
  }
  TimeZoneSettings b = timeZoneBlock();
  EXPECT_EQ(1, b.timeZoneFlag);  // kept
  EXPECT_EQ(-19800, b.zoneSeconds);
  EXPECT_EQ(-5, b.zoneHours);
  EXPECT_EQ(-30, b.zoneMinutes);
  EXPECT_EQ(0, b.daylight);
  EXPECT_STREQ("GMT", b.gmtName);
  EXPECT_STREQ("XYZ", b.zoneName);
  EXPECT_EQ(3, b.zoneNameLength);

  // Daylight saving time all year: its name, the standard offset.
  {
    TzScope tz("EST5EDT,0/0,J365/25");
    fillTimeZoneBlock();
  }
  b = timeZoneBlock();
  EXPECT_EQ(18000, b.zoneSeconds);
  EXPECT_EQ(5, b.zoneHours);
  EXPECT_EQ(0, b.zoneMinutes);
  EXPECT_EQ(1, b.daylight);
  EXPECT_STREQ("EDT", b.zoneName);

  {
    TzScope tz("<ABCDEFGHIJ>+3");
    fillTimeZoneBlock();
  }
  b = timeZoneBlock();
  EXPECT_STREQ("ABCDEFG", b.zoneName);
  EXPECT_EQ(7, b.zoneNameLength);
}

TEST_F(LocaleTest, ALoadCopiesTheProcessTimeZoneBlock) {
  useTable();
  TimeZoneSettings block;
  block.timeZoneFlag = 0;
  block.zoneSeconds = -7200;
  block.zoneHours = -2;
  std::strcpy(block.zoneName, "EET");
  block.zoneNameLength = 3;
  setTimeZoneBlock(block);
  Locale locale(0x1111);
  TimeZoneSettings z;
  ASSERT_EQ(kLocaleOk, locale.timeZoneSettings(&z));
  EXPECT_EQ(0, z.timeZoneFlag);
  EXPECT_EQ(-7200, z.zoneSeconds);
  EXPECT_STREQ("EET", z.zoneName);

  // Loaded once: a later change of the process block is not seen.
  setTimeZoneFlag(1);
  ASSERT_EQ(kLocaleOk, locale.timeZoneSettings(&z));
  EXPECT_EQ(0, z.timeZoneFlag);
  DateTimeSettings dt;
  ASSERT_EQ(kLocaleOk, locale.dateTimeSettings(&dt));
  EXPECT_EQ(-7200, dt.timeZone.zoneSeconds);
}

// ---------------------------------------------------------------------------
// Real locales, compiled into LOCPATH by the test set-up

class RealLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, std::getenv("LOCPATH"))
        << "run through ctest: the set-up compiles the test locales into LOCPATH";
    resetLocaleState();
    setLocaleTable(&table);
  }
  void TearDown() override { resetLocaleState(); }

  MapLocaleTable table;
};

TEST_F(RealLocaleTest, German) {
  Locale locale(0x0407);
  int32_t id = 0;
  ASSERT_EQ(kLocaleOk, locale.localeId(&id));
  EXPECT_EQ(0x0407, id);
  char name[16];
  EXPECT_EQ(kLocaleOk, locale.localeName(name, sizeof name));
  EXPECT_STREQ("de-DE", name);

  DateSettings d;
  ASSERT_EQ(kLocaleOk, locale.dateSettings(&d));
  EXPECT_STREQ("dd.MM.yyyy", d.shortDateFormat);  // 31.12.1999
  EXPECT_STREQ(".", d.dateSeparator);
  EXPECT_EQ(kDateOrderDayMonthYear, d.dateOrder);
  EXPECT_EQ(1, d.dayLeadingZero);
  EXPECT_EQ(1, d.monthLeadingZero);
  EXPECT_EQ(1, d.fourDigitYear);

  TimeSettings t;
  ASSERT_EQ(kLocaleOk, locale.timeSettings(&t));
  EXPECT_EQ(1, t.clock24);  // 23:59:59
  EXPECT_STREQ(":", t.timeSeparator);
  EXPECT_EQ(1, t.timeLeadingZero);
  EXPECT_STREQ("", t.amText);  // no texts for a 24-hour clock
  EXPECT_STREQ("", t.pmText);

  CurrencySettings c;
  ASSERT_EQ(kLocaleOk, locale.currencySettings(&c));
  EXPECT_STREQ("\xE2\x82\xAC", c.currencySymbol);  // the euro sign
  EXPECT_EQ(3, c.currencyPosition);                // 1,50 €
  EXPECT_EQ(2, c.currencyDigits);
  EXPECT_EQ(8, c.negativeCurrency);  // -1,50 €
  EXPECT_STREQ("", c.positiveSign);
  EXPECT_STREQ("-", c.negativeSign);
  EXPECT_STREQ(".", c.number.thousandSeparator);  // 1.234,5
  EXPECT_STREQ(",", c.number.decimalSeparator);
  EXPECT_EQ(3, c.number.grouping);
  EXPECT_EQ(1, c.number.leadingZero);
}

TEST_F(RealLocaleTest, AmericanEnglish) {
  Locale locale(0x0409);
  DateSettings d;
  ASSERT_EQ(kLocaleOk, locale.dateSettings(&d));
  EXPECT_STREQ("MM/dd/yyyy", d.shortDateFormat);  // 12/31/1999
  EXPECT_STREQ("/", d.dateSeparator);
  EXPECT_EQ(kDateOrderMonthDayYear, d.dateOrder);
  EXPECT_EQ(1, d.fourDigitYear);

  TimeSettings t;
  ASSERT_EQ(kLocaleOk, locale.timeSettings(&t));
  EXPECT_EQ(0, t.clock24);  // 11:59:59 PM
  EXPECT_STREQ(":", t.timeSeparator);
  EXPECT_STREQ("AM", t.amText);
  EXPECT_STREQ("PM", t.pmText);

  CurrencySettings c;
  ASSERT_EQ(kLocaleOk, locale.currencySettings(&c));
  EXPECT_STREQ("$", c.currencySymbol);
  EXPECT_EQ(0, c.currencyPosition);  // $1.50
  EXPECT_EQ(2, c.currencyDigits);
  EXPECT_EQ(1, c.negativeCurrency);  // -$1.50
  EXPECT_STREQ(",", c.number.thousandSeparator);
  EXPECT_STREQ(".", c.number.decimalSeparator);
  char name[16];
  EXPECT_EQ(kLocaleOk, locale.localeName(name, sizeof name));
  EXPECT_STREQ("en-US", name);
}

TEST_F(RealLocaleTest, BritishEnglishAndSwedishDates) {
  Locale british(0x0809);
  DateSettings d;
  ASSERT_EQ(kLocaleOk, british.dateSettings(&d));
  EXPECT_STREQ("dd/MM/yy", d.shortDateFormat);
  EXPECT_EQ(kDateOrderDayMonthYear, d.dateOrder);
  EXPECT_EQ(0, d.fourDigitYear);
  TimeSettings t;
  ASSERT_EQ(kLocaleOk, british.timeSettings(&t));
  EXPECT_EQ(1, t.clock24);
  EXPECT_STREQ("am", t.amText);

  Locale swedish(0x041D);
  ASSERT_EQ(kLocaleOk, swedish.dateSettings(&d));
  EXPECT_STREQ("yyyy-MM-dd", d.shortDateFormat);
  EXPECT_STREQ("-", d.dateSeparator);
  EXPECT_EQ(kDateOrderYearMonthDay, d.dateOrder);
}

TEST_F(RealLocaleTest, UnusableAndMissingLocalesFallBackToC) {
  // Japanese dates name their fields (1999年12月31日): no single separator.
  Locale japanese(0x0411);
  DateSettings d;
  EXPECT_EQ(kLocaleNotInstalled, japanese.dateSettings(&d));
  expectCValues(japanese);
  // French is not compiled into LOCPATH.
  Locale french(0x040C);
  EXPECT_EQ(kLocaleNotInstalled, french.dateSettings(&d));
  expectCValues(french);
}

TEST_F(RealLocaleTest, EnvironmentAndGlobalLocaleDoNotCount) {
  // The system default comes from the environment...
  const char* old = std::getenv("LC_ALL");
  std::string saved = old != nullptr ? old : "";
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  // ...but the values never do, nor does the process's global locale.
  setenv("LC_NUMERIC", "en_US.UTF-8", 1);
  ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "en_US.UTF-8"));
  Locale locale;
  int32_t id = 0;
  NumberSettings n;
  int code = locale.localeId(&id);
  locale.numberSettings(&n);
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LC_NUMERIC");
  if (old != nullptr) {
    setenv("LC_ALL", saved.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  ASSERT_EQ(kLocaleOk, code);
  EXPECT_EQ(0x0407, id);
  EXPECT_STREQ(",", n.decimalSeparator);
  EXPECT_STREQ(".", n.thousandSeparator);
  EXPECT_STREQ("C", std::setlocale(LC_ALL, nullptr));
}

}  // namespace
}  // namespace dv
