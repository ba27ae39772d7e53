// Tests of character mapping files: the refusals row by row, the messages,
// and a whole single-byte code page against the C library's converter.
#include "stream/CharacterMap.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "object/Allocation.h"
#include "stream/TableStream.h"

namespace dv {
namespace {

struct Loaded {
  bool ok;
  uint8_t from[kCharacterMapSize];
  uint8_t to[kCharacterMapSize];
  std::string messages;
};

Loaded load(const std::string& text) {
  Loaded l;
  std::istringstream in(text);
  std::ostringstream err;
  l.ok = loadCharacterMap(in, "map.tbl", l.from, l.to, err);
  l.messages = err.str();
  return l;
}

bool identityExcept(const uint8_t* table, std::initializer_list<int> except) {
  for (int i = 0; i < kCharacterMapSize; ++i) {
    bool skip = false;
    for (int e : except) skip = skip || e == i;
    if (!skip && table[i] != i) return false;
  }
  return true;
}

TEST(CharacterMapTest, ValidRowsMapBothWaysAndEveryRefusalIsALine) {
  Loaded empty = load("");
  EXPECT_TRUE(empty.ok);
  EXPECT_TRUE(identityExcept(empty.from, {}) && identityExcept(empty.to, {}));

  Loaded l = load(
      "200=201\n"       // line 1: valid
      "A=202\n"         // 2: letters are reserved
      "200=203\n"       // 3: 200 is mapped already
      "204=201\n"       // 4: 201 is mapped already
      "\" \"=\"\t\"\n"  // 5: two blank texts: skipped silently
      "\n"              // 6: an empty line: skipped silently
      "\"\"=\"#\"\n"    // 7: a blank first cell with a character: refused
      "\"ab\"=205\n"    // 8: two characters give 0
      "\"#\"=\"$\"\n"   // 9: valid, as texts
      "206=\"(\"\n"     // 10: "(" is reserved
      "462=207\n");     // 11: the low byte of 462 is 206: valid
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(200, l.from[201]);
  EXPECT_EQ(201, l.to[200]);
  EXPECT_EQ('#', l.from['$']);
  EXPECT_EQ('$', l.to['#']);
  EXPECT_EQ(206, l.from[207]);
  EXPECT_EQ(207, l.to[206]);
  EXPECT_TRUE(identityExcept(l.from, {201, '$', 207}));
  EXPECT_TRUE(identityExcept(l.to, {200, '#', 206}));
  std::string expected;
  for (int line : {2, 3, 4, 7, 8, 10}) {
    expected +=
        "Invalid entry in character mapping file map.tbl line " + std::to_string(line) + ".\n";
  }
  EXPECT_EQ(expected, l.messages);
}

TEST(CharacterMapTest, UnparsableAndMissingFilesAnswerFalseAndLeaveTheTables) {
  uint8_t from[kCharacterMapSize] = {1};
  uint8_t to[kCharacterMapSize] = {2};
  std::istringstream in("200=\"unterminated\n");
  std::ostringstream err;
  EXPECT_FALSE(loadCharacterMap(in, "bad.tbl", from, to, err));
  EXPECT_EQ(0u, err.str().find("Character mapping file bad.tbl is invalid: ")) << err.str();
  EXPECT_EQ(1, from[0]);
  EXPECT_EQ(2, to[0]);

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(loadCharacterMap(String("nosuch.tbl"), "/nonexistent", from, to));
  EXPECT_EQ("Character mapping file /nonexistent/nosuch.tbl not found or not accessible. errno=2\n",
            ::testing::internal::GetCapturedStderr());
}

// The host code page IBM037 against ISO-8859-1, byte by byte, as the C
// library converts it.
int hostCode(iconv_t cd, int latin1) {
  char in = static_cast<char>(latin1);
  char out = 0;
  char* ip = &in;
  char* op = &out;
  std::size_t il = 1;
  std::size_t ol = 1;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) return -1;
  return static_cast<unsigned char>(out);
}

TEST(CharacterMapTest, ACodePageFromTheCLibraryMapsEveryAllowedPairAndNothingElse) {
  iconv_t cd = iconv_open("IBM037", "ISO-8859-1");
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no IBM037 converter";
  int host[kCharacterMapSize];
  std::string file;
  for (int c = 0; c < kCharacterMapSize; ++c) {
    host[c] = hostCode(cd, c);
    if (host[c] < 0 || isReservedCharacter(c) || isReservedCharacter(host[c])) continue;
    file += std::to_string(c) + "=" + std::to_string(host[c]) + "\n";
  }
  iconv_close(cd);
  char dir[] = "/tmp/dv-charmap.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dir));
  std::ofstream(std::string(dir) + "/ibm037.tbl") << file;
  uint8_t from[kCharacterMapSize];
  uint8_t to[kCharacterMapSize];
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(loadCharacterMap(String("ibm037.tbl"), dir, from, to));
  EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
  int mapped = 0;
  for (int c = 0; c < kCharacterMapSize; ++c) {
    bool allowed = host[c] >= 0 && !isReservedCharacter(c) && !isReservedCharacter(host[c]);
    EXPECT_EQ(allowed ? host[c] : c, to[c]) << c;
    if (allowed) {
      EXPECT_EQ(c, from[host[c]]) << c;
      ++mapped;
    }
  }
  EXPECT_GT(mapped, 100);

  // A name the host sends in its code page arrives in this side's: the
  // host bytes of every mapped character, through the value stream with
  // fromTable as its translation, read back as the characters iconv gives.
  std::string name;
  std::string hostName;
  for (int c = 0xA0; c < kCharacterMapSize; ++c) {
    if (host[c] < 0 || isReservedCharacter(c) || isReservedCharacter(host[c])) continue;
    name += static_cast<char>(c);
    hostName += static_cast<char>(host[c]);
  }
  TableStream writer(nullptr, 0);
  ASSERT_TRUE(writer.writeString(hostName.c_str(), static_cast<uint32_t>(hostName.size())));
  ASSERT_TRUE(writer.flush());
  TableStream reader(writer.written(), writer.writtenSize(), from);
  char* arrived = nullptr;
  uint32_t length = 0;
  ASSERT_TRUE(reader.readName(arrived, &length));
  EXPECT_EQ(name, std::string(arrived, length));
  deallocate(arrived);
  std::system((std::string("rm -rf ") + dir).c_str());
}

}  // namespace
}  // namespace dv
