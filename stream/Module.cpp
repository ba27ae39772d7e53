// The request protocol of Module and its two built-in requests.
#include "stream/Module.h"

#include <cstdio>

#include "status/ModuleStatus.h"
#include "table/Table.h"

namespace dv {

Number* moduleTrueValue() {
  static Number value(int32_t{1});
  return &value;
}

Number* moduleFalseValue() {
  static Number value(int32_t{0});
  return &value;
}

[[maybe_unused]] static const bool kModuleValuesBuiltAtStartUp =
    (moduleTrueValue(), moduleFalseValue(), true);

const Status* Module::execute(Datum* request, Datum** result) {
  if (request == nullptr || result == nullptr) return moduleInvalidArgumentStatus();
  const Status* status = checkRequest(request);
  if (status->severity() == 0) {
    status->release();
    return perform(result);
  }
  Table* empty = new (std::nothrow) Table(1, 1);
  if (empty == nullptr || empty->status()->severity() != 0) {
    if (empty != nullptr) empty->release();
    status->release();
    return outOfMemoryStatus();
  }
  // Shrinking allocates nothing: it cannot fail.
  (void)empty->resize(0, 0);
  empty->setStatus(status);
  *result = empty;
  return status;
}

const Status* Module::noop(Datum** result) {
  if (result == nullptr) return moduleInvalidArgumentStatus();
  *result = moduleTrueValue();
  return successStatus();
}

const Status* Module::quit(Datum** result) {
  if (result == nullptr) return moduleInvalidArgumentStatus();
  // Each call gets its own true value: setting the status on the shared one
  // would make every later user of true see the failure.
  Number* value = new (std::nothrow) Number(int32_t{1});
  if (value == nullptr) return outOfMemoryStatus();
  char message[128];
  std::snprintf(message, sizeof message, kModuleNotImplementedMessage, "quit");
  const Status* status =
      makeErrorStatus(kModuleNotImplementedCode, true, kModulErrName, message, 0, false);
  if (status == outOfMemoryStatus()) {
    value->release();
    return status;
  }
  value->setStatus(status);
  *result = value;
  return status;
}

}  // namespace dv
