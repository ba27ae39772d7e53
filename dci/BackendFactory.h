// The backend factory of the built-in driver: the one place that knows every
// backend and chooses among them by the account text, so that the backend
// interface (dci/Backend.h) stays free of any particular backend.
#ifndef DVSQL_DCI_BACKENDFACTORY_H_
#define DVSQL_DCI_BACKENDFACTORY_H_

#include <memory>
#include <string>

#include "dci/Backend.h"
#include "dci/Diagnostics.h"

namespace dci {

// Opens data source `dataSource` of `account`: PostgreSQL for a postgresql://
// or postgres:// URI or key=value conninfo text, SQLite for anything else (a
// directory, or ":memory:"). Returns the connection, owned by the caller, or
// null with records in diags when it fails.
std::unique_ptr<BackendConnection> connectBackend(const std::string& account,
                                                  const std::string& dataSource,
                                                  const ConnectionOptions& options,
                                                  DiagQueue* diags);

}  // namespace dci

#endif  // DVSQL_DCI_BACKENDFACTORY_H_
