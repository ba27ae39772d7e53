// Makes every class descriptor of the library at start-up, in one fixed order,
// so that the list of all classes is the same in every program. Setting the
// environment variable DV_CLASS_LIST makes the start-up print the list, newest
// first, on standard error: a way to see which classes a program carries.
#include <cstdio>
#include <cstdlib>

#include "object/Class.h"
#include "object/Nil.h"
#include "object/internal/Startup.h"

namespace dv {

void internal::registerAllClasses() {
  Object::desc();
  Class::desc();
  Nil::desc();

  if (std::getenv("DV_CLASS_LIST") != nullptr) {
    for (const Class* c = Class::first(); c != nullptr; c = c->next()) {
      std::fprintf(stderr, "class %s\n", c->name());
    }
  }
}

}  // namespace dv
