// Benchmark of FileTable and the table dump against the sqlite3 shell in the
// same run: a delimited file of ROWS x 6 columns (numbers, texts, dates) is
// loaded with FileTable::read and with the shell's ".import" into an
// in-memory database; the table is then dumped to a file, against the shell
// importing the same file and writing the table with ".mode csv" (its import
// time, measured alone, taken off). Prints each phase's seconds run by run,
// the median ratios and the peak RSS of the load.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "table/FileTable.h"
#include "table/Table.h"
#include "table/TableDump.h"

namespace {

using bench::Clock;
using bench::median;
using bench::seconds;

void fail(const char* what) {
  std::fprintf(stderr, "bench_filetable: %s\n", what);
  std::exit(1);
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) fail(("command failed: " + command).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int nRows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  if (nRows < 1 || runs < 1) fail("usage: bench_filetable [ROWS RUNS]");
  if (std::system("sqlite3 -version > /dev/null") != 0) fail("the sqlite3 shell is missing");
  std::string dir = "/tmp/bench_filetable." + std::to_string(getpid());
  run("mkdir -p " + dir);
  std::string csv = dir + "/data.csv", out = dir + "/dump.txt";
  {
    std::ofstream f(csv);
    std::mt19937 random(7);
    f << "id,name,price,count,day,note\n";
    char line[160];
    for (int r = 0; r < nRows; ++r) {
      std::snprintf(
          line, sizeof line, "%d,name%u,%u.%02u,%u,%04u-%02u-%02u,\"note, %u\"\n", r,
          static_cast<unsigned>(random() % 100000), static_cast<unsigned>(random() % 10000),
          static_cast<unsigned>(random() % 100), static_cast<unsigned>(random() % 1000),
          1990 + static_cast<unsigned>(random() % 30), 1 + static_cast<unsigned>(random() % 12),
          1 + static_cast<unsigned>(random() % 28), static_cast<unsigned>(random() % 1000));
      f << line;
    }
  }
  std::string importCmd = "sqlite3 :memory: '.mode csv' '.import " + csv + " t'";
  std::string exportCmd = "sqlite3 :memory: '.mode csv' '.import " + csv +
                          " t' '.headers on' "
                          "'.output " +
                          out + "' 'select * from t'";
  std::printf("filetable benchmark: %d rows x 6 cols, %d runs\n\n", nRows, runs);
  std::printf("%-4s %9s %9s %9s %9s\n", "run", "FT load", "sq load", "dump", "sq csv");
  std::vector<double> loadRatio, dumpRatio;
  long rss = 0;
  for (int i = 1; i <= runs; ++i) {
    dv::Table* t = nullptr;
    double load = seconds([&] {
      if (!dv::FileTable::read(csv.c_str(), nullptr, nullptr, &t) || t == nullptr)
        fail("FileTable::read failed");
    });
    if (t->rows() != nRows || t->cols() != 6) fail("the table has the wrong shape");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    rss = usage.ru_maxrss;
    double sqLoad = seconds([&] { run(importCmd); });
    double dump = seconds([&] {
      std::ofstream f(out);
      dv::Text format(",");
      dv::Number options(0);
      if (dv::dumpTable(t, f, &format, &options) != 1) fail("the dump failed");
    });
    double sqBoth = seconds([&] { run(exportCmd); });
    double sqCsv = std::max(sqBoth - sqLoad, 1e-6);
    std::printf("%-4d %9.3f %9.3f %9.3f %9.3f\n", i, load, sqLoad, dump, sqCsv);
    loadRatio.push_back(load / sqLoad);
    dumpRatio.push_back(dump / sqCsv);
    t->release();
  }
  std::printf("\nmedian ratios (dv / sqlite3 shell, lower is faster): load %.2f, dump %.2f\n",
              median(loadRatio), median(dumpRatio));
  std::printf("peak RSS after the load: %ld KiB (%.1f bytes per cell)\n", rss,
              static_cast<double>(rss) * 1024.0 / (6.0 * nRows));
  run("rm -rf " + dir);
  return 0;
}
