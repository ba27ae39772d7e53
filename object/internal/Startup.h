// Pieces of the library start-up that live beside the classes they make.
#ifndef DV_OBJECT_INTERNAL_STARTUP_H_
#define DV_OBJECT_INTERNAL_STARTUP_H_

namespace dv {
namespace internal {

// Makes the nil object (object/Nil.cpp).
void createNil();
// Fills the bit tables (object/BitTables.cpp).
void fillBitTables();

}  // namespace internal
}  // namespace dv

#endif  // DV_OBJECT_INTERNAL_STARTUP_H_
