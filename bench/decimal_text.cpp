// Benchmark of Decimal's text parse and format against the C library's double
// path in the same run: 1,000,000 decimal texts of 1 to 38 digits, each parsed
// and written back by Decimal (default parameters, floating style) and by
// strtod + snprintf("%.17g"). Prints each run's times and the ratios
// Decimal / C library, run by run, with their medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "datum/DatumStatus.h"
#include "datum/Decimal.h"

namespace {

using bench::Clock;
using bench::median;
using bench::seconds;

void fail(const char* what) {
  std::fprintf(stderr, "bench_decimal_text: %s\n", what);
  std::exit(1);
}

// The texts, NUL-separated in one block: 1 to 38 digits (the first not 0),
// half of them negative, with a point after a random number of them (after
// the last: none).
std::vector<const char*> makeTexts(int count, std::string* block) {
  std::mt19937_64 random(20240612);
  std::vector<std::size_t> starts;
  for (int i = 0; i < count; ++i) {
    starts.push_back(block->size());
    int digits = 1 + static_cast<int>(random() % 38);
    int point = 1 + static_cast<int>(random() % static_cast<unsigned>(digits));
    if (random() & 1) *block += '-';
    for (int k = 0; k < digits; ++k) {
      *block += static_cast<char>('0' + (k == 0 ? 1 + random() % 9 : random() % 10));
      if (k + 1 == point && point < digits) *block += '.';
    }
    *block += '\0';
  }
  std::vector<const char*> texts;
  for (std::size_t s : starts) texts.push_back(block->data() + s);
  return texts;
}

// Parses and writes every text with Decimal in the form fmt; answers the
// characters written. Every text fits 38 digits: any status but success fails.
std::size_t decimalPass(const std::vector<const char*>& texts, const char* fmt) {
  const dv::Decimal::Parameters p;
  dv::Decimal d;
  char out[128];
  std::size_t written = 0;
  for (const char* t : texts) {
    if (d.setText(t, fmt, p) != dv::successStatus()) fail("a text did not parse exactly");
    d.format(out, sizeof out, fmt, dv::Decimal::kFloating, 0, 0);
    written += std::strlen(out);
  }
  return written;
}

std::size_t libraryPass(const std::vector<const char*>& texts) {
  char out[128];
  std::size_t written = 0;
  for (const char* t : texts) {
    char* end = nullptr;
    double v = std::strtod(t, &end);
    if (*end != '\0') fail("strtod stopped inside a text");
    written += static_cast<std::size_t>(std::snprintf(out, sizeof out, "%.17g", v));
  }
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 1000000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (count < 1 || runs < 1) fail("usage: bench_decimal_text [TEXTS RUNS]");

  std::string block;
  std::vector<const char*> texts = makeTexts(count, &block);
  std::printf(
      "decimal text benchmark: %d texts of 1 to 38 digits (%.1f characters on average), "
      "%d runs\n\n",
      count, static_cast<double>(block.size()) / count - 1, runs);
  std::printf("%-4s %11s %11s %11s %11s %11s\n", "run", "Decimal", "(plain)", "C library", "ratio",
              "(plain)");
  std::vector<double> ratios, plainRatios;
  std::size_t sink = 0;
  for (int run = 1; run <= runs; ++run) {
    // Alternating order, so that a drift in the machine's speed favours neither.
    double local = 0, plain = 0, library = 0;
    auto decimalLocal = [&] { local = seconds([&] { sink += decimalPass(texts, nullptr); }); };
    auto decimalPlain = [&] { plain = seconds([&] { sink += decimalPass(texts, "plain"); }); };
    auto cLibrary = [&] { library = seconds([&] { sink += libraryPass(texts); }); };
    if (run % 2 == 1) {
      decimalLocal();
      decimalPlain();
      cLibrary();
    } else {
      cLibrary();
      decimalPlain();
      decimalLocal();
    }
    std::printf("%-4d %10.3fs %10.3fs %10.3fs %11.2f %11.2f\n", run, local, plain, library,
                local / library, plain / library);
    ratios.push_back(local / library);
    plainRatios.push_back(plain / library);
  }
  double ratio = median(ratios);
  std::printf("\nmedian ratio Decimal / C library (lower is faster): %.2f (plain form %.2f)\n",
              ratio, median(plainRatios));
  std::printf("goal %s: Decimal parse+format no slower than strtod+snprintf (%.2f %s 1.00)\n",
              ratio <= 1.0 ? "met" : "NOT met", ratio, ratio <= 1.0 ? "<=" : ">");
  return sink == 0 ? 1 : 0;
}
