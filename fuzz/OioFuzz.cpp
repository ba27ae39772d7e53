// The object-stream fuzzing entry: reading, the ownership checks and the
// round-trip check of one input (see fuzz/OioFuzz.h).
#include "fuzz/OioFuzz.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <unordered_set>
#include <vector>

#include "datum/Datum.h"
#include "fuzz/Targets.h"
#include "object/Collection.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIOStreams.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"

namespace dv {
namespace fuzz {
namespace {

// The longest excerpt of an input shown in a report.
constexpr std::size_t kExcerptLength = 160;

// The input bytes as a stream buffer, read in place. The readers only take
// characters out of it, so the bytes are never written.
class ByteSource : public std::streambuf {
 public:
  ByteSource(const uint8_t* data, std::size_t size) {
    char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
    setg(begin, begin, begin + size);
  }

  // Whether nothing that could start another object is left: no byte at all
  // for the binary form, only white space for the text form (which the text
  // reader skips before every token, so skipping it here changes nothing).
  bool usedUp(bool binary) {
    if (!binary) {
      while (gptr() < egptr() && isBlank(*gptr())) gbump(1);
    }
    return gptr() == egptr();
  }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }
};

// While it lives, the read errors of damaged input RAISE to the innermost
// catch region instead of ending the process. These are the codes the
// readers raise; any other framework error met while reading is a finding.
class RaiseReadErrors {
 private:
  ExceptionAction endOfInput_{nihcl::RDEOF};
  ExceptionAction syntax_{nihcl::RDSYNERR};
  ExceptionAction unknownClass_{nihcl::RDUNKCLASS};
  ExceptionAction badSignature_{nihcl::RDBADSIG};
  ExceptionAction abstractClass_{nihcl::RDABSTCLASS};
  ExceptionAction stringOverflow_{nihcl::STROV};
};

// Once per process: a report that ends the process aborts, so that the
// sanitizers and the fuzzer see a crash with its stack.
void prepareProcess() {
  static const bool prepared = [] {
    ReportOptions options = reportOptions();
    options.abortMode = 1;
    setReportOptions(options);
    return true;
  }();
  (void)prepared;
}

// The first bytes of data, with what is not printable escaped, for a report.
std::string excerpt(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size() && i < kExcerptLength; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  if (data.size() > kExcerptLength) out += "...";
  return out;
}

[[noreturn]] void violated(const char* what, const std::string& detail) {
  fuzz::violated(what, detail.c_str());
}

// What ended a read: the code it raised, or the stream's status.
std::string failure(const OIOin* in, int32_t raised) {
  static const struct {
    int32_t code;
    const char* name;
  } kNames[] = {{nihcl::RDEOF, "RDEOF"},
                {nihcl::RDSYNERR, "RDSYNERR"},
                {nihcl::RDUNKCLASS, "RDUNKCLASS"},
                {nihcl::RDBADSIG, "RDBADSIG"},
                {nihcl::RDABSTCLASS, "RDABSTCLASS"},
                {nihcl::STROV, "STROV"}};
  if (raised == 0 && in != nullptr) return std::string("stream status: ") + in->messageText();
  for (const auto& n : kNames) {
    if (n.code == raised) return std::string("raised ") + n.name;
  }
  return "raised code " + std::to_string(raised);
}

std::unique_ptr<OIOin> openInput(std::istream& in, bool binary) {
  if (binary) return std::make_unique<BinaryOIOin>(in);
  return std::make_unique<TextOIOin>(in);
}

// The objects the caller owns after a read without error that answered
// answer: the read table, checked to list the answer first when the answer is
// counted (a shared object, such as the success status, is nobody's and is
// not listed; nor is anything for a nil answer), and only counted objects,
// each once.
std::vector<Object*> ownedObjects(const OIOin& in, Object* answer) {
  const OrderedCltn& table = in.readTable();
  std::vector<Object*> owned;
  for (int32_t i = 0; i < static_cast<int32_t>(table.size()); ++i) owned.push_back(table.at(i));
  std::string listed = "read table of " + std::to_string(owned.size()) + " objects, answer " +
                       (answer == nil() ? std::string("nil") : answer->className());
  if (answer == nil() && !owned.empty()) {
    violated("a read that answered nil left objects in the read table", listed);
  }
  bool counted = answer != nil() && answer->refCount() >= 1;
  if (counted && (owned.empty() || owned.front() != answer)) {
    violated("the read table does not list the answer first", listed);
  }
  std::unordered_set<const Object*> distinct;
  for (Object* ob : owned) {
    if (ob == nil()) violated("the read table lists nil", listed);
    if (!distinct.insert(ob).second) {
      violated("the read table lists an object twice", listed + ", twice: " + ob->className());
    }
    if (ob->refCount() < 1) {
      violated("the read table lists an object that is not counted",
               listed + ", " + ob->className() + " count " + std::to_string(ob->refCount()));
    }
  }
  return owned;
}

void releaseAll(const std::vector<Object*>& owned) {
  for (Object* ob : owned) ob->release();
}

// Whether a hashed collection (a Set or a class derived from it) can be
// reached from root through collection elements and the keys and values of
// pairs. Such a collection stores its elements in slot order, and that order
// is not a property of the value: it follows the addresses of the elements
// for the identity-hashed classes, and for the others the order in which
// elements whose hashes collide were added and the table's size at the time,
// which the next read changes (two colliding elements trade places on every
// store and read).
bool reachesHashedCollection(Object* root) {
  std::vector<Object*> pending{root};
  std::unordered_set<Object*> seen;
  while (!pending.empty()) {
    Object* ob = pending.back();
    pending.pop_back();
    if (ob == nil() || !seen.insert(ob).second) continue;
    if (ob->isKindOf(Set::desc())) return true;
    if (ob->isKindOf(Collection::desc())) {
      Iterator it(*static_cast<Collection*>(ob));
      while (Object* element = it()) pending.push_back(element);
    } else if (ob->isKindOf(LookupKey::desc())) {
      pending.push_back(static_cast<LookupKey*>(ob)->key());
      if (ob->isKindOf(Assoc::desc())) pending.push_back(static_cast<Assoc*>(ob)->value());
    }
  }
  return false;
}

// The version to store with so that the stored form has the layout of what
// was read: the output side reaches the current version through -1 only, and
// takes any version below 4 as the old format.
int32_t storeVersion(const OIOin& in) {
  int32_t v = in.version();
  if (in.dataFormat() == kOIOFormatOld) return v >= 0 && v < 4 ? v : 3;
  return v >= 4 && v < kOIOCurrentVersion ? v : -1;
}

std::string store(const Object& ob, int32_t version, bool binary) {
  std::ostringstream bytes;
  if (binary) {
    BinaryOIOout out(bytes, version);
    ob.storeOn(static_cast<OIOoutbin&>(out));
    if (out.severity() >= kError) violated("storing failed", out.messageText());
  } else {
    TextOIOout out(bytes, version);
    ob.storeOn(out);
    if (out.severity() >= kError) violated("storing failed", out.messageText());
  }
  return bytes.str();
}

// Reads the one object that stored holds and stores it again; the bytes of
// that second store.
std::string storeReadBack(const std::string& stored, bool binary) {
  ByteSource source(reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
  std::istream is(&source);
  std::unique_ptr<OIOin> in;
  Object* back = nil();
  int32_t code = catchRegion([&] {
    in = openInput(is, binary);
    back = in->readObject();
  });
  if (code != 0 || in->severity() >= kError) {
    violated("a stored object does not read back",
             failure(in.get(), code) + "\nstored: " + excerpt(stored));
  }
  if (!source.usedUp(binary)) {
    violated("reading a stored object back leaves bytes over", "stored: " + excerpt(stored));
  }
  std::vector<Object*> owned = ownedObjects(*in, back);
  std::string again = store(*back, storeVersion(*in), binary);
  releaseAll(owned);
  return again;
}

// The stored form of ob reads back without error and stores again to the
// same bytes; with a hashed collection in the graph only the first half holds
// (see reachesHashedCollection).
void checkRoundTrip(Object& ob, const OIOin& in, bool binary) {
  std::string second = store(ob, storeVersion(in), binary);
  std::string third = storeReadBack(second, binary);
  if (second != third && !reachesHashedCollection(&ob)) {
    violated("an object read back stores to other bytes",
             "first store:  " + excerpt(second) + "\nsecond store: " + excerpt(third));
  }
}

}  // namespace

int runOioInput(const uint8_t* data, std::size_t size, bool binary) {
  prepareProcess();
  RaiseReadErrors raise;
  ByteSource source(data, size);
  std::istream is(&source);
  std::unique_ptr<OIOin> in;
  if (catchRegion([&] { in = openInput(is, binary); }) != 0) return 0;  // no usable header
  for (int n = 0; n < kMaxObjectsPerInput && in->severity() < kError && !source.usedUp(binary);
       ++n) {
    Object* ob = nil();
    int32_t code = catchRegion([&] { ob = in->readObject(); });
    if (code != 0 || in->severity() >= kError) {
      // What a failed read made is gone by now: its addresses are not looked at.
      if (code == 0 && ob != nil()) {
        violated("a failed read answered an object", failure(in.get(), 0));
      }
      if (in->readTable().size() != 0) {
        violated("a failed read left objects in the read table",
                 std::to_string(in->readTable().size()) + " objects; " + failure(in.get(), code));
      }
      return 0;
    }
    std::vector<Object*> owned = ownedObjects(*in, ob);
    checkRoundTrip(*ob, *in, binary);
    releaseAll(owned);
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
