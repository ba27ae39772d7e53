// The interface between the built-in driver's handle layer and a database
// backend. The driver owns handles, states and argument checks; a backend runs
// one statement at a time and hands out column names and values in place, so
// that the driver copies each value exactly once, into the caller's buffer.
#ifndef DVSQL_DCI_BACKEND_H_
#define DVSQL_DCI_BACKEND_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dci/Diagnostics.h"

namespace dci {

// A column value of the current row, valid until the next fetch or close.
struct ValueRef {
  enum Kind { kNull, kText, kBinary };
  Kind kind;
  const char* data;  // text bytes, or raw bytes for kBinary (shown as hexadecimal)
  std::size_t length;
};

enum class FetchResult { kRow, kDone, kError };

// Connection options that the backend honours.
struct ConnectionOptions {
  bool flatResults = false;  // DCI_1NF_MODE_ON
  bool emptyNull = false;    // DCI_EMPTY_NULL
};

// The table types that SQLTables reports.
namespace table_type {
inline constexpr char kTable[] = "TABLE";
inline constexpr char kView[] = "VIEW";
inline constexpr char kSystemTable[] = "SYSTEM TABLE";  // the backend's own catalogue
inline constexpr char kTemporary[] = "LOCAL TEMPORARY";
}  // namespace table_type

// One table or view of a connection's catalogue, as SQLTables lists it.
struct TableEntry {
  std::string qualifier;  // empty: the backend has none (NULL)
  std::string owner;      // the schema; empty: none (NULL)
  std::string name;
  const char* type;  // one of the table_type texts
};

// The result of one executed statement.
class BackendStatement {
 public:
  virtual ~BackendStatement() = default;

  // Number of result columns; 0 for a statement without a result set.
  virtual int columnCount() const = 0;

  // The name of column `column` (from 0). REQUIRES: column < columnCount().
  virtual const char* columnName(int column, std::size_t* length) = 0;

  // Advances to the next row. On kError, records were added to diags.
  virtual FetchResult fetch(DiagQueue* diags) = 0;

  // The value of column `column` (from 0) of the current row.
  // REQUIRES: the last fetch returned kRow; column < columnCount().
  virtual ValueRef value(int column) = 0;

  // Rows changed by an INSERT, UPDATE or DELETE; -1 for other statements.
  virtual int64_t rowCount() const = 0;
};

class BackendConnection {
 public:
  virtual ~BackendConnection() = default;

  // Runs one statement. Returns null with records in diags when it fails.
  virtual std::unique_ptr<BackendStatement> execute(const char* sql, std::size_t length,
                                                    DiagQueue* diags) = 0;

  // Applies changed options to an open connection.
  virtual void setOptions(const ConnectionOptions& options) = 0;

  // Appends the connection's tables and views to *out, in any order. Returns
  // false with records in diags when the catalogue cannot be read.
  virtual bool listTables(std::vector<TableEntry>* out, DiagQueue* diags) = 0;

  // Asks the backend to stop the statement it is running or still producing
  // results for; does nothing when none is. Async-signal-safe: it may run in a
  // signal handler that interrupted a call of this connection, or in another
  // thread while one runs; it takes no lock and allocates nothing. Returns
  // false when the request could not be made.
  virtual bool cancel() noexcept = 0;

  // True while the user holds a transaction open.
  virtual bool inTransaction() const = 0;

  // The longest column name the backend supports, in characters.
  virtual int16_t maxColumnNameLength() const = 0;
};

}  // namespace dci

#endif  // DVSQL_DCI_BACKEND_H_
