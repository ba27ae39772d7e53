// Tests of FileTable: titles and typing, blank lines, CRLF files, quotes
// holding separators and line breaks, escapes, a byte-order mark, fields
// longer than the field buffer, and the files that cannot be read.
#include "table/FileTable.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/Table.h"

namespace dv {
namespace {

struct Read {
  Table* table = nullptr;
  Read() = default;
  Read(const Read&) = delete;
  Read& operator=(const Read&) = delete;
  ~Read() {
    if (table != nullptr) table->release();
  }
  std::string cell(int32_t r, int32_t c) const {
    const Datum* d = table->cell(r, c);
    if (d == nilDatum()) return ".";
    char* s = d->newString();
    std::string out = std::string(d->className()) + ":" + (s != nullptr ? s : "");
    deallocate(s);
    return out;
  }
};

void read(Read& r, const std::string& text, int32_t options = 0, const char* format = nullptr) {
  std::istringstream in(text);
  Number o(options);
  Text f(format != nullptr ? format : "");
  ASSERT_TRUE(FileTable::readStream(in, format != nullptr ? &f : nullptr, &o, &r.table));
  ASSERT_NE(nullptr, r.table);
}

TEST(FileTableTest, TitleLineAndTypedFields) {
  Read r;
  read(r, "name,age\nAnn,42\n");
  ASSERT_EQ(1, r.table->rows());
  ASSERT_EQ(2, r.table->cols());
  EXPECT_STREQ("name", r.table->columnName(0));
  EXPECT_STREQ("age", r.table->columnName(1));
  EXPECT_EQ("Text:Ann", r.cell(0, 0));
  EXPECT_EQ("Number:42", r.cell(0, 1));
  Read typed;
  read(typed, "010,0x10,\"010\",1.5,2024-01-02,abc,  padded  ,", kFileNoTitleLine);
  ASSERT_EQ(1, typed.table->rows());
  EXPECT_EQ(8, typed.table->cols());
  EXPECT_EQ("Number:8", typed.cell(0, 0));
  EXPECT_EQ("Number:16", typed.cell(0, 1));
  EXPECT_EQ("Text:010", typed.cell(0, 2));
  EXPECT_EQ("Number:1.5", typed.cell(0, 3));
  EXPECT_STREQ("DateTime", typed.table->cell(0, 4)->className());
  EXPECT_EQ("Text:abc", typed.cell(0, 5));
  EXPECT_EQ("Text:padded", typed.cell(0, 6));
  EXPECT_EQ(".", typed.cell(0, 7));
}

// Unquoted fields become numbers exactly when strtol (base 0, fitting 32
// bits) or strtod takes the whole text, with their values: random texts over
// the characters of number texts, dates and words, checked against the C
// library itself.
TEST(FileTableTest, NumberFieldsAreWhatTheCLibraryReads) {
  std::mt19937 random(20261209);
  const char alphabet[] = "0123456789000111+-.eExXpPaAfFinINtyTY:/_";
  std::vector<std::string> fields;
  for (int i = 0; i < 20000; ++i) {
    std::string f;
    int length = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) f += alphabet[random() % (sizeof alphabet - 1)];
    fields.push_back(f);
  }
  for (const char* f :
       {"2147483647", "-2147483648", "2147483648", "+7",   "-0",          "0",          "007",
        "08",         "1e999",       "1e-400",     "-.5",  "5.",          "1e+5",       "0x1p3",
        "inf",        "nan",         "Infinity",   "1.5e", "12345678901", "0000000001", "+.5e-3"}) {
    fields.push_back(f);
  }
  std::string text;
  for (const std::string& f : fields) text += f + "\n";
  Read r;
  read(r, text, kFileNoTitleLine);
  ASSERT_EQ(static_cast<int32_t>(fields.size()), r.table->rows());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const char* s = fields[i].c_str();
    char* end = nullptr;
    errno = 0;
    long l = std::strtol(s, &end, 0);
    bool isLong = *end == '\0' && errno == 0 && l >= INT32_MIN && l <= INT32_MAX;
    double v = std::strtod(s, &end);
    bool isDouble = !isLong && *end == '\0';
    const Datum* d = r.table->cell(static_cast<int32_t>(i), 0);
    SCOPED_TRACE(fields[i]);
    ASSERT_EQ(isLong || isDouble, std::strcmp(d->className(), "Number") == 0) << d->className();
    if (!isLong && !isDouble) continue;
    const Number& n = static_cast<const Number&>(*d);
    if (isLong) {
      EXPECT_EQ(kTypeLong, n.type());
      EXPECT_EQ(l, n.asLong());
    } else {
      EXPECT_EQ(kTypeDouble, n.type());
      double got = n.asDouble();
      if (std::isnan(v)) {
        EXPECT_TRUE(std::isnan(got));
      } else {
        EXPECT_EQ(0, std::memcmp(&v, &got, sizeof v));
      }
    }
  }
}

TEST(FileTableTest, BlankLinesSkippedOrKept) {
  Read skipped;
  read(skipped, "1\n\n2\n\n", kFileNoTitleLine | kFileSkipBlankLines);
  EXPECT_EQ(2, skipped.table->rows());
  Read kept;
  read(kept, "1\n\n2\n", kFileNoTitleLine);
  ASSERT_EQ(3, kept.table->rows());
  EXPECT_EQ(".", kept.cell(1, 0));
}

TEST(FileTableTest, CrLfQuotesBomAndMissingFinalNewline) {
  Read r;
  read(r,
       "\xEF\xBB\xBF"
       "id,text\r\n1,\"a,b\r\nc\"\r\n2,\"say \\\"hi\\\"\"\r\n3,\r\n4,\"\"",
       0);
  ASSERT_EQ(4, r.table->rows());
  ASSERT_EQ(2, r.table->cols());
  EXPECT_STREQ("id", r.table->columnName(0));
  EXPECT_STREQ("text", r.table->columnName(1));
  EXPECT_EQ("Text:a,b\r\nc", r.cell(0, 1));
  EXPECT_EQ("Text:say \"hi\"", r.cell(1, 1));
  EXPECT_EQ(".", r.cell(2, 1));
  EXPECT_EQ("Number:4", r.cell(3, 0));
  EXPECT_EQ("Text:", r.cell(3, 1));
}

TEST(FileTableTest, EscapesAndOtherFormatCharacters) {
  Read r;
  read(r, "\\t\\x41\\101\\xg|'q;r'|\\q;x\\|y", kFileNoTitleLine, "|;'\\");
  ASSERT_EQ(2, r.table->rows());
  EXPECT_EQ("Text:\tAAxg", r.cell(0, 0));
  EXPECT_EQ("Text:q;r", r.cell(0, 1));
  EXPECT_EQ("Text:q", r.cell(0, 2));
  EXPECT_EQ("Text:x|y", r.cell(1, 0));
}

// A field longer than the field buffer is kept whole, never written past
// the buffer.
TEST(FileTableTest, LongFieldsAreKeptWhole) {
  std::string longText(3 * FileTable::kFieldBufferSize + 17, 'z');
  Read r;
  read(r, "\"" + longText + "\"," + longText + "\n", kFileNoTitleLine);
  ASSERT_EQ(2, r.table->cols());
  const Text* quoted = castdown<Text>(r.table->cell(0, 0));
  ASSERT_NE(nullptr, quoted);
  EXPECT_EQ(static_cast<int32_t>(longText.size()), quoted->length());
  const Text* bare = castdown<Text>(r.table->cell(0, 1));
  ASSERT_NE(nullptr, bare);
  EXPECT_EQ(longText, bare->chars());
}

TEST(FileTableTest, FilesThatCannotBeRead) {
  FileTable reader;
  EXPECT_STREQ("FileTable", reader.name());
  Table* t = nullptr;
  EXPECT_FALSE(FileTable::read(static_cast<const char*>(nullptr), nullptr, nullptr, &t));
  EXPECT_TRUE(FileTable::read("/nonexistent/dir/file.csv", nullptr, nullptr, nullptr));
  ASSERT_TRUE(FileTable::read("/nonexistent/dir/file.csv", nullptr, nullptr, &t));
  ASSERT_NE(nullptr, t);
  EXPECT_STREQ("Unable to open file: /nonexistent/dir/file.csv", t->messageText());
  EXPECT_EQ(4, t->severity());
  EXPECT_EQ(0, t->rows());
  t->release();
  char path[] = "/tmp/dv_filetable_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::FILE* f = fdopen(fd, "w");
  std::fputs("a,b\n1,2\n", f);
  std::fclose(f);
  ASSERT_TRUE(FileTable::read(Text(path), nullptr, nullptr, &t));
  EXPECT_EQ(1, t->rows());
  EXPECT_EQ(2, t->cell(0, 1)->asLong());
  t->release();
  std::remove(path);
}

#if defined(__SANITIZE_ADDRESS__)
#define DV_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DV_TEST_SANITIZED 1
#endif
#endif

// The process's peak resident memory so far, in bytes.
long peakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

// Writes count copies of line to a new temporary file; returns its path.
std::string writeRepeated(const std::string& line, int count, const std::string& tail = "") {
  char path[] = "/tmp/dv_filetable_big_XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return "";
  std::FILE* f = fdopen(fd, "w");
  for (int i = 0; i < count; ++i) std::fwrite(line.data(), 1, line.size(), f);
  std::fputs(tail.c_str(), f);
  std::fclose(f);
  return path;
}

// A 100 MB file is read in blocks, so the memory a read takes is that of the
// table it makes: next to nothing when the file's bytes are skipped blank
// lines, about the size of the texts when they become cells, never a copy of
// the file on top.
TEST(FileTableTest, AHundredMegabyteFileTakesTheMemoryOfItsTable) {
#ifdef DV_TEST_SANITIZED
  GTEST_SKIP() << "the sanitizers' own memory hides what the reader takes";
#else
  constexpr long kMB = 1L << 20;
  constexpr int kRows = 100 * 1024;
  // 100 MB of blank lines around one row, read skipping blank lines.
  Number skip(kFileSkipBlankLines | kFileNoTitleLine);
  std::string blanks = writeRepeated(std::string(1024, '\n'), 100 * 1024, "7,8\n");
  ASSERT_NE("", blanks);
  long before = peakResidentBytes();
  Table* t = nullptr;
  ASSERT_TRUE(FileTable::read(Text(blanks.c_str()), nullptr, &skip, &t));
  std::remove(blanks.c_str());
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(0, t->severity()) << t->messageText();
  EXPECT_EQ(1, t->rows());
  EXPECT_EQ(8, t->cell(0, 1)->asLong());
  long skipped = peakResidentBytes() - before;
  t->release();
  EXPECT_LT(skipped, 8 * kMB);

  // 100 MB of rows whose texts become cells.
  std::string text(1000, 'x');
  std::string rows = writeRepeated("1," + text + "\n", kRows);
  ASSERT_NE("", rows);
  before = peakResidentBytes();
  t = nullptr;
  ASSERT_TRUE(FileTable::read(Text(rows.c_str()), nullptr, &skip, &t));
  std::remove(rows.c_str());
  ASSERT_NE(nullptr, t);
  ASSERT_EQ(kRows, t->rows());
  ASSERT_EQ(2, t->cols());
  const Text* last = castdown<Text>(t->cell(kRows - 1, 1));
  ASSERT_NE(nullptr, last);
  EXPECT_EQ(text, last->chars());
  long cells = peakResidentBytes() - before;
  t->release();
  long textBytes = static_cast<long>(kRows) * static_cast<long>(text.size() + 1);
  EXPECT_LT(cells, textBytes + textBytes / 4 + 16 * kMB) << "text bytes " << textBytes;
  std::printf("peak growth: %ld bytes with the blank lines skipped, %ld for %ld text bytes\n",
              skipped, cells, textBytes);
#endif
}

TEST(FileTableTest, OutOfMemoryAtEveryAllocation) {
  AllocationFailureScope scope;
  for (uint64_t n = 1;; ++n) {
    AllocationControl::reset();
    AllocationControl::failNth(n);
    Read r;
    std::istringstream in("a,b\nx,1\n\"y\",2.5\n");
    FileTable::readStream(in, nullptr, nullptr, &r.table);
    bool failed = AllocationControl::failures() > 0;
    AllocationControl::reset();
    if (!failed) {
      ASSERT_NE(nullptr, r.table);
      EXPECT_EQ(2, r.table->rows());
      break;
    }
    if (r.table != nullptr && r.table->status() == outOfMemoryStatus()) {
      EXPECT_EQ(0, r.table->rows());
    }
  }
}

}  // namespace
}  // namespace dv
