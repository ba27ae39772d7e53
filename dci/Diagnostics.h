// Diagnostics records of the built-in driver: each handle keeps a queue of them,
// filled by the call that failed or warned and drained in order by SQLError.
#ifndef DVSQL_DCI_DIAGNOSTICS_H_
#define DVSQL_DCI_DIAGNOSTICS_H_

#include <cstdint>
#include <deque>
#include <string>

#include "dci/dci.h"

namespace dci {

// ODBC 2 states used by the driver and its backends.
namespace state {
inline constexpr char kGeneralWarning[] = "01000";
inline constexpr char kTruncated[] = "01004";      // data or label cut to the buffer
inline constexpr char kCannotConnect[] = "08001";  // account or data source unusable
inline constexpr char kConnectionInUse[] = "08002";
inline constexpr char kNotConnected[] = "08003";
inline constexpr char kCommunicationLink[] = "08S01";
inline constexpr char kStringTruncated[] = "22001";  // string data cut on assignment
inline constexpr char kNumericRange[] = "22003";     // numeric value out of range
inline constexpr char kAssignment[] = "22005";
inline constexpr char kDivisionByZero[] = "22012";
inline constexpr char kConstraint[] = "23000";
inline constexpr char kCursorState[] = "24000";
inline constexpr char kTransactionState[] = "25000";
inline constexpr char kAuthorization[] = "28000";  // invalid authorization
inline constexpr char kSyntax[] = "37000";         // syntax error or access violation
inline constexpr char kSerialization[] = "40001";
inline constexpr char kNoDataSource[] = "IM002";
inline constexpr char kTableExists[] = "S0001";
inline constexpr char kTableNotFound[] = "S0002";
inline constexpr char kIndexExists[] = "S0011";
inline constexpr char kIndexNotFound[] = "S0012";
inline constexpr char kColumnNotFound[] = "S0022";
inline constexpr char kGeneral[] = "S1000";
inline constexpr char kNoMemory[] = "S1001";
inline constexpr char kColumnNumber[] = "S1002";  // column number out of range
inline constexpr char kProgramType[] = "S1003";   // target type out of range
inline constexpr char kCanceled[] = "S1008";
inline constexpr char kInvalidArgument[] = "S1009";
inline constexpr char kNoHandles[] = "S1014";     // handle table full
inline constexpr char kSequence[] = "S1010";      // function sequence error
inline constexpr char kBufferLength[] = "S1090";  // invalid string or buffer length
inline constexpr char kDescriptorType[] = "S1091";
inline constexpr char kOptionRange[] = "S1092";
inline constexpr char kInfoType[] = "S1096";
inline constexpr char kNotCapable[] = "S1C00";  // the driver cannot do what was asked
inline constexpr char kTimeout[] = "S1T00";
}  // namespace state

// One diagnostics record: a five-character state, the source's native code and a
// message that names its source ("[dvsql][SQLite] no such table: t").
struct DiagRecord {
  char state[6];
  int32_t native;
  std::string message;
};

class DiagQueue {
 public:
  // Drops every queued record; each call on a handle starts with a fresh queue.
  void clear() { records_.clear(); }
  bool empty() const { return records_.empty(); }

  // Queues a record. REQUIRES: state has five characters.
  void add(const char* state, int32_t native, std::string message);

  // Moves the oldest record into the caller's buffers, SQLError style: the state
  // (five characters and a NUL) into state when not null, the native code into
  // *native when not null, the message cut to messageMax - 1 bytes and a NUL into
  // message, its full length into *messageLength. Returns SQL_SUCCESS, or
  // SQL_SUCCESS_WITH_INFO when the message was cut, or SQL_NO_DATA_FOUND when
  // the queue is empty (nothing written).
  DciReturn pop(char* state, int32_t* native, char* message, int16_t messageMax,
                int16_t* messageLength);

 private:
  std::deque<DiagRecord> records_;
};

}  // namespace dci

#endif  // DVSQL_DCI_DIAGNOSTICS_H_
