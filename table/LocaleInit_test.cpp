// Tests of initLocale and lookupLocaleName over files made in a scratch
// directory, with operating-system answers made up, and of the profile
// reader they use.
#include "table/LocaleInit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "datum/Locale.h"
#include "platform/LocaleInfo.h"
#include "platform/Profile.h"

namespace dv {
namespace {

using namespace platform;

// Locales by identifier, each answering its name and the same settings.
class NamedLocales : public LocaleInfoSource {
 public:
  bool isValidLocale(uint32_t lcid) const override { return names.count(lcid) != 0; }
  uint32_t systemDefaultLcid() const override { return systemDefault; }
  int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) const override {
    auto l = names.find(lcid);
    if (l == names.end()) return 0;
    item &= ~kLocaleNoUserOverride;
    const std::map<uint32_t, std::string> settings = {
        {kLocaleITime, "1"},     {kLocaleSTime, ":"},        {kLocaleS1159, "AM"},
        {kLocaleS2359, "PM"},    {kLocaleITLZero, "1"},      {kLocaleSShortDate, "dd.MM.yyyy"},
        {kLocaleSCurrency, "$"}, {kLocaleICurrency, "0"},    {kLocaleICurrDigits, "2"},
        {kLocaleINegCurr, "0"},  {kLocaleSPositiveSign, ""}, {kLocaleSNegativeSign, "-"},
        {kLocaleSThousand, ","}, {kLocaleSDecimal, "."},     {kLocaleILZero, "1"},
    };
    auto i = settings.find(item);
    if (item != kLocaleSName && i == settings.end()) return 0;
    const std::string& value = item == kLocaleSName ? l->second : i->second;
    int needed = static_cast<int>(value.size()) + 1;
    if (size == 0) return needed;
    if (buf == nullptr || size < needed) return 0;
    std::memcpy(buf, value.c_str(), static_cast<std::size_t>(needed));
    return needed;
  }
  std::map<uint32_t, std::string> names = {{1031, "de-DE"}, {1033, "en-US"}, {1041, "ja-JP"}};
  uint32_t systemDefault = 1033;
};

class LocaleInitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dv-localeinit.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir = pattern;
    resetLocaleState();
    setLocaleInfoSource(&source);
    write("localeob.tbl", "name,win\nde-DE,1031\nen-US,0x409\nja-JP,1041\nxx-XX,\"abc\"\n");
  }
  void TearDown() override {
    resetLocaleState();
    std::system(("rm -rf " + dir).c_str());
  }
  void write(const char* file, const std::string& text) {
    std::ofstream(dir + "/" + file, std::ios::binary) << text;
  }
  std::string configuredName() {
    char name[64] = {};
    EXPECT_NE(nullptr, configuredLocale());
    if (configuredLocale() != nullptr) configuredLocale()->localeName(name, sizeof name);
    return name;
  }

  NamedLocales source;
  std::string dir;
};

TEST_F(LocaleInitTest, ProfileChoosesZoneFlagAndLocaleWithEitherSeparator) {
  write("dvodbc.ini",
        "; made by hand\r\n[Other]\r\nLOCALE=en-US\r\n  [ international ]  \r\n"
        "timezone = 1\r\n locale =  \"ja-JP\"  \r\n");
  for (const std::string& d : {dir, dir + "/", dir + "\\"}) {
    EXPECT_EQ(kLocaleOk, initLocale(d.c_str())) << d;
    EXPECT_EQ(1, timeZoneBlock().timeZoneFlag) << d;
    EXPECT_STREQ("ja-JP", configuredLocaleName()) << d;
    EXPECT_EQ(1041, configuredLocaleNameId()) << d;
    EXPECT_EQ("ja-JP", configuredName()) << d;
    ASSERT_NE(nullptr, systemLocale());
    EXPECT_EQ(1033, systemLocaleId());
    ASSERT_NE(nullptr, currentLocale());
    EXPECT_NE(currentLocale(), configuredLocale());
  }
}

TEST_F(LocaleInitTest, MissingKeysAreDefaultsAndBadValuesAreCodesThatDoNotStopIt) {
  // No profile at all: flag 0, the system default configured, no code.
  EXPECT_EQ(kLocaleOk, initLocale(dir.c_str()));
  EXPECT_EQ(0, timeZoneBlock().timeZoneFlag);
  EXPECT_STREQ("", configuredLocaleName());
  EXPECT_EQ("en-US", configuredName());

  write("dvodbc.ini", "[International]\nTIMEZONE=5\nLOCALE=de-DE\n");
  EXPECT_EQ(kLocaleBadTimeZone, initLocale(dir.c_str()));
  EXPECT_EQ(0, timeZoneBlock().timeZoneFlag);
  EXPECT_EQ("de-DE", configuredName());  // it went on

  write("dvodbc.ini", "[International]\nTIMEZONE=-1\nLOCALE=fr-FR\n");
  EXPECT_EQ(kLocaleNameNotInTable, initLocale(dir.c_str()));
  EXPECT_EQ(0, timeZoneBlock().timeZoneFlag);
  EXPECT_EQ("en-US", configuredName());

  write("dvodbc.ini", "[International]\nLOCALE=xx-XX\n");
  EXPECT_EQ(kLocaleCellNotNumber, initLocale(dir.c_str()));

  // A locale of the table that the system does not have fails its load.
  source.names.erase(1031);
  write("dvodbc.ini", "[International]\nLOCALE=de-DE\n");
  EXPECT_EQ(kLocaleNotInstalled, initLocale(dir.c_str()));
  EXPECT_EQ(nullptr, configuredLocale());
  EXPECT_NE(nullptr, systemLocale());
}

TEST_F(LocaleInitTest, AnUnreadableOrEmptyTableIsCode11AndLookupsSayWhy) {
  EXPECT_EQ(kLocaleTableUnreadable, initLocale((dir + "/nosuch").c_str()));
  EXPECT_EQ(nullptr, localeTable());
  int32_t id = 0;
  EXPECT_EQ(kLocaleNoTable, lookupLocaleName("de-DE", &id));
  write("localeob.tbl", "name,win\n");
  EXPECT_EQ(kLocaleTableUnreadable, initLocale(dir.c_str()));

  write("localeob.tbl", "name,win\nde-DE,1031\n");
  EXPECT_EQ(kLocaleOk, initLocale(dir.c_str()));
  EXPECT_EQ(kLocaleOk, lookupLocaleName("de-DE", &id));
  EXPECT_EQ(1031, id);
  EXPECT_EQ(kLocaleEmptyName, lookupLocaleName("", &id));
  EXPECT_EQ(kLocaleNameNotInTable, lookupLocaleName("de-de", &id));
  EXPECT_EQ(kLocaleNullDestination, lookupLocaleName(nullptr, &id));
  EXPECT_EQ(kLocaleNullDestination, lookupLocaleName("de-DE", nullptr));
}

TEST(ProfileTest, ValuesIntegersAndTheCopyLimit) {
  const std::string text =
      "[a]\nk=first\n[A]\nk=second\nother=x\n[b]\n;k=comment\nk\nk = 'quoted value' \n"
      "n= -42xyz\nbig=99999999999\nnone=abc\n";
  std::string value;
  ASSERT_TRUE(profileLookup(text.data(), text.size(), "A", "K", &value));
  EXPECT_EQ("first", value);
  ASSERT_TRUE(profileLookup(text.data(), text.size(), "a", "other", &value));
  EXPECT_EQ("x", value);
  ASSERT_TRUE(profileLookup(text.data(), text.size(), "b", "k", &value));
  EXPECT_EQ("quoted value", value);
  EXPECT_FALSE(profileLookup(text.data(), text.size(), "c", "k", &value));

  char path[] = "/tmp/dv-profile.XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(static_cast<ssize_t>(text.size()), ::write(fd, text.data(), text.size()));
  ::close(fd);
  EXPECT_EQ(-42, profileInt(path, "b", "n", 7));
  EXPECT_EQ(INT32_MAX, profileInt(path, "b", "big", 7));
  EXPECT_EQ(0, profileInt(path, "b", "none", 7));
  EXPECT_EQ(7, profileInt(path, "b", "missing", 7));
  EXPECT_EQ(7, profileInt("/nonexistent/profile.ini", "b", "n", 7));
  char buf[6];
  EXPECT_EQ(5, profileString(path, "b", "k", "dflt", buf, sizeof buf));
  EXPECT_STREQ("quote", buf);
  EXPECT_EQ(4, profileString(path, "b", "missing", "dflt", buf, sizeof buf));
  EXPECT_STREQ("dflt", buf);
  EXPECT_EQ(0, profileString(path, "b", "k", "dflt", buf, 0));
  ::unlink(path);
}

}  // namespace
}  // namespace dv
