// Binding the DCI call table by export ordinal.
#include "dci/Loader.h"

#include <dlfcn.h>

#include "dci/Driver.h"

namespace dci {
namespace {

struct Binding {
  int ordinal;
  const char* name;
};

constexpr Binding kBindings[] = {
    {DCI_ORD_SQLALLOCCONNECT, "SQLAllocConnect"},
    {DCI_ORD_SQLALLOCENV, "SQLAllocEnv"},
    {DCI_ORD_SQLALLOCSTMT, "SQLAllocStmt"},
    {DCI_ORD_SQLCOLATTRIBUTES, "SQLColAttributes"},
    {DCI_ORD_SQLCONNECT, "SQLConnect"},
    {DCI_ORD_SQLDISCONNECT, "SQLDisconnect"},
    {DCI_ORD_SQLERROR, "SQLError"},
    {DCI_ORD_SQLEXECDIRECT, "SQLExecDirect"},
    {DCI_ORD_SQLFETCH, "SQLFetch"},
    {DCI_ORD_SQLFREECONNECT, "SQLFreeConnect"},
    {DCI_ORD_SQLFREEENV, "SQLFreeEnv"},
    {DCI_ORD_SQLFREESTMT, "SQLFreeStmt"},
    {DCI_ORD_SQLGETDATA, "SQLGetData"},
    {DCI_ORD_SQLGETINFO, "SQLGetInfo"},
    {DCI_ORD_SQLNUMRESULTCOLS, "SQLNumResultCols"},
    {DCI_ORD_SQLROWCOUNT, "SQLRowCount"},
    {DCI_ORD_SQLSETCONNECTOPTION, "SQLSetConnectOption"},
};

template <class Fn>
void assign(Fn* slot, DciProc proc) {
  *slot = reinterpret_cast<Fn>(proc);
}

}  // namespace

bool bindTable(const DciExportTable* table, const std::string& source, DciApi* api,
               std::string* error) {
  if (table == nullptr) {
    *error = "DCI driver " + source + " has no export table";
    return false;
  }
  if (table->abiVersion != DCI_ABI_VERSION) {
    *error = "DCI driver " + source + " has interface version " +
             std::to_string(table->abiVersion) + ", expected " + std::to_string(DCI_ABI_VERSION);
    return false;
  }
  for (const Binding& binding : kBindings) {
    if (static_cast<uint32_t>(binding.ordinal) >= table->count || table->procs == nullptr ||
        table->procs[binding.ordinal] == nullptr) {
      *error = "DCI driver " + source + " does not export ordinal " +
               std::to_string(binding.ordinal) + " (" + binding.name + ")";
      return false;
    }
  }
  const DciProc* p = table->procs;
  assign(&api->allocConnect, p[DCI_ORD_SQLALLOCCONNECT]);
  assign(&api->allocEnv, p[DCI_ORD_SQLALLOCENV]);
  assign(&api->allocStmt, p[DCI_ORD_SQLALLOCSTMT]);
  assign(&api->colAttributes, p[DCI_ORD_SQLCOLATTRIBUTES]);
  assign(&api->connect, p[DCI_ORD_SQLCONNECT]);
  assign(&api->disconnect, p[DCI_ORD_SQLDISCONNECT]);
  assign(&api->error, p[DCI_ORD_SQLERROR]);
  assign(&api->execDirect, p[DCI_ORD_SQLEXECDIRECT]);
  assign(&api->fetch, p[DCI_ORD_SQLFETCH]);
  assign(&api->freeConnect, p[DCI_ORD_SQLFREECONNECT]);
  assign(&api->freeEnv, p[DCI_ORD_SQLFREEENV]);
  assign(&api->freeStmt, p[DCI_ORD_SQLFREESTMT]);
  assign(&api->getData, p[DCI_ORD_SQLGETDATA]);
  assign(&api->getInfo, p[DCI_ORD_SQLGETINFO]);
  assign(&api->numResultCols, p[DCI_ORD_SQLNUMRESULTCOLS]);
  assign(&api->rowCount, p[DCI_ORD_SQLROWCOUNT]);
  assign(&api->setConnectOption, p[DCI_ORD_SQLSETCONNECTOPTION]);
  // Drivers made before the optional ordinals have shorter tables.
  auto optional = [table](int ordinal) {
    return static_cast<uint32_t>(ordinal) < table->count ? table->procs[ordinal] : nullptr;
  };
  assign(&api->cancel, optional(DCI_ORD_SQLCANCEL));
  assign(&api->tables, optional(DCI_ORD_SQLTABLES));
  return true;
}

bool bindDriver(const char* libraryPath, DciApi* api, std::string* error) {
  if (libraryPath == nullptr || *libraryPath == '\0') {
    return bindTable(builtinExportTable(), "(built-in)", api, error);
  }
  // The library stays loaded until the process ends: its functions are called
  // up to exit.
  void* library = dlopen(libraryPath, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    *error =
        std::string("cannot load DCI driver ") + libraryPath + ": " + (why ? why : "unknown error");
    return false;
  }
  dlerror();
  void* symbol = dlsym(library, DCI_EXPORT_TABLE_SYMBOL);
  if (symbol == nullptr) {
    *error = std::string("DCI driver ") + libraryPath + " has no export table (" +
             DCI_EXPORT_TABLE_SYMBOL + ")";
    return false;
  }
  auto getTable = reinterpret_cast<DciExportTableFn>(symbol);
  return bindTable(getTable(), libraryPath, api, error);
}

}  // namespace dci
