// The shared statuses of facility MODULERR, which modules answer requests
// with and the table initializer parser fails with: one object per message,
// built before main runs, never freed by counting.
#ifndef DV_STATUS_MODULESTATUS_H_
#define DV_STATUS_MODULESTATUS_H_

#include <cstdint>

#include "status/Status.h"

namespace dv {

inline constexpr uint32_t kModuleInvalidArgumentCode = 0x40050002u;
inline constexpr uint32_t kModuleInvalidArgument2Code = 0x40050003u;
inline constexpr uint32_t kModuleNotImplementedCode = 0x40050004u;
inline constexpr uint32_t kModuleOutOfSequenceCode = 0x70050005u;
// The request-not-implemented message; "%.64s" stands for the request's name.
inline constexpr const char* kModuleNotImplementedMessage =
    "($01$)Request %.64s is not implemented.";

// "($01$)Invalid argument." 0x40050002, error, NULL.
const ErrorStatus* moduleInvalidArgumentStatus();
// "($01$)Invalid argument." 0x40050003, error, NULL.
const ErrorStatus* moduleInvalidArgument2Status();
// kModuleNotImplementedMessage unformatted, 0x40050004, error, NULL.
const ErrorStatus* moduleNotImplementedStatus();
// "($01$)Call out of sequence." 0x70050005, fatal, NULL.
const ErrorStatus* moduleOutOfSequenceStatus();

}  // namespace dv

#endif  // DV_STATUS_MODULESTATUS_H_
