// The shared table statuses.
#include "table/TableStatus.h"

namespace dv {

DV_DEFINE_SHARED_ERROR_STATUS(tableBoundsStatus, 0x10030004u, false, kDatumErrName,
                              "($01$)Row or column index out of bounds.");
DV_DEFINE_SHARED_ERROR_STATUS(tableResizeFailedStatus, 0x40030007u, true, kDatumErrName,
                              "($01$)Attempt to resize a Table failed.");
DV_DEFINE_SHARED_ERROR_STATUS(columnNameNotFoundStatus, 0x40030005u, true, kDatumErrName,
                              "($01$)Column name not found.");
DV_DEFINE_SHARED_ERROR_STATUS(tableLockedStatus, 0x40020020u, true, kDatumErrName,
                              "Attempt to change cells in a locked Table.");
DV_DEFINE_SHARED_ERROR_STATUS(tableResizeLockedStatus, 0x40020023u, true, kDatumErrName,
                              "Attempt to resize a table locked for resizing.");
DV_DEFINE_SHARED_ERROR_STATUS(tableTooLargeStatus, 0x40030006u, true, kDatumErrName,
                              "($01$)Attempt to create too large a Table.");
DV_DEFINE_SHARED_ERROR_STATUS(columnNotUpdatableStatus, 0x40020021u, true, kDatumErrName,
                              "Attempt to update a non-updatable column of a query result set.");
DV_DEFINE_SHARED_ERROR_STATUS(rowNotUpdatableStatus, 0x40020022u, true, kDatumErrName,
                              "Attempt to update a locked or deleted row of a query result set.");

}  // namespace dv
