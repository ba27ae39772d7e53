// The shared statuses of facility DATUMERR that the value classes hand out:
// one object per message, built before main runs, never freed by counting.
#ifndef DV_DATUM_DATUMSTATUS_H_
#define DV_DATUM_DATUMSTATUS_H_

#include "status/Status.h"

namespace dv {

// "Text truncated." 0x3002000A, warning, not NULL.
const ErrorStatus* textTruncatedStatus();
// "($01$)Conversion to numeric value failed." 0x4003000B, error, NULL.
const ErrorStatus* conversionFailedStatus();
// "Incorrectly formatted integer." 0x40020016, error, NULL.
const ErrorStatus* badIntegerStatus();
// "Incorrectly formatted number." 0x40020017, error, NULL.
const ErrorStatus* badNumberStatus();
// "Overflow converting a value to a numeric type." 0x40020018, error, NULL.
const ErrorStatus* overflowStatus();
// "The number is too large; it was rounded to infinity." 0x30020019, warning, NULL.
const ErrorStatus* roundedToInfinityStatus();
// "Conversion of a value to a numeric type caused an underflow." 0x4002001A, error, NULL.
const ErrorStatus* underflowStatus();
// "The number did not fit within the specified precision; it was rounded off."
// 0x3002001B, warning, not NULL.
const ErrorStatus* roundedOffStatus();
// "($01$)Method not implemented on subclass." 0x4003001F, error, NULL.
const ErrorStatus* notImplementedStatus();
// "($01$)A bad argument was passed to an internal routine." 0x70030029, fatal, NULL.
const ErrorStatus* badArgumentStatus();
// "NULL value" 0x0002002A, success severity, NULL.
const ErrorStatus* nullValueStatus();
// "Floating-point value was truncated to integer." 0x3002002B, warning, NULL.
const ErrorStatus* truncatedToIntegerStatus();
// "Text truncated to 63,950 characters." 0x3002002C, warning, NULL.
const ErrorStatus* textTruncatedToLimitStatus();
// "Could not make name unique: more than 10 million names with the same stem."
// 0x4002002D, error, not NULL.
const ErrorStatus* notUniqueStatus();
// "($01$)Binary Datum contents truncated." 0x30030003, warning, not NULL.
const ErrorStatus* binaryTruncatedStatus();

}  // namespace dv

#endif  // DV_DATUM_DATUMSTATUS_H_
