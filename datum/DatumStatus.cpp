// The shared DATUMERR statuses.
#include "datum/DatumStatus.h"

namespace dv {

DV_DEFINE_SHARED_ERROR_STATUS(textTruncatedStatus, 0x3002000Au, false, kDatumErrName,
                              "Text truncated.");
DV_DEFINE_SHARED_ERROR_STATUS(conversionFailedStatus, 0x4003000Bu, true, kDatumErrName,
                              "($01$)Conversion to numeric value failed.");
DV_DEFINE_SHARED_ERROR_STATUS(badIntegerStatus, 0x40020016u, true, kDatumErrName,
                              "Incorrectly formatted integer.");
DV_DEFINE_SHARED_ERROR_STATUS(badNumberStatus, 0x40020017u, true, kDatumErrName,
                              "Incorrectly formatted number.");
DV_DEFINE_SHARED_ERROR_STATUS(overflowStatus, 0x40020018u, true, kDatumErrName,
                              "Overflow converting a value to a numeric type.");
DV_DEFINE_SHARED_ERROR_STATUS(roundedToInfinityStatus, 0x30020019u, true, kDatumErrName,
                              "The number is too large; it was rounded to infinity.");
DV_DEFINE_SHARED_ERROR_STATUS(underflowStatus, 0x4002001Au, true, kDatumErrName,
                              "Conversion of a value to a numeric type caused an underflow.");
DV_DEFINE_SHARED_ERROR_STATUS(
    roundedOffStatus, 0x3002001Bu, false, kDatumErrName,
    "The number did not fit within the specified precision; it was rounded off.");
DV_DEFINE_SHARED_ERROR_STATUS(notImplementedStatus, 0x4003001Fu, true, kDatumErrName,
                              "($01$)Method not implemented on subclass.");
DV_DEFINE_SHARED_ERROR_STATUS(badArgumentStatus, 0x70030029u, true, kDatumErrName,
                              "($01$)A bad argument was passed to an internal routine.");
DV_DEFINE_SHARED_ERROR_STATUS(nullValueStatus, 0x0002002Au, true, kDatumErrName, "NULL value");
DV_DEFINE_SHARED_ERROR_STATUS(truncatedToIntegerStatus, 0x3002002Bu, true, kDatumErrName,
                              "Floating-point value was truncated to integer.");
DV_DEFINE_SHARED_ERROR_STATUS(textTruncatedToLimitStatus, 0x3002002Cu, true, kDatumErrName,
                              "Text truncated to 63,950 characters.");
DV_DEFINE_SHARED_ERROR_STATUS(
    notUniqueStatus, 0x4002002Du, false, kDatumErrName,
    "Could not make name unique: more than 10 million names with the same stem.");
DV_DEFINE_SHARED_ERROR_STATUS(binaryTruncatedStatus, 0x30030003u, false, kDatumErrName,
                              "($01$)Binary Datum contents truncated.");

}  // namespace dv
