// The dv value library: one header that includes every public header.
#ifndef DV_DV_H_
#define DV_DV_H_

#include "object/Allocation.h"
#include "object/BitTables.h"
#include "object/Class.h"
#include "object/CompareNoCase.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/HexDump.h"
#include "object/Nil.h"
#include "object/Object.h"

#endif  // DV_DV_H_
