// The dv value library: one header that includes every public header.
#ifndef DV_DV_H_
#define DV_DV_H_

#include "object/Allocation.h"
#include "object/ArrayOb.h"
#include "object/BitTables.h"
#include "object/Class.h"
#include "object/Collection.h"
#include "object/CompareNoCase.h"
#include "object/Dictionary.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/HexDump.h"
#include "object/Integer.h"
#include "object/Iterator.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/OIOStreams.h"
#include "object/Object.h"
#include "object/OrderedCltn.h"
#include "object/Range.h"
#include "object/Registry.h"
#include "object/SeqCltn.h"
#include "object/Set.h"
#include "object/SortedCltn.h"
#include "object/String.h"
#include "status/Status.h"

#endif  // DV_DV_H_
