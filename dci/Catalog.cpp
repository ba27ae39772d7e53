// Filtering, ordering and handing out the rows of SQLTables.
#include "dci/Catalog.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <tuple>

namespace dci {
namespace {

constexpr const char* kColumnNames[] = {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME",
                                        "TABLE_TYPE", "REMARKS"};
constexpr int kColumns = sizeof kColumnNames / sizeof kColumnNames[0];

// The length of the UTF-8 character that starts at text[i]: a lead byte and
// the continuation bytes after it.
std::size_t characterLength(const std::string& text, std::size_t i) {
  std::size_t n = 1;
  while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

bool equalsNoCase(const std::string& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
    if (x != y) return false;
  }
  return true;
}

// The types of a type list, without blanks and quotes; empty for "all types".
std::vector<std::string> typesOf(const std::string& list) {
  std::vector<std::string> types;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::size_t b = start;
    std::size_t e = comma;
    while (b < e && list[b] == ' ') ++b;
    while (e > b && list[e - 1] == ' ') --e;
    if (e - b >= 2 && list[b] == '\'' && list[e - 1] == '\'') {
      ++b;
      --e;
    }
    if (e > b) types.push_back(list.substr(b, e - b));
    start = comma + 1;
  }
  return types;
}

class TablesStatement final : public BackendStatement {
 public:
  explicit TablesStatement(std::vector<TableEntry> rows) : rows_(std::move(rows)) {}

  int columnCount() const override { return kColumns; }

  const char* columnName(int column, std::size_t* length) override {
    assert(column >= 0 && column < kColumns);
    *length = std::strlen(kColumnNames[column]);
    return kColumnNames[column];
  }

  FetchResult fetch(DiagQueue*) override {
    if (next_ >= rows_.size()) {
      onRow_ = false;
      return FetchResult::kDone;
    }
    current_ = next_++;
    onRow_ = true;
    return FetchResult::kRow;
  }

  ValueRef value(int column) override {
    assert(onRow_ && column >= 0 && column < kColumns);
    const TableEntry& row = rows_[current_];
    switch (column) {
      case 0:
        return text(row.qualifier);
      case 1:
        return text(row.owner);
      case 2:
        return {ValueRef::kText, row.name.data(), row.name.size()};
      case 3:
        return {ValueRef::kText, row.type, std::strlen(row.type)};
      default:
        return {ValueRef::kNull, "", 0};
    }
  }

  int64_t rowCount() const override { return -1; }

 private:
  static ValueRef text(const std::string& s) {
    if (s.empty()) return {ValueRef::kNull, "", 0};
    return {ValueRef::kText, s.data(), s.size()};
  }

  std::vector<TableEntry> rows_;
  std::size_t next_ = 0;
  std::size_t current_ = 0;
  bool onRow_ = false;
};

}  // namespace

bool matchesSearchPattern(const std::string& pattern, const std::string& text) {
  // Greedy matching with one backtracking point: the position after the last
  // '%' and the text position it was tried at.
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starP = std::string::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      starP = ++p;
      starT = t;
      continue;
    }
    if (p < pattern.size() && pattern[p] == '_') {
      ++p;
      t += characterLength(text, t);
      continue;
    }
    if (p < pattern.size()) {
      std::size_t literal = p;
      if (pattern[p] == '\\' && p + 1 < pattern.size()) literal = p + 1;
      if (pattern[literal] == text[t]) {
        p = literal + 1;
        ++t;
        continue;
      }
    }
    if (starP == std::string::npos) return false;
    // Let the last '%' take one more character and try again after it.
    starT += characterLength(text, starT);
    t = starT;
    p = starP;
  }
  while (p < pattern.size() && pattern[p] == '%') ++p;
  return p == pattern.size();
}

std::unique_ptr<BackendStatement> tablesResult(std::vector<TableEntry> entries,
                                               const TableFilter& filter) {
  const std::vector<std::string> types = typesOf(filter.typeList);
  auto selected = [&](const TableEntry& e) {
    if (!filter.qualifier.empty() && e.qualifier != filter.qualifier) return false;
    if (!filter.ownerPattern.empty() && !matchesSearchPattern(filter.ownerPattern, e.owner)) {
      return false;
    }
    if (!filter.namePattern.empty() && !matchesSearchPattern(filter.namePattern, e.name)) {
      return false;
    }
    if (types.empty()) return true;
    return std::any_of(types.begin(), types.end(),
                       [&](const std::string& type) { return equalsNoCase(type, e.type); });
  };
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const TableEntry& e) { return !selected(e); }),
                entries.end());
  std::sort(entries.begin(), entries.end(), [](const TableEntry& a, const TableEntry& b) {
    int types = std::strcmp(a.type, b.type);
    if (types != 0) return types < 0;
    return std::tie(a.qualifier, a.owner, a.name) < std::tie(b.qualifier, b.owner, b.name);
  });
  return std::make_unique<TablesStatement>(std::move(entries));
}

}  // namespace dci
