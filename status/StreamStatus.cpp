// The operations of the status an object stream holds (declared with the
// streams in object/StreamStatus.h), and the OIOERR statuses of the stream
// protocol.
#include "object/StreamStatus.h"

#include <ostream>

#include "status/Status.h"

namespace dv {
namespace {

// A version outside the range the streams read or write: one shared status.
DV_DEFINE_SHARED_ERROR_STATUS(versionsIncompatibleStatus, 0x40140016u, true, kOioErrName,
                              "Object input data format error: versions incompatible.");

constexpr uint32_t kCannotInterpretCode = 0x7014000Fu;
constexpr const char* kCannotInterpretMessage =
    "Cannot interpret input data.\nVersions incompatible.";
constexpr uint32_t kUnreadableCode = 0x40140017u;
constexpr const char* kUnreadableMessage = "Object input data cannot be read.";

}  // namespace

StreamStatus::~StreamStatus() {
  set(nullptr);
}

void StreamStatus::set(const Status* status) {
  if (status != nullptr) status->addRef();
  if (status_ != nullptr) status_->release();
  status_ = status;
}

void StreamStatus::fail(Failure failure) {
  switch (failure) {
    case Failure::kOutOfMemory:
      set(outOfMemoryStatus());
      return;
    case Failure::kVersionsIncompatible:
      set(versionsIncompatibleStatus());
      return;
    case Failure::kCannotInterpret:
    case Failure::kUnreadable: {
      bool fatal = failure == Failure::kCannotInterpret;
      const Status* s =
          makeErrorStatus(fatal ? kCannotInterpretCode : kUnreadableCode, true, kOioErrName,
                          fatal ? kCannotInterpretMessage : kUnreadableMessage, 0, false);
      set(s);
      s->release();
      return;
    }
  }
}

const Status* StreamStatus::get() const {
  return status_ != nullptr ? status_ : successStatus();
}

uint32_t StreamStatus::code() const {
  return get()->code();
}

int StreamStatus::severity() const {
  return get()->severity();
}

const char* StreamStatus::messageText() const {
  return get()->messageText();
}

void StreamStatus::print(std::ostream& out) const {
  const char* text = messageText();
  if (text != nullptr && *text != '\0') out << text;
}

}  // namespace dv
