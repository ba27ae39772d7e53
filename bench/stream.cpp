// Benchmark of the tagged value stream against a raw byte transfer in the
// same run: a 1,000,000 x 6 table (integers, texts, dates, doubles, texts,
// integers) is written as one message through a socketpair to a child
// process, which reads it back into a table; then the same number of bytes
// is written raw through the same socketpair and read by the child in the
// same 4,096-byte pieces the stream uses. Each side waits for the child's
// one-byte answer, so both times cover writing, transfer and reading. Prints
// the times, MB/s and the ratio stream / raw.
//
// Usage: bench_stream [ROWS]   (default 1000000)
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "datum/DateTime.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "stream/TableStream.h"
#include "table/Table.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCols = 6;
constexpr std::size_t kChunk = 4096;
// 2000-01-01 as a day number of the date/time class's calendar.
constexpr uint32_t kEpochDay = 2451545;

dv::Table* makeTable(int32_t rows) {
  dv::Table* t = new dv::Table(rows, kCols);
  char buf[64];
  for (int32_t r = 0; r < rows; ++r) {
    std::snprintf(buf, sizeof buf, "customer-%d", r);
    dv::Datum* cells[kCols] = {
        new dv::Number(r),
        new dv::Text(buf),
        new dv::DateTime(static_cast<uint32_t>(r % 20000), false, kEpochDay),
        new dv::Number(r * 0.25),
        new dv::Text("a forty-character-long piece of text...."),
        new dv::Number(static_cast<int32_t>(r % 1000)),
    };
    for (int c = 0; c < kCols; ++c) {
      (void)t->setCell(r, c, cells[c]);
      cells[c]->release();
    }
  }
  return t;
}

bool readAll(int fd, void* p, std::size_t n) {
  auto* b = static_cast<char*>(p);
  while (n > 0) {
    ssize_t r = read(fd, b, n);
    if (r <= 0) return false;
    b += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

bool writeAll(int fd, const void* p, std::size_t n) {
  const auto* b = static_cast<const char*>(p);
  while (n > 0) {
    ssize_t w = write(fd, b, n);
    if (w <= 0) return false;
    b += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// The child: reads the raw bytes, answers; reads the message into a table,
// answers with 1 when it has the expected shape.
int child(int fd, std::size_t bytes, int32_t rows) {
  std::vector<char> buf(kChunk);
  for (std::size_t left = bytes; left > 0;) {
    std::size_t n = left < kChunk ? left : kChunk;
    ssize_t r = read(fd, buf.data(), n);
    if (r <= 0) return 1;
    left -= static_cast<std::size_t>(r);
  }
  char ok = 1;
  writeAll(fd, &ok, 1);
  dv::TableStream in(fd, -1);
  dv::Object* ob = nullptr;
  ok = in.readMessage(ob) && static_cast<dv::Table*>(ob)->rows() == rows &&
       static_cast<dv::Table*>(ob)->cols() == kCols;
  writeAll(fd, &ok, 1);
  if (ob != nullptr) ob->release();
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int32_t rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  dv::Table* t = makeTable(rows);
  // The message's size, for the raw transfer of the same count.
  std::size_t bytes = 0;
  {
    dv::TableStream sizing(nullptr, 0);
    if (!sizing.writeMessage(*t)) return 1;
    bytes = sizing.writtenSize();
  }
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 1;
  pid_t pid = fork();
  if (pid == 0) {
    close(sv[0]);
    _exit(child(sv[1], bytes, rows));
  }
  close(sv[1]);
  std::vector<char> raw(kChunk, 'x');
  char answer = 0;

  auto start = Clock::now();
  for (std::size_t left = bytes; left > 0;) {
    std::size_t n = left < kChunk ? left : kChunk;
    if (!writeAll(sv[0], raw.data(), n)) return 1;
    left -= n;
  }
  if (!readAll(sv[0], &answer, 1)) return 1;
  double rawSeconds = std::chrono::duration<double>(Clock::now() - start).count();

  start = Clock::now();
  {
    dv::TableStream out(sv[0], -1);
    if (!out.writeMessage(*t)) return 1;
  }
  if (!readAll(sv[0], &answer, 1) || answer != 1) return 1;
  double streamSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  int status = 0;
  waitpid(pid, &status, 0);
  t->release();

  double mb = static_cast<double>(bytes) / 1e6;
  std::printf("table %d x %d, message %.1f MB\n", rows, kCols, mb);
  std::printf("raw bytes:    %8.3f s  %8.1f MB/s\n", rawSeconds, mb / rawSeconds);
  std::printf("value stream: %8.3f s  %8.1f MB/s  (write, transfer, read into a table)\n",
              streamSeconds, mb / streamSeconds);
  std::printf("ratio stream / raw: %.2f\n", streamSeconds / rawSeconds);
  return status == 0 ? 0 : 1;
}
