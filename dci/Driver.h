// The built-in DCI driver: handle tables, function sequence checks and
// diagnostics queues in front of the database backends. It is linked into
// dvsql and reached, like any driver, only through its export table.
#ifndef DVSQL_DCI_DRIVER_H_
#define DVSQL_DCI_DRIVER_H_

#include "dci/dci.h"

namespace dci {

// Returns the built-in driver's export table; it lives as long as the process.
const DciExportTable* builtinExportTable();

}  // namespace dci

#endif  // DVSQL_DCI_DRIVER_H_
