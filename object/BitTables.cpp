// The bit tables.
#include "object/BitTables.h"

#include "object/Object.h"
#include "object/internal/Startup.h"

namespace dv {
namespace {
BitTables tables;  // zero until the start-up fills it
}  // namespace

void internal::fillBitTables() {
  for (int i = 0; i < 8; ++i) tables.byteMasks[i] = static_cast<uint8_t>(1u << i);
  for (int i = 0; i < 16; ++i) tables.shortMasks[i] = static_cast<uint16_t>(1u << i);
  for (int i = 0; i < 32; ++i) tables.longMasks[i] = 1u << i;
  for (int v = 0; v < 256; ++v) {
    int count = 0;
    int reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if ((v >> bit) & 1) {
        ++count;
        reversed |= 1 << (7 - bit);
      }
    }
    tables.bitCounts[v] = static_cast<uint8_t>(count);
    tables.reversedBits[v] = static_cast<uint8_t>(reversed);
  }
}

const BitTables& bitTables() {
  Startup::ensure();
  return tables;
}

}  // namespace dv
