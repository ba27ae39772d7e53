// Reading keys of a profile (initialisation) file: "[section]" lines open a
// section, "key=value" lines within it give values, lines starting with ';'
// are comments. Sections and keys are matched without regard to ASCII case,
// blanks around keys and values do not count, and a value in matching single
// or double quotes loses them. The first occurrence of a key in the first
// section of that name that holds it wins. Lines may end in CR LF.
#ifndef DV_PLATFORM_PROFILE_H_
#define DV_PLATFORM_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace dv {
namespace platform {

// Looks key up in section of the profile text [text, text + length); true
// with *value set when found.
bool profileLookup(const char* text, std::size_t length, const char* section, const char* key,
                   std::string* value);

// The integer value of key in section of the file at path: leading blanks,
// an optional sign, then decimal digits up to the first other character (a
// value without digits is 0, one beyond 32 bits is cut to the nearest
// bound). defaultValue when the file cannot be read or has no such key.
int32_t profileInt(const char* path, const char* section, const char* key, int32_t defaultValue);

// Copies the value of key in section of the file at path (defaultValue, or
// "" when that is null, when the file cannot be read or has no such key) into
// buf, at most size - 1 bytes and a NUL; answers the bytes copied (0, and
// nothing written, when size is below 1 or buf is null).
int profileString(const char* path, const char* section, const char* key, const char* defaultValue,
                  char* buf, int size);

}  // namespace platform
}  // namespace dv

#endif  // DV_PLATFORM_PROFILE_H_
