// Tests of the interpreter's buffered console input and output.
#include "interp/Console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace interp {
namespace {

// A temporary file holding `content`, open for reading from its start.
class InputFile {
 public:
  explicit InputFile(const std::string& content) {
    char name[] = "/tmp/dvsql-console-XXXXXX";
    fd_ = mkstemp(name);
    EXPECT_GE(fd_, 0);
    unlink(name);
    EXPECT_EQ(static_cast<ssize_t>(content.size()), ::write(fd_, content.data(), content.size()));
    lseek(fd_, 0, SEEK_SET);
  }
  ~InputFile() { close(fd_); }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

std::string readAll(int fd) {
  std::string s;
  char buf[4096];
  lseek(fd, 0, SEEK_SET);
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
  return s;
}

struct Line {
  bool ok;
  std::string text;
  char last;
};

Line readOne(InputReader& in, std::size_t capacity) {
  std::vector<char> buf(capacity, 'X');
  char last = 0;
  std::size_t length = 0;
  bool ok = in.readLine(buf.data(), capacity, &last, &length);
  Line line{ok, ok ? std::string(buf.data()) : std::string(), last};
  if (ok) {
    EXPECT_EQ(line.text.size(), length);
  }
  return line;
}

TEST(ReadLineTest, CompleteLinesAndEndOfInputWithoutNewline) {
  InputFile f("select 1\n\nq\npartial");
  InputReader in(f.fd(), nullptr);
  Line a = readOne(in, 100);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ("select 1", a.text);
  EXPECT_EQ('\n', a.last);
  EXPECT_EQ("", readOne(in, 100).text);
  EXPECT_EQ("q", readOne(in, 100).text);
  // A last line without a newline is dropped.
  EXPECT_FALSE(readOne(in, 100).ok);
  EXPECT_FALSE(readOne(in, 100).ok);
}

TEST(ReadLineTest, StatementBufferBoundary) {
  const std::size_t capacity = 20480;
  std::string fits(capacity - 1, 'a');
  std::string overlong(capacity, 'b');
  overlong.back() = 'c';
  InputFile f(fits + "\n" + overlong + "\nnext\n");
  InputReader in(f.fd(), nullptr);

  Line a = readOne(in, capacity);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(fits, a.text);
  EXPECT_EQ('\n', a.last);

  // 20,480 characters: 20,479 are stored, the last one is read and ends the line.
  Line b = readOne(in, capacity);
  EXPECT_TRUE(b.ok);
  EXPECT_EQ(std::string(capacity - 1, 'b'), b.text);
  EXPECT_EQ('c', b.last);
  // The character that overflowed was consumed: the next read sees the newline.
  EXPECT_EQ("", readOne(in, capacity).text);
  EXPECT_EQ("next", readOne(in, capacity).text);
}

TEST(ReadLineTest, OverlongLineEndingAtEndOfInputStillReportsOverflow) {
  InputFile f("abcdef");
  InputReader in(f.fd(), nullptr);
  Line a = readOne(in, 4);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ("abc", a.text);
  EXPECT_EQ('d', a.last);
  EXPECT_FALSE(readOne(in, 4).ok);  // "ef" then end of input
}

TEST(ReadLineTest, CapacityOneStoresNothing) {
  InputFile f("\nx\n");
  InputReader in(f.fd(), nullptr);
  Line a = readOne(in, 1);
  EXPECT_TRUE(a.ok);
  EXPECT_EQ("", a.text);
  EXPECT_EQ('\n', a.last);
  Line b = readOne(in, 1);
  EXPECT_TRUE(b.ok);
  EXPECT_EQ('x', b.last);
}

TEST(ReadLineTest, LinesAcrossInputBufferRefillsMatchAPlainSplit) {
  // Line lengths chosen to straddle the reader's internal buffer boundaries.
  std::string content;
  std::vector<std::string> expected;
  unsigned seed = 7;
  while (content.size() < 5 * kInputBufferSize) {
    seed = seed * 1103515245u + 12345u;
    std::string line(seed % 3000, static_cast<char>('a' + seed % 26));
    expected.push_back(line);
    content += line + "\n";
  }
  InputFile f(content);
  InputReader in(f.fd(), nullptr);
  for (const std::string& line : expected) {
    Line got = readOne(in, 20480);
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(line, got.text);
  }
  EXPECT_FALSE(readOne(in, 20480).ok);
}

TEST(ReadLineTest, EmbeddedNulIsStoredAndCounted) {
  InputFile f(std::string("a\0b\n", 4));
  InputReader in(f.fd(), nullptr);
  char buf[16];
  char last = 0;
  std::size_t length = 0;
  ASSERT_TRUE(in.readLine(buf, sizeof buf, &last, &length));
  EXPECT_EQ(3u, length);
  EXPECT_EQ(0, std::memcmp(buf, "a\0b", 4));
}

// An output file whose content can be read back.
class OutputFile {
 public:
  OutputFile() {
    char name[] = "/tmp/dvsql-console-out-XXXXXX";
    fd_ = mkstemp(name);
    unlink(name);
  }
  ~OutputFile() { close(fd_); }
  int fd() const { return fd_; }
  std::string content() const { return readAll(fd_); }

 private:
  int fd_ = -1;
};

TEST(OutputBufferTest, FlushesBeforeABlockingReadOnly) {
  OutputFile outFile;
  OutputBuffer out(outFile.fd(), nullptr);
  InputFile f("one\ntwo\n");
  InputReader in(f.fd(), &out);

  out.puts("DVSQL: ");
  EXPECT_EQ("", outFile.content());  // buffered, not written per call
  readOne(in, 100);
  EXPECT_EQ("DVSQL: ", outFile.content());  // the read had to wait for input

  out.puts("DVSQL: ");
  readOne(in, 100);  // served from the reader's buffer: nothing to wait for
  EXPECT_EQ("DVSQL: ", outFile.content());
  readOne(in, 100);  // end of input: a wait, so a flush
  EXPECT_EQ("DVSQL: DVSQL: ", outFile.content());
}

TEST(OutputBufferTest, LargeAndSmallWritesKeepTheirOrder) {
  OutputFile outFile;
  std::string expected;
  {
    OutputBuffer out(outFile.fd(), nullptr);
    for (int i = 0; i < 1000; ++i) {
      std::string piece(static_cast<std::size_t>(i * 97 % 5000), static_cast<char>('A' + i % 26));
      out.write(piece.data(), piece.size());
      out.put('\n');
      expected += piece + "\n";
    }
    std::string huge(3 * kOutputBufferSize + 5, 'z');
    out.write(huge.data(), huge.size());
    expected += huge;
    out.putInt(0);
    out.putInt(-2147483648LL);
    out.putInt(100);
    expected += "0-2147483648100";
  }  // destruction flushes
  EXPECT_EQ(expected, outFile.content());
}

int reportedError = 0;
int reports = 0;
void recordError(int error) {
  reportedError = error;
  ++reports;
}

TEST(OutputBufferTest, WriteFailureIsReportedOnce) {
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  reports = 0;
  {
    OutputBuffer out(fds[0], &recordError);  // the read end cannot be written
    out.puts("lost");
    out.flush();
    out.puts("also lost");
    out.flush();
  }
  EXPECT_EQ(1, reports);
  EXPECT_EQ(EBADF, reportedError);
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace interp
