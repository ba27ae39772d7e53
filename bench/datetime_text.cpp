// Benchmark of DateTime's standard text form against the C library in the
// same run: N time stamps (year to fraction(6), "2013-07-04 09:26:53.000412")
// read by the DateTime text constructor and written by asString in the
// standard style, against strptime + timegm for reading and gmtime_r +
// strftime (and the six fraction digits) for writing, on the same texts.
// Before any timing, every text is checked to give the same instant both
// ways and to be written alike (DateTime writes the hour without padding).
// Prints each run's seconds and the ratios, run by run, with their medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "datum/DateTime.h"

namespace {

using bench::Clock;
using bench::median;
using bench::seconds;
using dv::DateTime;

constexpr std::size_t kStride = 32;  // bytes per text, NUL included

struct Instant {
  time_t seconds;
  int32_t microseconds;
};

[[noreturn]] void fail(const char* what, const char* text) {
  std::fprintf(stderr, "bench_datetime_text: %s%s%s\n", what, text[0] != '\0' ? ": " : "", text);
  std::exit(1);
}

// The C library path: the fields with strptime, the fraction by hand (the
// library has no conversion for it), the instant with timegm.
bool readC(const char* text, Instant* out) {
  struct tm tm;
  std::memset(&tm, 0, sizeof tm);
  const char* rest = strptime(text, "%Y-%m-%d %H:%M:%S", &tm);
  if (rest == nullptr || *rest != '.') return false;
  int32_t micro = 0;
  int digits = 0;
  for (++rest; *rest >= '0' && *rest <= '9'; ++rest, ++digits) micro = micro * 10 + (*rest - '0');
  if (digits != 6 || *rest != '\0') return false;
  out->seconds = timegm(&tm);
  out->microseconds = micro;
  return true;
}

std::size_t writeC(const Instant& v, char* buf, std::size_t size) {
  struct tm tm;
  gmtime_r(&v.seconds, &tm);
  std::size_t n = std::strftime(buf, size, "%Y-%m-%d %H:%M:%S", &tm);
  n += static_cast<std::size_t>(std::snprintf(buf + n, size - n, ".%06d", v.microseconds));
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (count < 1 || runs < 1) fail("usage: bench_datetime_text [N RUNS]", "");
  const std::size_t n = static_cast<std::size_t>(count);

  // Time stamps from 1900 to 2099, in the Gregorian calendar under every
  // reform, as the standard style reads them (two-digit hours).
  std::mt19937 random(42);
  std::vector<char> texts(n * kStride);
  for (std::size_t i = 0; i < n; ++i) {
    int year = 1900 + static_cast<int>(random() % 200);
    int month = 1 + static_cast<int>(random() % 12);
    int day = 1 + static_cast<int>(random() % 28);
    int hour = static_cast<int>(random() % 24);
    int minute = static_cast<int>(random() % 60);
    int second = static_cast<int>(random() % 60);
    int micro = static_cast<int>(random() % 1000000);
    std::snprintf(&texts[i * kStride], kStride, "%04d-%02d-%02d %02d:%02d:%02d.%06d", year, month,
                  day, hour, minute, second, micro);
  }
  auto text = [&](std::size_t i) { return &texts[i * kStride]; };

  std::vector<DateTime> values;
  values.reserve(n);
  std::vector<Instant> instants(n);

  // The check: both read every text to the same instant and write it alike.
  // It also brings in the pages of both stores before any timing.
  for (std::size_t i = 0; i < n; ++i) {
    const DateTime& v = values.emplace_back(text(i), "standard", dv::kUnitYear, dv::kUnitFraction6);
    Instant c;
    if (v.severity() != 0 || !readC(text(i), &c)) fail("a text was not read", text(i));
    instants[i] = c;
    if (v.countSince(true, DateTime::kUnixEpochDay) != c.seconds ||
        v.microsecond() != c.microseconds) {
      fail("the two readings disagree", text(i));
    }
    char mine[DateTime::kStandardTextSize];
    char theirs[64];
    v.asString(mine, sizeof mine, "standard");
    writeC(c, theirs, sizeof theirs);
    // The standard style writes the hour without padding.
    std::string expected = theirs;
    if (expected[11] == '0') expected.erase(11, 1);
    if (expected != mine) fail("the two texts differ", mine);
  }

  std::printf("date/time text benchmark: %zu time stamps (year to fraction(6)), %d runs\n\n", n,
              runs);
  std::printf("%-4s %9s %9s %9s %9s %9s %9s\n", "run", "DT read", "C read", "DT write", "C write",
              "DT both", "C both");
  std::vector<double> readRatio, writeRatio, bothRatio;
  unsigned long sink = 0;
  char buf[64];
  auto dtReading = [&] {
    for (std::size_t i = 0; i < n; ++i) {
      values.emplace_back(text(i), "standard", dv::kUnitYear, dv::kUnitFraction6);
    }
  };
  auto cReading = [&] {
    for (std::size_t i = 0; i < n; ++i) {
      if (!readC(text(i), &instants[i])) fail("a text was not read", text(i));
    }
  };
  auto dtWriting = [&] {
    for (const DateTime& v : values) {
      v.asString(buf, sizeof buf, "standard");
      sink += static_cast<unsigned char>(buf[20]);
    }
  };
  auto cWriting = [&] {
    for (const Instant& v : instants) sink += writeC(v, buf, sizeof buf);
  };
  for (int run = 1; run <= runs; ++run) {
    values.clear();
    // DateTime first in odd runs, the C library first in even ones, so
    // that a drift in the machine's speed favours neither.
    double dtRead = 0, cRead = 0, dtWrite = 0, cWrite = 0;
    if (run % 2 == 1) {
      dtRead = seconds(dtReading);
      cRead = seconds(cReading);
      dtWrite = seconds(dtWriting);
      cWrite = seconds(cWriting);
    } else {
      cRead = seconds(cReading);
      dtRead = seconds(dtReading);
      cWrite = seconds(cWriting);
      dtWrite = seconds(dtWriting);
    }
    std::printf("%-4d %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f\n", run, dtRead, cRead, dtWrite, cWrite,
                dtRead + dtWrite, cRead + cWrite);
    readRatio.push_back(dtRead / cRead);
    writeRatio.push_back(dtWrite / cWrite);
    bothRatio.push_back((dtRead + dtWrite) / (cRead + cWrite));
  }
  double both = median(bothRatio);
  std::printf("\nmedian ratios (DateTime / C library, lower is faster):\n");
  std::printf("  read %.2f, write %.2f, read and write %.2f\n", median(readRatio),
              median(writeRatio), both);
  std::printf("\ngoal %s: DateTime no slower than strptime + timegm + strftime (%.2f %s 1.00)\n",
              both <= 1.0 ? "met" : "NOT met", both, both <= 1.0 ? "<=" : ">");
  return sink == 0 ? 2 : 0;
}
