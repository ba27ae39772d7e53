// The tagged value stream under the fuzzer (see fuzz/TableStreamFuzz.h).
#include "fuzz/TableStreamFuzz.h"

#include <string>

#include "fuzz/Targets.h"
#include "stream/TableStream.h"

namespace dv {
namespace fuzz {
namespace {

constexpr int kMaxMessages = 4;

std::string hexOf(const uint8_t* p, std::size_t n) {
  static const char* const digits = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < n && i < 256; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

// The bytes of ob written as one message; violated when it cannot be written.
std::string writeOf(const Object& ob, const char* what) {
  TableStream out(nullptr, 0);
  if (!out.writeMessage(ob)) violated(what, out.status()->messageText());
  return std::string(reinterpret_cast<const char*>(out.written()), out.writtenSize());
}

}  // namespace

int runTableStream(const uint8_t* data, std::size_t size) {
  TableStream in(data, size);
  for (int i = 0; i < kMaxMessages; ++i) {
    Object* ob = nullptr;
    if (!in.readMessage(ob)) {
      if (ob != nullptr) violated("a failed read answers null", "");
      if (in.status()->severity() == 0) violated("a failed read sets the status", "");
      break;
    }
    std::string first = writeOf(*ob, "a message read without error writes again");
    ob->release();
    TableStream again(reinterpret_cast<const uint8_t*>(first.data()), first.size());
    Object* back = nullptr;
    if (!again.readMessage(back)) {
      violated("the written form reads back", again.status()->messageText());
    }
    std::string second = writeOf(*back, "the written form writes again");
    back->release();
    if (first != second) {
      const auto* a = reinterpret_cast<const uint8_t*>(first.data());
      const auto* b = reinterpret_cast<const uint8_t*>(second.data());
      violated("the written form writes back to the same bytes",
               (hexOf(a, first.size()) + "\n" + hexOf(b, second.size())).c_str());
    }
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
