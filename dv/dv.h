// The dv value library: one header that includes every public header.
#ifndef DV_DV_H_
#define DV_DV_H_

#include "object/CompareNoCase.h"

#endif  // DV_DV_H_
