// Benchmark of Table against a std::vector of rows in the same run: a table
// of ROWS x 6 cells (Text and Number values, alternating by column) is
// sorted by a text column and by a number column with sortByColumn, and
// LOOKUPS keys are found by binary search over the sorted key column through
// cell(); the baseline is a std::vector of rows holding the same value
// objects, sorted with std::stable_sort through the same virtual compare and
// searched with std::lower_bound. Prints each phase's seconds run by run, the
// median ratios Table / vector, and the bytes per cell (peak RSS once the
// table is built, over the cell count).
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/Timing.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "status/Status.h"
#include "table/Table.h"

namespace {

using bench::Clock;
using bench::median;
using bench::seconds;
constexpr int kCols = 6;
constexpr int kKeyCol = 0;     // unique texts
constexpr int kTextCol = 2;    // texts with repeats
constexpr int kNumberCol = 3;  // numbers with repeats
using Row = std::array<dv::Datum*, kCols>;

void fail(const char* what) {
  std::fprintf(stderr, "bench_table: %s\n", what);
  std::exit(1);
}

long peakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void sortVector(std::vector<Row>& rows, int col) {
  std::stable_sort(rows.begin(), rows.end(),
                   [col](const Row& a, const Row& b) { return a[col]->compare(*b[col]) < 0; });
}

// The rows of the table in their current order, as the vector holds them.
bool sameOrder(const dv::Table& t, const std::vector<Row>& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < kCols; ++c)
      if (t.cell(static_cast<int32_t>(r), c) != rows[r][c]) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int nRows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  int nLookups = argc > 2 ? std::atoi(argv[2]) : 100000;
  int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  if (nRows < 1 || nLookups < 1 || runs < 1) fail("usage: bench_table [ROWS LOOKUPS RUNS]");

  std::mt19937 random(42);
  std::vector<int> keys(static_cast<std::size_t>(nRows));
  for (int i = 0; i < nRows; ++i) keys[static_cast<std::size_t>(i)] = i;
  std::shuffle(keys.begin(), keys.end(), random);

  // The values, made once: the table and the vector hold the same objects.
  std::vector<Row> master(static_cast<std::size_t>(nRows));
  char buf[32];
  for (int r = 0; r < nRows; ++r) {
    Row& row = master[static_cast<std::size_t>(r)];
    std::snprintf(buf, sizeof buf, "key%08d", keys[static_cast<std::size_t>(r)]);
    row[0] = new dv::Text(buf);
    row[1] = new dv::Number(static_cast<int32_t>(random() % 1000000));
    std::snprintf(buf, sizeof buf, "w%05u", static_cast<unsigned>(random() % 50000));
    row[2] = new dv::Text(buf);
    row[3] = new dv::Number(static_cast<double>(random() % 100000) / 8.0);
    std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(random()));
    row[4] = new dv::Text(buf);
    row[5] = new dv::Number(static_cast<int32_t>(r));
  }
  std::vector<dv::Text*> probes;
  for (int i = 0; i < nLookups; ++i) {
    std::snprintf(buf, sizeof buf, "key%08d", static_cast<int>(random() % nRows));
    probes.push_back(new dv::Text(buf));
  }

  long before = peakRssKiB();
  double cellBytes = 0;
  std::printf("table benchmark: %d rows x %d cols, %d lookups, %d runs\n\n", nRows, kCols, nLookups,
              runs);
  std::printf("%-4s %8s %8s %8s %8s %8s %8s %8s\n", "run", "build", "T text", "v text", "T number",
              "v number", "T look", "v look");
  std::vector<double> textRatio, numberRatio, lookRatio;
  for (int run = 1; run <= runs; ++run) {
    dv::Table* table = new dv::Table(nRows, kCols);
    if (table->cellCount() != nRows * kCols) fail("the table could not be allocated");
    double build = seconds([&] {
      for (int r = 0; r < nRows; ++r)
        for (int c = 0; c < kCols; ++c)
          (void)table->setCell(r, c, master[static_cast<std::size_t>(r)][c]);
    });
    if (run == 1) {
      long after = peakRssKiB();
      // The values exist before the table: count the table's own bytes and
      // the values' bytes separately.
      cellBytes = static_cast<double>(after - before) * 1024.0 / (double(nRows) * kCols);
      std::printf("(values: %.1f bytes per cell; table array: %.1f bytes per cell)\n",
                  static_cast<double>(before) * 1024.0 / (double(nRows) * kCols), cellBytes);
    }
    std::vector<Row> rows = master;

    // Odd runs time the table first, even runs the vector, so that a drift
    // in the machine's speed favours neither.
    bool tableFirst = run % 2 == 1;
    double tText = 0, vText = 0, tNumber = 0, vNumber = 0;
    auto sortBoth = [&](int col, double& t, double& v) {
      auto timeTable = [&] {
        t = seconds([&] {
          if (table->sortByColumn(col) != dv::successStatus()) fail("sort failed");
        });
      };
      auto timeVector = [&] { v = seconds([&] { sortVector(rows, col); }); };
      if (tableFirst) {
        timeTable();
        timeVector();
      } else {
        timeVector();
        timeTable();
      }
      if (!sameOrder(*table, rows)) fail("sort orders differ");
    };
    sortBoth(kTextCol, tText, vText);
    sortBoth(kNumberCol, tNumber, vNumber);

    // Lookups by key over the key column, sorted first (not timed).
    if (table->sortByColumn(kKeyCol) != dv::successStatus()) fail("sort failed");
    sortVector(rows, kKeyCol);
    long tFound = 0, vFound = 0;
    double tLook = 0, vLook = 0;
    auto lookTable = [&] {
      tLook = seconds([&] {
        for (dv::Text* p : probes) {
          int32_t lo = 0, hi = table->rows();
          while (lo < hi) {
            int32_t mid = lo + (hi - lo) / 2;
            if (table->cell(mid, kKeyCol)->compare(*p) < 0)
              lo = mid + 1;
            else
              hi = mid;
          }
          if (lo < table->rows() && table->cell(lo, kKeyCol)->compare(*p) == 0) tFound += lo;
        }
      });
    };
    auto lookVector = [&] {
      vLook = seconds([&] {
        for (dv::Text* p : probes) {
          auto at = std::lower_bound(
              rows.begin(), rows.end(), p,
              [](const Row& row, const dv::Text* key) { return row[kKeyCol]->compare(*key) < 0; });
          if (at != rows.end() && (*at)[kKeyCol]->compare(*p) == 0) vFound += at - rows.begin();
        }
      });
    };
    if (tableFirst) {
      lookTable();
      lookVector();
    } else {
      lookVector();
      lookTable();
    }
    if (tFound != vFound) fail("lookups differ");
    std::printf("%-4d %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f\n", run, build, tText, vText,
                tNumber, vNumber, tLook, vLook);
    textRatio.push_back(tText / vText);
    numberRatio.push_back(tNumber / vNumber);
    lookRatio.push_back(tLook / vLook);
    table->release();
  }
  double text = median(textRatio), number = median(numberRatio), look = median(lookRatio);
  std::printf("\nminimum ratios: text sort %.2f, number sort %.2f, lookup %.2f\n",
              *std::min_element(textRatio.begin(), textRatio.end()),
              *std::min_element(numberRatio.begin(), numberRatio.end()),
              *std::min_element(lookRatio.begin(), lookRatio.end()));
  std::printf(
      "median ratios (Table / vector, lower is faster): text sort %.2f, number sort "
      "%.2f, lookup %.2f\n",
      text, number, look);
  std::printf("bytes per cell: %.1f (peak RSS %ld KiB over %ld cells, values included)\n",
              static_cast<double>(peakRssKiB()) * 1024.0 / (double(nRows) * kCols), peakRssKiB(),
              static_cast<long>(nRows) * kCols);
  bool met = text <= 1.2 && number <= 1.2 && look <= 1.2;
  std::printf("\ngoal %s: sort and lookup within 1.2x of the vector\n", met ? "met" : "NOT met");
  for (Row& row : master)
    for (dv::Datum* d : row) d->release();
  for (dv::Text* p : probes) p->release();
  return 0;
}
