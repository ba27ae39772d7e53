// Chooses the backend for an account.
#include "dci/Backend.h"

#include "dci/SqliteBackend.h"

namespace dci {

std::unique_ptr<BackendConnection> connectBackend(const std::string& account,
                                                  const std::string& dataSource,
                                                  const ConnectionOptions& options,
                                                  DiagQueue* diags) {
  return connectSqlite(account, dataSource, options, diags);
}

}  // namespace dci
