// Bit tables filled at library start-up: single-bit masks of bytes, 16- and
// 32-bit words, the number of set bits of each byte and each byte reversed.
#ifndef DV_OBJECT_BITTABLES_H_
#define DV_OBJECT_BITTABLES_H_

#include <cstdint>

namespace dv {

struct BitTables {
  uint8_t byteMasks[8];       // 1, 2, 4, ..., 128
  uint16_t shortMasks[16];    // 1 << i
  uint32_t longMasks[32];     // 1 << i
  uint8_t bitCounts[256];     // set bits of each byte value
  uint8_t reversedBits[256];  // each byte value with its bits in reverse order
};

// The tables; runs the library start-up when it has not run.
const BitTables& bitTables();

}  // namespace dv

#endif  // DV_OBJECT_BITTABLES_H_
