// Example: a table that holds another table in a cell (a nested, NF2 value).
// The table is written in the dump form (table/TableDump.h), a commented text
// that the table initializer parser (table/TableInitParser.h) reads back; the
// table read back compares equal to the original, and its cells, the nested
// ones among them, are printed.
//
// Usage: nested_table   Exit status 0, or 1 when a step fails.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "dv/dv.h"

namespace {

// Reports a failed step and answers false.
bool failed(const char* step, const dv::Status* status) {
  std::fprintf(stderr, "nested_table: %s: %s\n", step, status->messageText());
  return false;
}

// Stores a value in a cell; the table takes its own reference, so the one
// the new value came with is dropped.
bool put(dv::Table& table, int32_t row, int32_t col, dv::Datum* value) {
  if (value->severity() != 0) {
    failed("making a value", value->status());
    value->release();
    return false;
  }
  const dv::Status* st = table.setCell(row, col, value);
  value->release();
  return st->severity() == 0 || failed("setting a cell", st);
}

// The lines of one order: item, quantity and price per piece.
dv::Table* orderLines(const char* const (*lines)[3], int count) {
  dv::Table* t = new dv::Table(count, 3);
  bool ok = t->addColumnName(0, "item")->severity() == 0 &&
            t->addColumnName(1, "qty")->severity() == 0 &&
            t->addColumnName(2, "price")->severity() == 0;
  for (int r = 0; ok && r < count; ++r) {
    ok = t->setCell(r, 0, lines[r][0])->severity() == 0 &&
         put(*t, r, 1, new dv::Number(lines[r][1], dv::Number::kLong, "plain")) &&
         put(*t, r, 2, new dv::Money(lines[r][2], "plain"));
  }
  if (!ok) {
    t->release();
    return nullptr;
  }
  return t;
}

// Two orders, each with its lines as a nested table in the column "lines".
dv::Table* makeOrders() {
  static const char* const first[][3] = {{"bolt M6", "200", "$0.12"}, {"nut M6", "200", "$0.05"}};
  static const char* const second[][3] = {{"washer", "1000", "$0.01"}};
  dv::Table* orders = new dv::Table(2, 3);
  bool ok = orders->setTitle("Orders")->severity() == 0 &&
            orders->addColumnName(0, "order")->severity() == 0 &&
            orders->addColumnName(1, "date")->severity() == 0 &&
            orders->addColumnName(2, "lines")->severity() == 0;
  ok = ok && put(*orders, 0, 0, new dv::Number(int32_t{1001})) &&
       put(*orders, 0, 1, new dv::DateTime("2024-03-01", "standard", dv::kUnitYear, dv::kUnitDay));
  dv::Table* lines = ok ? orderLines(first, 2) : nullptr;
  ok = lines != nullptr && put(*orders, 0, 2, lines);
  ok = ok && put(*orders, 1, 0, new dv::Number(int32_t{1002})) &&
       put(*orders, 1, 1, new dv::DateTime("2024-03-04", "standard", dv::kUnitYear, dv::kUnitDay));
  lines = ok ? orderLines(second, 1) : nullptr;
  ok = lines != nullptr && put(*orders, 1, 2, lines);
  if (!ok) {
    orders->release();
    return nullptr;
  }
  return orders;
}

std::string textOf(const dv::Datum& value) {
  char buf[128];
  return value.asString(buf, sizeof buf, "plain");
}

// Whether two tables are the same: shape, title, column names, and in every
// cell a value of the same class that compares equal, nested tables alike.
// (compare on its own looks at the cells only, and orders numbers of
// different classes by value.)
bool sameTable(const dv::AbsTable& a, const dv::AbsTable& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  if (textOf(*a.title()) != textOf(*b.title())) return false;
  for (int32_t c = 0; c < a.cols(); ++c) {
    const char* x = a.columnName(c);
    const char* y = b.columnName(c);
    if ((x == nullptr) != (y == nullptr) || (x != nullptr && std::string(x) != y)) return false;
  }
  for (int32_t r = 0; r < a.rows(); ++r) {
    for (int32_t c = 0; c < a.cols(); ++c) {
      const dv::Datum* x = a.cell(r, c);
      const dv::Datum* y = b.cell(r, c);
      if (x->isA() != y->isA()) return false;
      if (x->isKindOf(dv::AbsTable::desc())) {
        if (!sameTable(*static_cast<const dv::AbsTable*>(x), *static_cast<const dv::AbsTable*>(y)))
          return false;
      } else if (x->compare(*y) != 0) {
        return false;
      }
    }
  }
  return true;
}

// Prints every cell as "name: value (class)", nested tables indented below
// their cell.
void printCells(const dv::AbsTable& table, int indent) {
  for (int32_t r = 0; r < table.rows(); ++r) {
    std::printf("%*srow %d\n", indent, "", r);
    for (int32_t c = 0; c < table.cols(); ++c) {
      const dv::Datum* cell = table.cell(r, c);
      const char* name = table.columnName(c);
      if (cell->isKindOf(dv::AbsTable::desc())) {
        const auto* nested = static_cast<const dv::AbsTable*>(cell);
        std::printf("%*s  %s: a table of %d x %d\n", indent, "", name, nested->rows(),
                    nested->cols());
        printCells(*nested, indent + 4);
      } else {
        std::printf("%*s  %s: %s (%s)\n", indent, "", name, textOf(*cell).c_str(),
                    cell->className());
      }
    }
  }
}

bool run() {
  dv::Table* orders = makeOrders();
  if (orders == nullptr) return false;

  // The dump, with "," between cells and ";" after each row (the parser's
  // default separators), and the header comment.
  dv::Text format(",;");
  dv::Number options(dv::kDumpHeader);
  std::ostringstream dump;
  if (dv::dumpTable(orders, dump, &format, &options) != 1) {
    orders->release();
    std::fprintf(stderr, "nested_table: the table cannot be dumped\n");
    return false;
  }
  std::cout << "The dump:\n" << dump.str() << "\n";

  // Read back; the first line holds the column titles.
  std::istringstream in(dump.str());
  dv::TableInitParser parser(in, 0, 0, false, false);
  dv::Table* back = nullptr;
  const dv::Status* st = parser.parse(back);
  bool ok = back != nullptr && (st->severity() == 0 || failed("parsing the dump", st));
  if (ok) {
    bool same = sameTable(*orders, *back);
    std::printf("Read back: %s, %d x %d, %s the original\n", textOf(*back->title()).c_str(),
                back->rows(), back->cols(), same ? "equal to" : "DIFFERENT FROM");
    if (same) {
      printCells(*back, 0);
    } else {
      std::fprintf(stderr, "nested_table: the table read back differs\n");
      ok = false;
    }
  }
  if (back != nullptr) back->release();
  orders->release();
  return ok;
}

}  // namespace

int main() {
  return run() ? 0 : 1;
}
