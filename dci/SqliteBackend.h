// The embedded SQLite backend of the built-in driver. An account is a
// directory; data source "localdv" is the file localdv.db in it, created on
// first connect. The account ":memory:" is a private in-memory database.
#ifndef DVSQL_DCI_SQLITEBACKEND_H_
#define DVSQL_DCI_SQLITEBACKEND_H_

#include <memory>
#include <string>

#include "dci/Backend.h"

namespace dci {

// The longest column name the SQLite backend reports, in characters.
inline constexpr int16_t kSqliteMaxColumnNameLength = 255;

// Opens the SQLite database of data source `dataSource` in `account`.
std::unique_ptr<BackendConnection> connectSqlite(const std::string& account,
                                                 const std::string& dataSource,
                                                 const ConnectionOptions& options,
                                                 DiagQueue* diags);

}  // namespace dci

#endif  // DVSQL_DCI_SQLITEBACKEND_H_
