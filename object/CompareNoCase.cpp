// Bounded ASCII case-folding comparison.
#include "object/CompareNoCase.h"

namespace dv {
namespace {

inline int foldUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

}  // namespace

int compareNoCase(const char* a, const char* b, std::size_t n) {
  int diff = 0;
  for (std::size_t i = 0; i < n && a[i] != '\0' && b[i] != '\0'; ++i) {
    diff =
        foldUpper(static_cast<unsigned char>(b[i])) - foldUpper(static_cast<unsigned char>(a[i]));
    if (diff != 0) break;
  }
  return diff;
}

}  // namespace dv
