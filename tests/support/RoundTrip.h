// Test support: stores an object through the text or the binary object
// stream and reads it back, so that every storable class can be checked for
// what survives the trip.
#ifndef DV_TESTS_SUPPORT_ROUNDTRIP_H_
#define DV_TESTS_SUPPORT_ROUNDTRIP_H_

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "object/OIOStreams.h"
#include "object/Object.h"

namespace dv {
namespace testing {

// Writes ob with storeOn through the chosen stream kind and reads it back;
// the stored bytes go to *bytes when it is given.
inline Object* roundTrip(const Object& ob, bool binary, std::string* bytes = nullptr) {
  std::stringstream buffer;
  if (binary) {
    BinaryOIOout out(buffer);
    ob.storeOn(static_cast<OIOoutbin&>(out));
  } else {
    TextOIOout out(buffer);
    ob.storeOn(out);
  }
  if (bytes != nullptr) *bytes = buffer.str();
  if (binary) {
    BinaryOIOin in(buffer);
    Object* back = in.readObject();
    EXPECT_EQ(0, in.severity()) << in.messageText();
    return back;
  }
  TextOIOin in(buffer);
  Object* back = in.readObject();
  EXPECT_EQ(0, in.severity()) << in.messageText();
  return back;
}

// Reads one object from raw stream bytes.
inline Object* readFrom(const std::string& bytes, bool binary) {
  std::stringstream buffer(bytes);
  if (binary) {
    BinaryOIOin in(buffer);
    return in.readObject();
  }
  TextOIOin in(buffer);
  return in.readObject();
}

}  // namespace testing
}  // namespace dv

#endif  // DV_TESTS_SUPPORT_ROUNDTRIP_H_
