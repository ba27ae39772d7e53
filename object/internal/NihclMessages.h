// The message table of the framework's own facility, entered at library start-up.
#ifndef DV_OBJECT_INTERNAL_NIHCLMESSAGES_H_
#define DV_OBJECT_INTERNAL_NIHCLMESSAGES_H_

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"

namespace dv {
namespace internal {

extern const ErrorMessage kNihclMessages[nihcl::kCodeCount];

}  // namespace internal
}  // namespace dv

#endif  // DV_OBJECT_INTERNAL_NIHCLMESSAGES_H_
