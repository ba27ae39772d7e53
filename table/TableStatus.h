// The shared statuses that table operations hand out: one object per
// message, of facility DATUMERR, built before main runs and never freed by
// counting. Allocation failures use the shared out-of-memory status instead.
#ifndef DV_TABLE_TABLESTATUS_H_
#define DV_TABLE_TABLESTATUS_H_

#include "status/Status.h"

namespace dv {

// "($01$)Row or column index out of bounds." 0x10030004, information, not
// NULL: a negative or out-of-range index or count, an unknown column name in
// a change operation, renameColumn without a slot.
const ErrorStatus* tableBoundsStatus();
// "($01$)Attempt to resize a Table failed." 0x40030007, error, NULL: a sized
// constructor given a negative size (set as the table's status).
const ErrorStatus* tableResizeFailedStatus();
// "($01$)Column name not found." 0x40030005, error, NULL: renameColumn when
// the slot found holds another name.
const ErrorStatus* columnNameNotFoundStatus();
// "Attempt to change cells in a locked Table." 0x40020020, error, NULL.
const ErrorStatus* tableLockedStatus();
// "Attempt to resize a table locked for resizing." 0x40020023, error, NULL.
const ErrorStatus* tableResizeLockedStatus();
// "($01$)Attempt to create too large a Table." 0x40030006, error, NULL.
const ErrorStatus* tableTooLargeStatus();
// "Attempt to update a non-updatable column of a query result set."
// 0x40020021, error, NULL: for table classes that present query results.
const ErrorStatus* columnNotUpdatableStatus();
// "Attempt to update a locked or deleted row of a query result set."
// 0x40020022, error, NULL: for table classes that present query results.
const ErrorStatus* rowNotUpdatableStatus();

}  // namespace dv

#endif  // DV_TABLE_TABLESTATUS_H_
