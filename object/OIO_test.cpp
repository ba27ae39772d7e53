// Tests of object streams: the version rules, the header, the store protocol
// and its errors, and round trips of every storable class through both the
// text and the binary stream pair, including shared references, cycles and
// damaged input.
#include "object/OIO.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "object/ArrayOb.h"
#include "object/Dictionary.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Integer.h"
#include "object/Iterator.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIOStreams.h"
#include "object/OrderedCltn.h"
#include "object/Range.h"
#include "object/Set.h"
#include "object/SortedCltn.h"
#include "object/String.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/ProcessCapture.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

using testing::DamagedRead;
using testing::readDamaged;
using testing::readFrom;
using testing::ReadMode;
using testing::releaseRead;
using testing::roundTrip;
using testing::runInChild;

class BothForms : public ::testing::TestWithParam<bool> {};

TEST_P(BothForms, ValueClassesRoundTrip) {
  bool binary = GetParam();
  Integer i(-123456);
  Object* back = roundTrip(i, binary);
  EXPECT_TRUE(back->isEqual(i));
  EXPECT_EQ(1, back->refCount());
  back->release();

  // Blanks, line breaks, braces and bytes above 127 inside a string.
  std::string odd("a b\n{c} @1 ~\xE9\x00z", 13);
  String s(odd.data(), static_cast<int32_t>(odd.size()));
  back = roundTrip(s, binary);
  EXPECT_TRUE(back->isEqual(s));
  back->release();
  String empty("");
  back = roundTrip(empty, binary);
  EXPECT_TRUE(back->isEqual(empty));
  back->release();

  Range r(3, -4);
  back = roundTrip(r, binary);
  EXPECT_TRUE(back->isEqual(r));
  back->release();
  EXPECT_EQ(nil(), roundTrip(*nil(), binary));
}

TEST_P(BothForms, PairsRoundTripWithTheirKeysAndValues) {
  bool binary = GetParam();
  String key("key");
  Integer value(9);
  Assoc assoc(key, value);
  Assoc* back = static_cast<Assoc*>(roundTrip(assoc, binary));
  EXPECT_STREQ("Assoc", back->className());
  EXPECT_TRUE(back->key()->isEqual(key));
  EXPECT_TRUE(back->value()->isEqual(value));
  back->key()->release();
  back->value()->release();
  back->release();

  AssocInt counter(key, 77);
  AssocInt* counted = static_cast<AssocInt*>(roundTrip(counter, binary));
  EXPECT_EQ(77, counted->intValue());
  EXPECT_TRUE(counted->key()->isEqual(key));
  counted->key()->release();
  counted->release();
}

// Releases a collection's elements (each once, however often it occurs), then
// the collection.
void releaseAll(Object* c) {
  std::set<Object*> elements;
  {
    Iterator it(*static_cast<Collection*>(c));
    while (Object* ob = it()) elements.insert(ob);
  }
  for (Object* ob : elements) {
    if (ob != nil()) ob->release();
  }
  c->release();
}

TEST_P(BothForms, CollectionsRoundTripWithTheirElements) {
  bool binary = GetParam();
  Integer one(1), two(2), three(3);
  String a("a"), b("b");

  OrderedCltn ordered;
  ordered.add(two);
  ordered.add(one);
  ordered.add(*nil());
  OrderedCltn* orderedBack = static_cast<OrderedCltn*>(roundTrip(ordered, binary));
  EXPECT_TRUE(orderedBack->isEqual(ordered));
  EXPECT_EQ(nil(), orderedBack->at(2));
  releaseAll(orderedBack);

  SortedCltn sorted;
  sorted.add(three);
  sorted.add(one);
  sorted.add(two);
  SortedCltn* sortedBack = static_cast<SortedCltn*>(roundTrip(sorted, binary));
  EXPECT_STREQ("SortedCltn", sortedBack->className());
  EXPECT_TRUE(sortedBack->isEqual(sorted));
  releaseAll(sortedBack);

  ArrayOb array(4);
  array[1] = &one;
  array[3] = &a;
  ArrayOb* arrayBack = static_cast<ArrayOb*>(roundTrip(array, binary));
  EXPECT_EQ(4u, arrayBack->size());
  EXPECT_EQ(nil(), (*arrayBack)[0]);
  EXPECT_TRUE((*arrayBack)[3]->isEqual(a));
  releaseAll(arrayBack);

  Set set;
  set.add(one);
  set.add(a);
  Set* setBack = static_cast<Set*>(roundTrip(set, binary));
  EXPECT_TRUE(setBack->isEqual(set));
  releaseAll(setBack);

  IdentSet identities;
  identities.add(one);
  identities.add(two);
  IdentSet* identitiesBack = static_cast<IdentSet*>(roundTrip(identities, binary));
  EXPECT_STREQ("IdentSet", identitiesBack->className());
  EXPECT_EQ(2u, identitiesBack->size());
  {
    Iterator it(*identitiesBack);
    while (Object* ob = it()) EXPECT_EQ(ob, identitiesBack->findObject(*ob));
  }
  releaseAll(identitiesBack);

  Dictionary dictionary;
  dictionary.addAssoc(a, one);
  dictionary.addAssoc(b, two);
  Dictionary* dictionaryBack = static_cast<Dictionary*>(roundTrip(dictionary, binary));
  EXPECT_TRUE(dictionaryBack->atKey(String("b"))->isEqual(two));
  for (Object* key : {static_cast<Object*>(&a), static_cast<Object*>(&b)}) {
    LookupKey* pair = static_cast<LookupKey*>(dictionaryBack->removeKey(*key));
    pair->key()->release();
    pair->value()->release();
    pair->release();
  }
  dictionaryBack->release();
  Iterator dictionaryPairs(dictionary);
  std::vector<Object*> made;
  while (Object* pair = dictionaryPairs()) made.push_back(pair);
  for (Object* pair : made) delete dictionary.remove(*pair);

  IdentDict byIdentity;
  byIdentity.addAssoc(a, one);
  IdentDict* byIdentityBack = static_cast<IdentDict*>(roundTrip(byIdentity, binary));
  EXPECT_STREQ("IdentDict", byIdentityBack->className());
  LookupKey* readPair = static_cast<LookupKey*>(Iterator(*byIdentityBack)());
  EXPECT_TRUE(readPair->key()->isEqual(a));
  EXPECT_FALSE(byIdentityBack->includesKey(a));                // another object now
  EXPECT_TRUE(byIdentityBack->includesKey(*readPair->key()));  // found by its own identity
  readPair->key()->release();
  readPair->value()->release();
  delete byIdentityBack->remove(*readPair);
  byIdentityBack->release();
  delete byIdentity.removeKey(a);

  LookupKey bare(a);
  LookupKey* bareBack = static_cast<LookupKey*>(roundTrip(bare, binary));
  EXPECT_STREQ("LookupKey", bareBack->className());
  EXPECT_TRUE(bareBack->key()->isEqual(a));
  bareBack->key()->release();
  bareBack->release();

  KeySortCltn keyed;
  Object* p1 = keyed.addAssoc(b, two);
  Object* p2 = keyed.addAssoc(a, one);
  KeySortCltn* keyedBack = static_cast<KeySortCltn*>(roundTrip(keyed, binary));
  EXPECT_EQ(0, keyedBack->indexOfKey(String("a")));
  EXPECT_TRUE(keyedBack->atKey(String("b"))->isEqual(two));
  for (int32_t i = 0; i < 2; ++i) {
    LookupKey* pair = static_cast<LookupKey*>(keyedBack->at(i));
    pair->key()->release();
    pair->value()->release();
  }
  releaseAll(keyedBack);
  delete p1;
  delete p2;
}

TEST_P(BothForms, SharedObjectsAndCyclesStayShared) {
  bool binary = GetParam();
  Integer shared(5);
  OrderedCltn inner;
  inner.add(shared);
  OrderedCltn outer;
  outer.add(inner);
  outer.add(shared);
  outer.add(inner);
  outer.add(outer);  // a cycle
  OrderedCltn* back = static_cast<OrderedCltn*>(roundTrip(outer, binary));
  OrderedCltn* innerBack = static_cast<OrderedCltn*>(back->at(0));
  EXPECT_EQ(innerBack, back->at(2));         // one object, referred to twice
  EXPECT_EQ(innerBack->at(0), back->at(1));  // the shared integer
  EXPECT_EQ(back, back->at(3));              // the cycle closes on the copy
  EXPECT_TRUE(back->at(1)->isEqual(shared));
  back->at(1)->release();
  innerBack->release();
  back->release();
}

INSTANTIATE_TEST_SUITE_P(Text, BothForms, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Binary, BothForms, ::testing::Values(true));

TEST(OIOTest, TextFormIsReadable) {
  OrderedCltn c;
  Integer one(1);
  String s("hi");
  c.add(one);
  c.add(s);
  c.add(one);
  c.add(*nil());
  std::string text;
  releaseAll(roundTrip(c, false, &text));
  std::string expected = "2 6 \n{OrderedCltn " + std::to_string(OrderedCltn::desc().signature()) +
                         " 4 {Integer " + std::to_string(Integer::desc().signature()) +
                         " 1 } {String " + std::to_string(String::desc().signature()) +
                         " 2 hi} @1 ~ } \n";
  EXPECT_EQ(expected, text);
}

TEST(OIOTest, ObjectsAreSavedToAndReadFromFiles) {
  char name[] = "/tmp/dvsql-oio-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  Integer one(1);
  String word("word");
  Dictionary d;
  d.addAssoc(word, one);
  {
    std::ofstream file(name, std::ios::binary);
    BinaryOIOout out(file);
    d.storeOn(static_cast<OIOoutbin&>(out));
    word.storeOn(static_cast<OIOoutbin&>(out));  // a second top-level object
  }
  std::ifstream file(name, std::ios::binary);
  BinaryOIOin in(file);
  Dictionary* back = static_cast<Dictionary*>(in.readObject());
  Object* second = in.readObject();
  EXPECT_EQ(0, in.severity());
  EXPECT_TRUE(back->atKey(String("word"))->isEqual(one));
  EXPECT_TRUE(second->isEqual(word));
  second->release();
  LookupKey* pair = static_cast<LookupKey*>(back->removeKey(String("word")));
  pair->key()->release();
  pair->value()->release();
  pair->release();
  back->release();
  delete d.removeKey(word);
  std::remove(name);
}

TEST(OIOTest, VersionRules) {
  std::stringstream sink;
  TextOIOout out(sink);
  EXPECT_EQ(6, out.setVersion(-1));
  EXPECT_EQ(2, out.dataFormat());
  EXPECT_EQ(0, out.severity());
  EXPECT_EQ(3, out.setVersion(3));
  EXPECT_EQ(1, out.dataFormat());
  EXPECT_EQ(-2, out.setVersion(-2));
  EXPECT_EQ(1, out.dataFormat());
  EXPECT_EQ(5, out.setVersion(5));
  EXPECT_EQ(0, out.severity());
  EXPECT_EQ(5, out.setVersion(6));  // 6 only through -1
  EXPECT_EQ(2, out.dataFormat());
  EXPECT_EQ(0x40140016u, out.code());
  EXPECT_STREQ("Object input data format error: versions incompatible.", out.messageText());

  std::stringstream header("2 6 \n");
  TextOIOin in(header);
  EXPECT_EQ(6, in.setVersion(-1));
  EXPECT_EQ(3, in.setVersion(3));
  EXPECT_EQ(1, in.dataFormat());
  EXPECT_EQ(-2, in.setVersion(-2));
  EXPECT_EQ(1, in.dataFormat());  // unchanged by -2
  EXPECT_EQ(6, in.setVersion(6));
  EXPECT_EQ(0, in.severity());
  EXPECT_EQ(6, in.setVersion(9));
  EXPECT_EQ(2, in.dataFormat());
  EXPECT_EQ(0x40140016u, in.code());
}

TEST(OIOTest, HeaderSetsFormatAndVersionOrAFatalStatus) {
  std::stringstream four("2 4 \n");
  TextOIOin in(four);
  EXPECT_EQ(2, in.dataFormat());
  EXPECT_EQ(4, in.version());
  EXPECT_EQ(0, in.severity());

  std::stringstream three("3 \n");
  TextOIOin bad(three);
  EXPECT_EQ(2, bad.dataFormat());  // unchanged
  EXPECT_EQ(7, bad.severity());
  EXPECT_EQ(0x7014000Fu, bad.code());
  EXPECT_STREQ("Cannot interpret input data.\nVersions incompatible.", bad.messageText());

  std::stringstream old("1 \n");
  TextOIOin formatOne(old);
  EXPECT_EQ(1, formatOne.dataFormat());
}

TEST(OIOTest, FirstStoreAndPendingObjects) {
  std::stringstream sink;
  TextOIOout out(sink);
  Integer a(1);
  EXPECT_TRUE(out.firstStore(a));
  EXPECT_FALSE(out.firstStore(a));
  EXPECT_TRUE(out.firstStore(Integer(2)));

  int32_t before = Startup::count();
  Integer* queued = new Integer(3);
  out.addPending(*queued);
  out.flushPending();  // released: it was the only reference
  EXPECT_EQ(before, Startup::count());
}

// A class whose storer stores its part by reference and then as a member, or
// the other way round, to provoke the store protocol's errors.
class Mixed : public Integer {
 public:
  Mixed(Object& part, bool memberFirst) : part_(part), memberFirst_(memberFirst) {}
  void storer(OIOout& s) const override {
    if (memberFirst_) {
      part_.storeMemberOn(s);
      part_.storeOn(s);
    } else {
      part_.storeOn(s);
      part_.storeMemberOn(s);
    }
  }
  Object& part_;
  bool memberFirst_;
};

TEST(OIOTest, StoreProtocolErrors) {
  Integer part(4);
  auto outside = runInChild([&] {
    std::stringstream sink;
    TextOIOout out(sink);
    part.storeMemberOn(out);
  });
  EXPECT_EQ(1, outside.status);
  EXPECT_EQ("NIHCL: fatal: [BADSTMBR] " + testing::hexAddress(&part) +
                "->Integer::storeMemberOn() not called from Object::storeOn()\n",
            outside.err);

  Mixed referenceThenMember(part, false);
  auto stmbrref = runInChild([&] {
    std::stringstream sink;
    TextOIOout out(sink);
    referenceThenMember.storeOn(out);
  });
  EXPECT_EQ("NIHCL: fatal: [STMBRREF] Attempt to store member variable object with reference @1: " +
                testing::hexAddress(&part) + "->Integer::storeOn()\n",
            stmbrref.err);

  Mixed memberThenReference(part, true);
  auto strefmbr = runInChild([&] {
    std::stringstream sink;
    BinaryOIOout out(sink);
    memberThenReference.storeOn(static_cast<OIOoutbin&>(out));
  });
  EXPECT_EQ("NIHCL: fatal: [STREFMBR] Attempt to store reference to member variable object: " +
                testing::hexAddress(&part) + "->Integer::storeOn()\n",
            strefmbr.err);
}

TEST(OIOTest, SingleValuesAndReadUntil) {
  for (bool binary : {false, true}) {
    std::stringstream buffer;
    {
      std::unique_ptr<OIOout> out = testing::openOut(buffer, binary);
      *out << 'a' << static_cast<char>(0xE9) << ';' << true << int16_t{-7} << uint16_t{65535}
           << int32_t{-2147483647 - 1} << uint32_t{4294967295u} << int64_t{-5} << 1.5f << 0.1
           << "text";
    }
    std::unique_ptr<OIOin> in;
    if (binary) {
      in.reset(new BinaryOIOin(buffer));
    } else {
      in.reset(new TextOIOin(buffer));
    }
    std::stringbuf until;
    in->readUntil(until, ';');
    EXPECT_EQ("a\xE9", until.str()) << binary;
    bool flag = false;
    int16_t s16 = 0;
    uint16_t u16 = 0;
    int32_t s32 = 0;
    uint32_t u32 = 0;
    int64_t s64 = 0;
    float f = 0;
    double d = 0;
    *in >> flag >> s16 >> u16 >> s32 >> u32 >> s64 >> f >> d;
    char text[8];
    in->readString(text, sizeof text);
    EXPECT_TRUE(flag);
    EXPECT_EQ(-7, s16);
    EXPECT_EQ(65535, u16);
    EXPECT_EQ(-2147483647 - 1, s32);
    EXPECT_EQ(4294967295u, u32);
    EXPECT_EQ(-5, s64);
    EXPECT_EQ(1.5f, f);
    EXPECT_EQ(0.1, d);  // exactly: 17 digits in the text form
    EXPECT_STREQ("text", text);
    EXPECT_EQ(0, in->severity());
    // Nothing is left: one more value is the end of the input.
    std::stringbuf rest;
    auto outcome = runInChild([&] { in->readUntil(rest, ';'); });
    EXPECT_EQ(0u, outcome.err.find("NIHCL: fatal: [RDEOF]")) << outcome.err;
  }
}

TEST(OIOTest, ReadStringOverflowAndBoundary) {
  std::stringstream fits("2 6 \n3 abc");
  TextOIOin in(fits);
  char buf[4];
  in.readString(buf, sizeof buf);
  EXPECT_STREQ("abc", buf);

  auto overflow = runInChild([] {
    std::stringstream exact("2 6 \n4 abcd");
    TextOIOin in(exact);
    char small[4];
    in.readString(small, sizeof small);
  });
  EXPECT_EQ(1, overflow.status);
  EXPECT_EQ(
      "NIHCL: fatal: [STROV] String buffer overflowed during read of string \"abcd\" (4 "
      "characters)\n",
      overflow.err);

  auto goesOn = runInChild([] {
    ExceptionHandlerScope lower([](int32_t&, int& severity) { severity = kWarning; });
    std::stringstream longer("2 6 \n6 abcdef42 ");
    TextOIOin in(longer);
    char small[4];
    in.readString(small, sizeof small);
    int32_t next = 0;
    in >> next;  // the stream is still in step
    std::printf("%s %d\n", small, next);
  });
  EXPECT_EQ("abc 42\n", goesOn.out);
}

struct Damage {
  const char* name;
  bool binary;
  std::function<std::string(const std::string&)> change;
  const char* message;  // the start of the report
};

TEST(OIOTest, DamagedInputIsReportedNotCrashed) {
  Integer one(1);
  String s("text");
  OrderedCltn c;
  c.add(one);
  c.add(s);
  std::string text;
  std::string binary;
  releaseAll(roundTrip(c, false, &text));
  releaseAll(roundTrip(c, true, &binary));
  std::vector<Damage> cases = {
      {"text cut short", false, [](const std::string& t) { return t.substr(0, t.size() - 9); },
       "NIHCL: fatal: [RDEOF] Premature EOF encountered on input stream\n"},
      {"binary cut short", true, [](const std::string& b) { return b.substr(0, b.size() - 3); },
       "NIHCL: fatal: [RDEOF] Premature EOF encountered on input stream\n"},
      {"unknown class", false,
       [](const std::string& t) {
         std::string d = t;
         d.replace(d.find("{Integer"), 8, "{Integex");
         return d;
       },
       "NIHCL: fatal: [RDUNKCLASS] Tried to read object of unknown class Integex\n"},
      {"changed signature", false,
       [](const std::string& t) {
         std::string d = t;
         std::string sig = std::to_string(Integer::desc().signature());
         d.replace(d.find("{Integer " + sig), 9 + sig.size(), "{Integer 12345");
         return d;
       },
       "NIHCL: fatal: [RDBADSIG] Incorrect class Integer signature encountered on read: expected "},
      {"garbage", false, [](const std::string&) { return std::string("2 6 \nxyz "); },
       "NIHCL: fatal: [RDSYNERR] Syntax error on input stream: expected an object, was xyz ...\n"},
      {"bad reference", true,
       [](const std::string& b) {
         std::string d = b.substr(0, 8);
         d += 'R';
         d += std::string("\x00\x00\x00\x07", 4);
         return d;
       },
       "NIHCL: fatal: [RDSYNERR] Syntax error on input stream: expected a reference to an object "
       "read before, was 7 ...\n"},
      {"binary garbage tag", true, [](const std::string& b) { return b.substr(0, 8) + "Zzzz"; },
       "NIHCL: fatal: [RDSYNERR] Syntax error on input stream: expected an object, was 0x5a ...\n"},
      {"huge name length", true,
       [](const std::string& b) {
         std::string d = b.substr(0, 9);
         d += std::string("\x7f\xff\xff\xff", 4);
         return d;
       },
       "NIHCL: fatal: [RDSYNERR] Syntax error on input stream: expected a class name, was "
       "2147483647 ...\n"},
  };
  for (const Damage& d : cases) {
    std::string damaged = d.change(d.binary ? binary : text);
    auto outcome = runInChild([&] { readFrom(damaged, d.binary); });
    EXPECT_TRUE(outcome.exited) << d.name << " signal " << outcome.signal;
    EXPECT_EQ(1, outcome.status) << d.name;
    EXPECT_EQ(0u, outcome.err.find(d.message)) << d.name << ": " << outcome.err;

    // Raised instead of reported, the error reaches a catch region and the
    // read table keeps no object of the failed read.
    auto caught = runInChild([&] {
      ExceptionAction eof(nihcl::RDEOF);
      ExceptionAction syntax(nihcl::RDSYNERR);
      ExceptionAction unknown(nihcl::RDUNKCLASS);
      ExceptionAction signature(nihcl::RDBADSIG);
      std::stringstream buffer(damaged);
      int32_t code = 0;
      int32_t kept = -1;
      if (d.binary) {
        BinaryOIOin in(buffer);
        code = catchRegion([&] { in.readObject(); });
        kept = static_cast<int32_t>(in.readTable().size());
      } else {
        TextOIOin in(buffer);
        code = catchRegion([&] { in.readObject(); });
        kept = static_cast<int32_t>(in.readTable().size());
      }
      std::printf("%d %d\n", code != 0, kept);
    });
    EXPECT_EQ("1 0\n", caught.out) << d.name << ": " << caught.err;
  }
}

TEST(OIOTest, ClassesThatCannotBeReadRefuse) {
  std::string record = "2 6 \n{Class " + std::to_string(Class::desc().signature()) + " } ";
  auto descriptor = runInChild([&] { readFrom(record, false); });
  EXPECT_EQ(0u, descriptor.err.find(
                    "NIHCL: fatal: [RDUNKCLASS] Tried to read object of unknown class Class\n"));
  std::string abstract =
      "2 6 \n{Collection " + std::to_string(Collection::desc().signature()) + " } ";
  auto collection = runInChild([&] { readFrom(abstract, false); });
  EXPECT_EQ(
      0u, collection.err.find("NIHCL: fatal: [RDABSTCLASS] Tried to read object of abstract class "
                              "Collection\n"));
}

// The signature of class T as a record writes it.
template <class T>
std::string sig() {
  return std::to_string(T::desc().signature());
}

// One record of the text form: "{Name signature fields".
template <class T>
std::string rec(const std::string& fields) {
  return "{" + std::string(T::desc().name()) + " " + sig<T>() + " " + fields;
}

std::string textStream(const std::string& records) {
  return "2 6 \n" + records;
}

// Every way of surviving a read error must leave the same outcome: nil, an
// error status, an empty table and only read errors raised; leaks show under
// LeakSanitizer, and allocations sized by a stored count under AddressSanitizer.
void expectRefused(const std::string& name, const std::string& bytes, bool binary) {
  for (ReadMode mode : {ReadMode::kReported, ReadMode::kRaised}) {
    for (bool seekable : {true, false}) {
      DamagedRead r = readDamaged(bytes, binary, mode, seekable);
      std::string where = name + (mode == ReadMode::kRaised ? " raised" : " reported") +
                          (seekable ? " seekable" : " one-way");
      EXPECT_TRUE(r.answeredNil) << where;
      EXPECT_GE(r.severity, kError) << where;
      EXPECT_EQ(0, r.kept) << where;
      EXPECT_TRUE(testing::isReadError(r.error)) << where << ": error " << std::hex << r.error;
    }
  }
}

TEST(OIODamageTest, CountsAndLengthsBeyondTheInputAllocateNothingAndFail) {
  expectRefused("huge set", textStream(rec<Set>("600000000 } ")), false);
  expectRefused("huge identity dictionary", textStream(rec<IdentDict>("268435456 } ")), false);
  expectRefused("huge ordered", textStream(rec<OrderedCltn>("2000000000 } ")), false);
  expectRefused("huge sorted", textStream(rec<SortedCltn>("2000000000 } ")), false);
  expectRefused("huge array", textStream(rec<ArrayOb>("2000000000 } ")), false);
  expectRefused("longest string", textStream(rec<String>("2147483647 x")), false);
  expectRefused("negative count", textStream(rec<Set>("-1 } ")), false);
  // Some elements arrive, then the input ends.
  expectRefused("ordered cut short",
                textStream(rec<OrderedCltn>("2000000000 " + rec<Integer>("1 } "))), false);
  expectRefused("array cut short",
                textStream(rec<ArrayOb>("300000 " + rec<Integer>("1 } ") + "~ ~ ")), false);
}

TEST(OIODamageTest, HashedCollectionsRefuseCyclesAndWrongElements) {
  // A set holding itself, directly and through a pair of sets.
  expectRefused("set in itself", textStream(rec<Set>("1 @0 } ")), false);
  expectRefused("set through set", textStream(rec<Set>("1 " + rec<Set>("1 @0 } ") + "} ")), false);
  expectRefused("inner set in itself", textStream(rec<Set>("1 " + rec<Set>("1 @1 } ") + "} ")),
                false);
  // A sequence that holds itself is fine alone, but no hashed collection may
  // hold it: hashing it would never end.
  std::string selfHolding = rec<OrderedCltn>("1 @1 } ");
  expectRefused("cyclic element", textStream(rec<Set>("1 " + selfHolding + "} ")), false);
  expectRefused("cyclic element read before",
                textStream(rec<OrderedCltn>("2 " + selfHolding + rec<Set>("1 @1 } ") + "} ")),
                false);
  expectRefused("dictionary key back to it",
                textStream(rec<Dictionary>("1 " + rec<Assoc>("@0 ~ } ") + "} ")), false);
  expectRefused("identity set in itself", textStream(rec<IdentSet>("1 @0 } ")), false);
  // Elements a dictionary or a key-sorted collection cannot use.
  expectRefused("dictionary of an integer",
                textStream(rec<Dictionary>("1 " + rec<Integer>("1 } ") + "} ")), false);
  expectRefused("identity dictionary of a string",
                textStream(rec<IdentDict>("1 " + rec<String>("1 x} ") + "} ")), false);
  expectRefused("key-sorted of an integer",
                textStream(rec<KeySortCltn>("1 " + rec<Integer>("1 } ") + "} ")), false);

  // A cycle that no hashed collection looks into still reads back.
  std::stringstream ok(
      textStream(rec<OrderedCltn>("2 " + rec<Set>("1 " + rec<Integer>("7 } ") + "} ") + "@0 } ")));
  TextOIOin in(ok);
  OrderedCltn* back = static_cast<OrderedCltn*>(in.readObject());
  ASSERT_EQ(0, in.severity()) << in.messageText();
  EXPECT_EQ(back, back->at(1));
  EXPECT_EQ(3u, in.readTable().size());  // the sequence, the set and the integer
  releaseRead(in);
}

TEST(OIODamageTest, FailedReadsDestroyWhatTheyMade) {
  // A record whose contents read but whose end is wrong.
  expectRefused("bad end", textStream(rec<Integer>("1 ] ")), false);
  // Objects finished before the failure in the same read.
  expectRefused("unknown class after elements",
                textStream(rec<OrderedCltn>("3 " + rec<Integer>("1 } ") + rec<String>("2 ab} ") +
                                            "{Nope 1 } } ")),
                false);
  expectRefused("bad reference",
                textStream(rec<OrderedCltn>("2 " + rec<Integer>("1 } ") + "@9 } ")), false);
  expectRefused("pair cut short", textStream(rec<Assoc>(rec<String>("1 k} "))), false);
  // Nesting deeper than a read accepts.
  std::string deep;
  for (uint32_t i = 0; i <= OIOin::kMaxReadDepth; ++i) deep += rec<OrderedCltn>("1 ");
  expectRefused("too deep", textStream(deep), false);
}

TEST(OIODamageTest, BinaryFormRefusesTheSameDamage) {
  // Made by storing real objects, then changing the stored count in place.
  OrderedCltn c;
  Integer one(1);
  c.add(one);
  std::string bytes;
  releaseAll(roundTrip(c, true, &bytes));
  // Header (8 bytes), 'O', the name's length and name, the signature, then the count.
  std::size_t count = 8 + 1 + 4 + std::strlen("OrderedCltn") + 4;
  std::string huge = bytes;
  huge.replace(count, 4, std::string("\x77\x35\x94\x00", 4));  // 2000000000
  expectRefused("binary huge count", huge, true);
  std::string tooDeep = bytes.substr(0, 8);
  for (uint32_t i = 0; i <= OIOin::kMaxReadDepth; ++i) tooDeep += bytes.substr(8, count - 8 + 4);
  expectRefused("binary too deep", tooDeep, true);
}

TEST(OIODamageTest, AReadThatGoesThroughHandsItsObjectsToTheCaller) {
  // A pair read twice by reference: the caller gets each object once.
  Integer key(1);
  String value("v");
  Assoc pair(key, value);
  OrderedCltn c;
  c.add(pair);
  c.add(pair);
  c.add(key);
  std::stringstream buffer;
  {
    TextOIOout out(buffer);
    c.storeOn(out);
    c.storeOn(out);  // a second top-level object starts a new table
  }
  TextOIOin in(buffer);
  Object* first = in.readObject();
  ASSERT_EQ(0, in.severity());
  EXPECT_EQ(first, in.readTable().at(0));
  EXPECT_EQ(4u, in.readTable().size());  // the sequence, the pair, its key and its value
  releaseRead(in);
  Object* second = in.readObject();
  ASSERT_EQ(0, in.severity());
  EXPECT_EQ(4u, in.readTable().size());
  EXPECT_TRUE(second->isEqual(c));
  releaseRead(in);
}

}  // namespace
}  // namespace dv
