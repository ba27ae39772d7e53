// Completion candidates: the keyword list, and the table names read through
// SQLTables on the session's statement handle.
#include "interp/Completer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "object/CompareNoCase.h"

namespace interp {
namespace {

// The words of SQL statements that are worth a Tab, in upper case.
constexpr const char* kKeywords[] = {
    "ALL",     "ALTER",      "AND",         "AS",      "ASC",      "ATTACH",    "AVG",
    "BEGIN",   "BETWEEN",    "BY",          "CASE",    "CAST",     "CHECK",     "COLUMN",
    "COMMIT",  "CONSTRAINT", "COUNT",       "CREATE",  "CROSS",    "DATE",      "DECIMAL",
    "DEFAULT", "DELETE",     "DESC",        "DETACH",  "DISTINCT", "DROP",      "ELSE",
    "END",     "EXCEPT",     "EXISTS",      "FALSE",   "FOREIGN",  "FROM",      "GROUP",
    "HAVING",  "IN",         "INDEX",       "INNER",   "INSERT",   "INTEGER",   "INTERSECT",
    "INTO",    "IS",         "JOIN",        "KEY",     "LEFT",     "LIKE",      "LIMIT",
    "MAX",     "MIN",        "NOT",         "NULL",    "NUMERIC",  "OFFSET",    "ON",
    "OR",      "ORDER",      "OUTER",       "PRIMARY", "REAL",     "RECURSIVE", "REFERENCES",
    "RIGHT",   "ROLLBACK",   "SELECT",      "SET",     "SUM",      "TABLE",     "TEXT",
    "THEN",    "TIMESTAMP",  "TRANSACTION", "TRUE",    "UNION",    "UNIQUE",    "UPDATE",
    "USING",   "VALUES",     "VARCHAR",     "VIEW",    "WHEN",     "WHERE",     "WITH",
};

// The statements' first words after which the table names are read again.
constexpr const char* kTableChangingWords[] = {"CREATE",   "DROP",   "ALTER",
                                               "ROLLBACK", "ATTACH", "DETACH"};

// The relations offered: the user's own, not the system catalogue.
constexpr char kTableTypes[] = "'TABLE','VIEW','LOCAL TEMPORARY'";
constexpr uint16_t kTableNameColumn = 3;
// A name that does not fit is left out rather than offered cut.
constexpr std::size_t kNameBufferSize = 512;
// Bounds what a catalogue of very many tables costs each completion.
constexpr std::size_t kMaxTableNames = 10000;

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         dv::compareNoCase(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

bool succeeded(DciReturn rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

}  // namespace

std::size_t commonPrefixLength(const std::vector<std::string>& candidates) {
  if (candidates.empty()) return 0;
  std::size_t length = candidates[0].size();
  for (const std::string& c : candidates) {
    std::size_t i = 0;
    while (i < length && i < c.size() &&
           std::tolower(static_cast<unsigned char>(c[i])) ==
               std::tolower(static_cast<unsigned char>(candidates[0][i]))) {
      ++i;
    }
    length = i;
  }
  return length;
}

bool mayChangeTables(const char* line, std::size_t length) {
  std::size_t start = 0;
  while (start < length && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  std::size_t end = start;
  while (end < length && std::isalpha(static_cast<unsigned char>(line[end]))) ++end;
  for (const char* word : kTableChangingWords) {
    if (std::strlen(word) == end - start &&
        dv::compareNoCase(line + start, word, end - start) == 0) {
      return true;
    }
  }
  return false;
}

Completer::Completer(Session* session) : session_(session) {}

void Completer::readTableNames() {
  stale_ = false;
  tables_.clear();
  if (session_ == nullptr || session_->api().tables == nullptr) return;
  const dci::DciApi& api = session_->api();
  const DciHandle stmt = session_->stmt();
  // Failures leave fewer names or none; nothing is reported, since the
  // completion runs in the middle of a line being typed.
  if (succeeded(api.tables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, kTableTypes, SQL_NTS))) {
    char name[kNameBufferSize];
    try {
      while (tables_.size() < kMaxTableNames && succeeded(api.fetch(stmt))) {
        name[0] = '\0';
        int32_t length = 0;
        DciReturn rc = api.getData(stmt, kTableNameColumn, SQL_C_CHAR, name,
                                   static_cast<int32_t>(sizeof name), &length);
        if (rc != SQL_SUCCESS || length <= 0 || static_cast<std::size_t>(length) >= sizeof name) {
          continue;
        }
        tables_.emplace_back(name, strnlen(name, sizeof name));
      }
    } catch (const std::bad_alloc&) {
      tables_.clear();
    }
  }
  api.freeStmt(stmt, SQL_CLOSE);
  std::sort(tables_.begin(), tables_.end());
  tables_.erase(std::unique(tables_.begin(), tables_.end()), tables_.end());
}

std::vector<std::string> Completer::candidates(const std::string& word) {
  if (stale_) readTableNames();
  std::vector<std::string> found;
  try {
    for (const std::string& table : tables_) {
      if (startsWithNoCase(table, word)) found.push_back(table);
    }
    if (!word.empty()) {
      bool lower = std::islower(static_cast<unsigned char>(word[0])) != 0;
      for (const char* keyword : kKeywords) {
        std::string k = keyword;
        if (!startsWithNoCase(k, word)) continue;
        if (lower) {
          for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        found.push_back(std::move(k));
      }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
  } catch (const std::bad_alloc&) {
    found.clear();
  }
  return found;
}

}  // namespace interp
