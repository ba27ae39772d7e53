// Test support: stores an object through the text or the binary object
// stream and reads it back, so that every storable class can be checked for
// what survives the trip.
#ifndef DV_TESTS_SUPPORT_ROUNDTRIP_H_
#define DV_TESTS_SUPPORT_ROUNDTRIP_H_

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "object/OIOStreams.h"
#include "object/Object.h"

namespace dv {
namespace testing {

// An output stream of the chosen form over out, at version (-1: the current).
inline std::unique_ptr<OIOout> openOut(std::ostream& out, bool binary, int32_t version = -1) {
  if (binary) return std::make_unique<BinaryOIOout>(out, version);
  return std::make_unique<TextOIOout>(out, version);
}

// An input stream of the chosen form over in.
inline std::unique_ptr<OIOin> openIn(std::istream& in, bool binary) {
  if (binary) return std::make_unique<BinaryOIOin>(in);
  return std::make_unique<TextOIOin>(in);
}

// Writes ob with storeOn through the chosen stream kind and reads it back;
// the stored bytes go to *bytes when it is given.
inline Object* roundTrip(const Object& ob, bool binary, std::string* bytes = nullptr) {
  std::stringstream buffer;
  ob.storeOn(*openOut(buffer, binary));
  if (bytes != nullptr) *bytes = buffer.str();
  std::unique_ptr<OIOin> in = openIn(buffer, binary);
  Object* back = in->readObject();
  EXPECT_EQ(0, in->severity()) << in->messageText();
  return back;
}

// Reads one object from raw stream bytes.
inline Object* readFrom(const std::string& bytes, bool binary) {
  std::stringstream buffer(bytes);
  return openIn(buffer, binary)->readObject();
}

}  // namespace testing
}  // namespace dv

#endif  // DV_TESTS_SUPPORT_ROUNDTRIP_H_
