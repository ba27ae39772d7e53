// The PostgreSQL backend of the built-in driver, over libpq. An account is a
// postgresql:// or postgres:// URI or libpq key=value conninfo text; the data
// source names the database unless the account does. Results are read one row
// at a time, so memory stays flat whatever their size.
#ifndef DVSQL_DCI_PGBACKEND_H_
#define DVSQL_DCI_PGBACKEND_H_

#include <memory>
#include <string>

#include "dci/Backend.h"

namespace dci {

// The longest column name PostgreSQL supports (NAMEDATALEN - 1 bytes).
inline constexpr int16_t kPgMaxColumnNameLength = 63;

// Returns true when account selects the PostgreSQL backend: it starts with a
// postgresql:// or postgres:// URI prefix, or with a conninfo keyword and '='.
bool isPostgresAccount(const std::string& account);

// Opens the PostgreSQL database of account (data source `dataSource` unless
// the account names a database).
std::unique_ptr<BackendConnection> connectPostgres(const std::string& account,
                                                   const std::string& dataSource,
                                                   const ConnectionOptions& options,
                                                   DiagQueue* diags);

}  // namespace dci

#endif  // DVSQL_DCI_PGBACKEND_H_
