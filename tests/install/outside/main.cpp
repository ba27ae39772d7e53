// A program outside the project, built against the installed dv library:
// a few values, a table holding a nested table, and its dump.
#include <iostream>

#include "dv/dv.h"

int main() {
  dv::Decimal price("12.345", nullptr);
  char text[64];
  price.asString(text, sizeof text);
  std::cout << "decimal " << text << "\n";

  dv::Table inner(1, 1);
  (void)inner.setCell(0, 0, "nested");
  dv::Table outer(1, 2);
  (void)outer.setCell(0, 0, int32_t{42});
  (void)outer.setCell(0, 1, &inner);
  dv::dumpTable(&outer, std::cout);
  return 0;
}
