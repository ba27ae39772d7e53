// The table of fuzz targets and what they share.
#include "fuzz/Targets.h"

#include <cstdio>
#include <cstring>

#include "fuzz/CharacterMapFuzz.h"
#include "fuzz/DateTimeTextFuzz.h"
#include "fuzz/NumberTextFuzz.h"
#include "fuzz/OioFuzz.h"
#include "fuzz/ProfileFuzz.h"
#include "fuzz/StatementLoopFuzz.h"
#include "fuzz/TableTextFuzz.h"
#include "fuzz/TableStreamFuzz.h"
#include "fuzz/ValueTextFuzz.h"

namespace dv {
namespace fuzz {
namespace {

int oioText(const uint8_t* data, std::size_t size) {
  return runOioInput(data, size, /*binary=*/false);
}

int oioBinary(const uint8_t* data, std::size_t size) {
  return runOioInput(data, size, /*binary=*/true);
}

const Target kTargets[] = {
    {"oio_text", &oioText},
    {"oio_binary", &oioBinary},
    {"text_number", &runTextNumber},
    {"binary_hex", &runBinaryHex},
    {"short_date", &runShortDate},
    {"number_text", &runNumberText},
    {"datetime_text", &runDateTimeText},
    {"statement_loop", &runStatementLoop},
    {"profile", &runProfile},
    {"character_map", &runCharacterMap},
    {"table_init", &runTableInit},
    {"file_table", &runFileTable},
    {"table_stream", &runTableStream},
};

}  // namespace

const Target* findTarget(const char* name) {
  for (const Target& t : kTargets) {
    if (std::strcmp(t.name, name) == 0) return &t;
  }
  return nullptr;
}

void violated(const char* what, const char* detail) {
  std::fprintf(stderr, "fuzz: check failed: %s\n%s\n", what, detail);
  std::fflush(stderr);
  __builtin_trap();
}

}  // namespace fuzz
}  // namespace dv
