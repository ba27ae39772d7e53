// Tests of FileTable: titles and typing, blank lines, CRLF files, quotes
// holding separators and line breaks, escapes, a byte-order mark, fields
// longer than the field buffer, and the files that cannot be read.
#include "table/FileTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

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
