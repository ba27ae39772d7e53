// The character mapping file loader under the fuzzer (see
// fuzz/CharacterMapFuzz.h).
#include "fuzz/CharacterMapFuzz.h"

#include <sstream>
#include <string>

#include "fuzz/Targets.h"
#include "stream/CharacterMap.h"

namespace dv {
namespace fuzz {

int runCharacterMap(const uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream err;
  uint8_t from[kCharacterMapSize];
  uint8_t to[kCharacterMapSize];
  for (int i = 0; i < kCharacterMapSize; ++i) from[i] = to[i] = 0xA5;
  if (!loadCharacterMap(in, "fuzz.tbl", from, to, err)) {
    for (int i = 0; i < kCharacterMapSize; ++i) {
      if (from[i] != 0xA5 || to[i] != 0xA5) violated("character_map", "a refused file changed");
    }
    return 0;
  }
  for (int i = 0; i < kCharacterMapSize; ++i) {
    if (to[i] != i) {
      if (isReservedCharacter(i) || isReservedCharacter(to[i])) {
        violated("character_map", "a reserved character is mapped");
      }
      if (from[to[i]] != i) violated("character_map", "the tables are not inverse");
    }
    if (from[i] != i && to[from[i]] != i) violated("character_map", "the tables are not inverse");
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
