// The status an object stream holds: what its operations report, starting as
// success and replaced by the first failure.
//
// Object streams belong to the object framework, and statuses to the layer
// above it (a status is an object that can itself be stored). This class is
// the one place where the streams meet statuses: it is declared here with the
// status classes only named, and its operations are defined by the status
// layer in status/StreamStatus.cpp, so that no file of the object framework
// includes a status header. Both stream sides hold one.
#ifndef DV_OBJECT_STREAMSTATUS_H_
#define DV_OBJECT_STREAMSTATUS_H_

#include <cstdint>
#include <iosfwd>

namespace dv {

class Status;

class StreamStatus {
 public:
  // The failures that the stream protocol itself reports, each as a status of
  // facility OIOERR (or the shared out-of-memory status).
  enum class Failure {
    // An allocation failed: the shared out-of-memory status.
    kOutOfMemory,
    // A version outside the range the stream reads or writes: the shared
    // "Object input data format error: versions incompatible." (ERROR, 22).
    kVersionsIncompatible,
    // A header that names no known format: a new "Cannot interpret input
    // data.\nVersions incompatible." (FATAL, 15).
    kCannotInterpret,
    // Content that cannot be read on after a reported error: a new "Object
    // input data cannot be read." (ERROR, 23).
    kUnreadable,
  };

  StreamStatus() = default;
  StreamStatus(const StreamStatus&) = delete;
  StreamStatus& operator=(const StreamStatus&) = delete;
  // Releases the held status.
  ~StreamStatus();

  // Holds status (one reference more) and releases the one held before; null
  // holds none, which reads as success.
  void set(const Status* status);
  // Holds the status of failure.
  void fail(Failure failure);
  // The held status; the shared success status when none is held.
  const Status* get() const;
  // What the held status says.
  uint32_t code() const;
  int severity() const;
  const char* messageText() const;
  // Writes the message text when there is one.
  void print(std::ostream& out) const;

 private:
  const Status* status_ = nullptr;
};

}  // namespace dv

#endif  // DV_OBJECT_STREAMSTATUS_H_
