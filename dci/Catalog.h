// The result set of SQLTables: the backend lists its tables and views, and the
// driver filters and orders them here, the same way for every backend, and
// hands them out through the ordinary statement interface.
#ifndef DVSQL_DCI_CATALOG_H_
#define DVSQL_DCI_CATALOG_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "dci/Backend.h"

namespace dci {

// What SQLTables selects. An absent or empty field selects everything.
struct TableFilter {
  std::string qualifier;     // a name, compared whole
  std::string ownerPattern;  // a search pattern (see matchesSearchPattern)
  std::string namePattern;   // a search pattern
  std::string typeList;      // "TABLE,VIEW" or "'TABLE','VIEW'", any ASCII case
};

// Returns whether text matches pattern, bytewise: '%' stands for any run of
// characters, '_' for one UTF-8 character, and '\' takes the next byte
// literally (a '\' at the end stands for itself).
bool matchesSearchPattern(const std::string& pattern, const std::string& text);

// Returns a result with the five ODBC 2 columns of SQLTables, holding the
// entries that filter selects, ordered by type, qualifier, owner and name.
std::unique_ptr<BackendStatement> tablesResult(std::vector<TableEntry> entries,
                                               const TableFilter& filter);

}  // namespace dci

#endif  // DVSQL_DCI_CATALOG_H_
