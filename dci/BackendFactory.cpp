// Chooses the backend for an account: PostgreSQL for URIs and conninfo text,
// SQLite for anything else (a directory, or ":memory:").
#include "dci/BackendFactory.h"

#include "dci/PgBackend.h"
#include "dci/SqliteBackend.h"

namespace dci {

std::unique_ptr<BackendConnection> connectBackend(const std::string& account,
                                                  const std::string& dataSource,
                                                  const ConnectionOptions& options,
                                                  DiagQueue* diags) {
  if (isPostgresAccount(account)) return connectPostgres(account, dataSource, options, diags);
  return connectSqlite(account, dataSource, options, diags);
}

}  // namespace dci
