// Bounded, ASCII-only case-insensitive comparison of two NUL-terminated texts,
// shared by the interpreter's statement classification and the value classes'
// keyword matching.
#ifndef DV_OBJECT_COMPARENOCASE_H_
#define DV_OBJECT_COMPARENOCASE_H_

#include <cstddef>

namespace dv {

// Compares at most n character pairs of a and b, folding only 'a' to 'z' to
// upper case. Stops at the first pair that differs, after n pairs, or when
// either text reaches its terminator (the terminator itself is not compared).
// Returns the folded character of b minus the folded character of a for the
// last pair compared: 0 when every compared pair matched, which includes the
// case where one text is a prefix of the other, and when n is 0.
int compareNoCase(const char* a, const char* b, std::size_t n);

}  // namespace dv

#endif  // DV_OBJECT_COMPARENOCASE_H_
