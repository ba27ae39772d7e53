// Tests of the hexadecimal dump's layout.
#include "object/HexDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

namespace dv {
namespace {

TEST(HexDumpTest, TwentyBytesGiveTheTitleAndTwoLines) {
  const unsigned char bytes[20] = {0x41, 0x0A, 0x85, 0xE9, 0x20, 0x7E, 0x7F, 0x00, 0x9F, 0xA0,
                                   0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x61, 0x62, 0xFF, 0x10};
  std::ostringstream out;
  hexDump("sample", bytes, sizeof bytes, out);
  char title[128];
  std::snprintf(title, sizeof title, "\nsample  (buffer at %lx, length = 20)\n",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(bytes)));
  std::string line1 =
      " 41  a 85 e9 20 7e 7f  0 9f a0 30 31 32 33 34 35        A__\xE9 ~___\xA0"
      "012345\n";
  std::string line2 =
      " 61 62 ff 10" + std::string(44, ' ') + "ab\xFF_" + std::string(12, ' ') + "\n";
  EXPECT_EQ(72u, line1.size() - 1);
  EXPECT_EQ(std::string(title) + line1 + line2, out.str());
}

TEST(HexDumpTest, FileVariantWritesTheSameAndEmptyBufferOnlyTheTitle) {
  const char data[3] = {'x', 'y', 'z'};
  std::ostringstream stream;
  hexDump("t", data, 3, stream);
  std::FILE* f = std::tmpfile();
  ASSERT_NE(nullptr, f);
  hexDump("t", data, 3, f);
  std::rewind(f);
  std::string fromFile;
  char buf[256];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) fromFile.append(buf, n);
  std::fclose(f);
  EXPECT_EQ(stream.str(), fromFile);

  std::ostringstream empty;
  hexDump("none", data, 0, empty);
  std::string text = empty.str();
  EXPECT_EQ(0u, text.find("\nnone  (buffer at "));
  EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n') - 1) << text;  // the title alone
}

}  // namespace
}  // namespace dv
