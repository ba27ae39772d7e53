// What Tab completes at the terminal: SQL keywords, and the account's table and
// view names, read through SQLTables when the driver has it. The names are read
// at the first completion of the session, and again at the first completion
// after a statement that may have created, dropped or renamed a table.
#ifndef DVSQL_INTERP_COMPLETER_H_
#define DVSQL_INTERP_COMPLETER_H_

#include <cstddef>
#include <string>
#include <vector>

#include "interp/Session.h"

namespace interp {

// The longest prefix that every candidate shares, compared without regard to
// ASCII case, in bytes.
std::size_t commonPrefixLength(const std::vector<std::string>& candidates);

// Whether the statement line may change the table names: its first word is
// CREATE, DROP, ALTER, ROLLBACK, ATTACH or DETACH, in any case.
bool mayChangeTables(const char* line, std::size_t length);

class Completer {
 public:
  // session null: keywords only. REQUIRES: session (when not null) outlives
  // the completer.
  explicit Completer(Session* session);

  // Returns what the word being typed may become, sorted, without duplicates:
  // the table names that start with word, and the keywords that do, written
  // in upper case unless word starts with a lower-case letter. Both are
  // matched without regard to ASCII case; an empty word matches table names
  // only. Reads the table names first when they are not known.
  // REQUIRES: the session's statement has no open cursor.
  std::vector<std::string> candidates(const std::string& word);

  // The statement line is about to run: the names are read again at the next
  // completion when it may change them.
  void noteStatement(const char* line, std::size_t length) {
    if (mayChangeTables(line, length)) stale_ = true;
  }

  // The names read last (for tests).
  const std::vector<std::string>& tableNames() const { return tables_; }

 private:
  void readTableNames();

  Session* session_;
  bool stale_ = true;
  std::vector<std::string> tables_;
};

}  // namespace interp

#endif  // DVSQL_INTERP_COMPLETER_H_
