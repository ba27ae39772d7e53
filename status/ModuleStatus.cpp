// The shared MODULERR statuses.
#include "status/ModuleStatus.h"

namespace dv {

DV_DEFINE_SHARED_ERROR_STATUS(moduleInvalidArgumentStatus, kModuleInvalidArgumentCode, true,
                              kModulErrName, "($01$)Invalid argument.");
DV_DEFINE_SHARED_ERROR_STATUS(moduleInvalidArgument2Status, kModuleInvalidArgument2Code, true,
                              kModulErrName, "($01$)Invalid argument.");
DV_DEFINE_SHARED_ERROR_STATUS(moduleNotImplementedStatus, kModuleNotImplementedCode, true,
                              kModulErrName, kModuleNotImplementedMessage);
DV_DEFINE_SHARED_ERROR_STATUS(moduleOutOfSequenceStatus, kModuleOutOfSequenceCode, true,
                              kModulErrName, "($01$)Call out of sequence.");

}  // namespace dv
