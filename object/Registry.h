// The process-wide services of the object framework that rest on
// collections: the registry of all classes with look-up by name, the table of
// prototypes by stream type number, creation statistics, and the state of one
// deep copy (see Object::deepCopy).
#ifndef DV_OBJECT_REGISTRY_H_
#define DV_OBJECT_REGISTRY_H_

#include <iosfwd>

#include "object/Object.h"

namespace dv {

class Class;

// Fills the class dictionary from the list of all classes (computing each
// signature), then runs every registry hook; once: later calls do nothing.
void buildRegistry();
// True once buildRegistry has run.
bool registryBuilt();

// The descriptor registered under name, or null. Searches the dictionary as
// it stands: before buildRegistry every look-up gives null.
const Class* lookUp(const char* name);

// Registers object as the prototype of stream type number `number` (0 or more);
// the table doubles until the number fits. The object must live until exit.
void registerPrototype(Object* object, int number);
// The prototype of `number`, or nil() when there is none.
Object* prototype(int number);

// Statistics: one more instance of c created or destroyed.
inline void countCreation(Class& c);
inline void countDestruction(Class& c);

// Writes the creation and destruction counts of every registered class, in
// the class dictionary's order.
void printCounts(std::ostream& out);

// During a deep copy: true the first time an object's deepenShallowCopy runs,
// false when it already ran for that object (so that shared parts are
// deepened once). Outside a deep copy it is always true.
bool markDeepened(const Object& ob);

}  // namespace dv

#include "object/Class.h"

namespace dv {
inline void countCreation(Class& c) {
  c.countCreation();
}
inline void countDestruction(Class& c) {
  c.countDestruction();
}
}  // namespace dv

#endif  // DV_OBJECT_REGISTRY_H_
