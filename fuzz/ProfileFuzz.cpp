// The profile reader under the fuzzer (see fuzz/ProfileFuzz.h).
#include "fuzz/ProfileFuzz.h"

#include <string>

#include "fuzz/Targets.h"
#include "platform/Profile.h"

namespace dv {
namespace fuzz {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

int runProfile(const uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  for (const char* section : {"International", "a", ""}) {
    for (const char* key : {"TIMEZONE", "LOCALE", "k", ""}) {
      std::string value;
      bool found = platform::profileLookup(text, size, section, key, &value);
      std::string again;
      if (found != platform::profileLookup(text, size, section, key, &again) ||
          (found && again != value)) {
        violated("profile", "a look-up answered differently the second time");
      }
      if (!found) continue;
      if (value.find('\n') != std::string::npos) violated("profile", "a value holds a newline");
      // A value with blanks at an end came out of quotes; one that still
      // looks quoted would lose them again: neither can be written plainly.
      bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front();
      if (value.empty() || quoted || isBlank(value.front()) || isBlank(value.back())) continue;
      const std::string written = std::string("[") + section + "]\n" + key + "=" + value + "\n";
      std::string back;
      if (!platform::profileLookup(written.data(), written.size(), section, key, &back) ||
          back != value) {
        violated("profile", "a value written back reads differently");
      }
    }
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
