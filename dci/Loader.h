// Binds the DCI functions that dvsql calls: from the built-in driver, or from a
// driver library named by the environment variable DVSQL_DCI. Either way the
// functions come from the driver's export table, by ordinal.
#ifndef DVSQL_DCI_LOADER_H_
#define DVSQL_DCI_LOADER_H_

#include <string>

#include "dci/dci.h"

namespace dci {

// The bound call table.
struct DciApi {
  SQLAllocEnvFn allocEnv = nullptr;
  SQLAllocConnectFn allocConnect = nullptr;
  SQLSetConnectOptionFn setConnectOption = nullptr;
  SQLConnectFn connect = nullptr;
  SQLGetInfoFn getInfo = nullptr;
  SQLAllocStmtFn allocStmt = nullptr;
  SQLExecDirectFn execDirect = nullptr;
  SQLNumResultColsFn numResultCols = nullptr;
  SQLRowCountFn rowCount = nullptr;
  SQLColAttributesFn colAttributes = nullptr;
  SQLFetchFn fetch = nullptr;
  SQLGetDataFn getData = nullptr;
  SQLFreeStmtFn freeStmt = nullptr;
  SQLDisconnectFn disconnect = nullptr;
  SQLFreeConnectFn freeConnect = nullptr;
  SQLFreeEnvFn freeEnv = nullptr;
  SQLErrorFn error = nullptr;
  // The optional calls: null when the driver does not export them.
  SQLCancelFn cancel = nullptr;
  SQLTablesFn tables = nullptr;
};

// The environment variable that names a driver library to load instead of
// the built-in driver.
inline constexpr char kDriverVariable[] = "DVSQL_DCI";

// Fills *api from table. Returns false with a one-line reason in *error when
// the table's version is wrong or it lacks a required ordinal; `source` names
// the driver in that reason. An optional ordinal that the table lacks leaves
// its entry of *api null.
bool bindTable(const DciExportTable* table, const std::string& source, DciApi* api,
               std::string* error);

// Binds *api from the library at libraryPath (loaded for the life of the
// process), or from the built-in driver when libraryPath is null or empty.
bool bindDriver(const char* libraryPath, DciApi* api, std::string* error);

}  // namespace dci

#endif  // DVSQL_DCI_LOADER_H_
