// Tests of the hashed collections: Set, IdentSet, Dictionary and IdentDict.
#include "object/Set.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "object/Allocation.h"
#include "object/Dictionary.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Integer.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/String.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::hexAddress;
using testing::runInChild;

// An Integer whose hash is the same for every value: every element collides.
class Colliding : public Integer {
 public:
  explicit Colliding(int32_t v) : Integer(v) {}
  uint32_t hash() const override { return 7; }
};

std::vector<std::unique_ptr<Integer>> integers(int n) {
  std::vector<std::unique_ptr<Integer>> out;
  for (int i = 0; i < n; ++i) out.push_back(std::make_unique<Integer>(i));
  return out;
}

TEST(SetTest, SizingRoundsUpToAPowerOfTwoSlotsTwiceTheSize) {
  EXPECT_EQ(32, Set(16).slotCount());
  EXPECT_EQ(16, Set(5).slotCount());
  EXPECT_EQ(2, Set(1).slotCount());
  EXPECT_EQ(32u, Set().slotCount());
  EXPECT_EQ(16u, Set().capacity());

  auto zero = runInChild([] { Set s(0); });
  EXPECT_EQ(1, zero.status);
  EXPECT_EQ(0u, zero.err.find("NIHCL: fatal: [ALLOCSIZE] Negative or zero object allocation size "
                              "requested: "));
  auto goesOn = runInChild([] {
    ExceptionHandlerScope lower([](int32_t&, int& severity) { severity = kWarning; });
    Set s(0);
    std::printf("%d\n", s.slotCount());
  });
  EXPECT_EQ(0, goesOn.status);
  EXPECT_EQ("2\n", goesOn.out);
}

TEST(SetTest, SeventeenthAdditionDoublesASixteenSetTo64Slots) {
  auto values = integers(17);
  Set s(16);
  for (int i = 0; i < 16; ++i) s.add(*values[i]);
  EXPECT_EQ(32, s.slotCount());
  s.add(*values[16]);
  EXPECT_EQ(64, s.slotCount());
  EXPECT_EQ(17u, s.size());
  for (auto& v : values) EXPECT_EQ(v.get(), s.findObject(*v));
}

TEST(SetTest, AddingAnEqualElementReturnsTheOneHeld) {
  Integer a(5);
  Integer b(5);
  Set s;
  EXPECT_EQ(&a, s.add(a));
  EXPECT_EQ(&a, s.add(b));
  EXPECT_EQ(1u, s.size());
  EXPECT_EQ(1u, s.occurrencesOf(b));
  EXPECT_TRUE(s.includes(b));
  EXPECT_EQ(&a, s.remove(b));
  EXPECT_TRUE(s.isEmpty());
}

// Checks that the set holds exactly the model's values, each findable.
void expectSameAs(const Set& s, const std::set<int>& model,
                  const std::vector<std::unique_ptr<Integer>>& all) {
  ASSERT_EQ(model.size(), s.size());
  for (const auto& v : all) {
    bool present = model.count(v->value()) != 0;
    ASSERT_EQ(present, s.findObject(*v) != nil()) << "value " << v->value();
  }
}

TEST(SetTest, RandomAddsAndRemovesWithCollisionsKeepEveryElementFindable) {
  std::vector<std::unique_ptr<Integer>> all;
  for (int i = 0; i < 64; ++i) all.push_back(std::make_unique<Colliding>(i));
  for (int i = 64; i < 128; ++i) all.push_back(std::make_unique<Integer>(i));
  std::mt19937 random(12345);
  Set s(8);
  std::set<int> model;
  for (int step = 0; step < 20000; ++step) {
    Integer& v = *all[random() % all.size()];
    if (random() % 3 != 0) {
      s.add(v);
      model.insert(v.value());
    } else if (model.count(v.value()) != 0) {
      EXPECT_EQ(&v, s.remove(v));
      model.erase(v.value());
    }
    if (step % 97 == 0) expectSameAs(s, model, all);
  }
  expectSameAs(s, model, all);
  // Iteration sees each element once.
  Iterator it(s);
  std::set<int> seen;
  while (Object* ob = it()) EXPECT_TRUE(seen.insert(static_cast<Integer*>(ob)->value()).second);
  EXPECT_EQ(model, seen);
}

TEST(SetTest, RemovingTheLastOfAChainOnlyClearsItsSlot) {
  Colliding a(1);
  Colliding b(2);
  Colliding c(3);
  Set s;
  s.add(a);
  s.add(b);
  s.add(c);
  EXPECT_EQ(&c, s.remove(c));
  EXPECT_EQ(&a, s.findObject(a));
  EXPECT_EQ(&b, s.findObject(b));
  EXPECT_EQ(&b, s.remove(b));  // from the middle of what is left
  EXPECT_EQ(&a, s.findObject(a));
  EXPECT_EQ(1u, s.size());
}

TEST(SetTest, IdentitySetAfterRandomRemovalsStillFindsByAddress) {
  std::vector<std::unique_ptr<Integer>> all;
  for (int i = 0; i < 200; ++i) all.push_back(std::make_unique<Integer>(i % 3));  // many equal
  IdentSet s(4);
  for (auto& v : all) s.add(*v);
  EXPECT_EQ(200u, s.size());
  for (int i = 0; i < 200; i += 2) EXPECT_EQ(all[i].get(), s.remove(*all[i]));
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(i % 2 == 1 ? all[i].get() : nil(), s.findObject(*all[i])) << i;
  }
  Integer equalButOther(1);
  EXPECT_EQ(nil(), s.findObject(equalButOther));
}

TEST(SetTest, RemovingAnAbsentElementPrintsTheSetAndReports) {
  Integer present(1);
  Integer absent(2);
  Set s(2);
  s.add(present);
  auto outcome = runInChild([&] { s.remove(absent); });
  EXPECT_EQ(1, outcome.status);
  EXPECT_EQ(0u, outcome.out.find("NIHCL_REMOVEERR: Set::remove() tried to remove an object not in "
                                 "Set.\n    obP = " +
                                 hexAddress(&absent) + " (a Integer)\n    computed index = "))
      << outcome.out;
  EXPECT_NE(std::string::npos, outcome.out.find("Contents of Set follows: \nSet(count=1 nbits=2 "
                                                "mask=3)\nsize() = 1 capacity() = 2\n"));
  EXPECT_NE(std::string::npos,
            outcome.out.find("(a Integer) refcount = -1 hash = 1 Set::h(pObj) = "));
  EXPECT_NE(std::string::npos, outcome.out.find("] = 0\n"));
  EXPECT_EQ("NIHCL: fatal: [REMOVEERR] Tried to remove object not in collection: " +
                hexAddress(&s) + "->Set::remove((Integer*)" + hexAddress(&absent) + ")\n",
            outcome.err);
}

TEST(SetTest, ReSizeAndItsFailure) {
  auto values = integers(10);
  Set s(16);
  for (auto& v : values) s.add(*v);
  EXPECT_EQ(5, s.reSize(5));  // not above the count: nothing happens
  EXPECT_EQ(32, s.slotCount());
  EXPECT_EQ(100, s.reSize(100));
  EXPECT_EQ(256, s.slotCount());
  for (auto& v : values) EXPECT_EQ(v.get(), s.findObject(*v));

  AllocationFailureScope scope;
  AllocationControl::failNth(1);  // the temporary collection's storage
  EXPECT_EQ(10, s.reSize(1000));
  EXPECT_EQ(256, s.slotCount());
  for (auto& v : values) EXPECT_EQ(v.get(), s.findObject(*v));
}

TEST(SetTest, HashEqualityAndPrint) {
  Integer a(3);
  Integer b(5);
  Set s;
  EXPECT_EQ(0u, s.hash());
  s.add(a);
  s.add(b);
  EXPECT_EQ(3u ^ 5u, s.hash());
  Set t;
  Integer a2(3);
  Integer b2(5);
  t.add(b2);
  t.add(a2);
  EXPECT_TRUE(s.isEqual(t));
  t.remove(a2);
  EXPECT_FALSE(s.isEqual(t));
  Set one;
  one.add(a);
  std::ostringstream out;
  one.printOn(out);
  EXPECT_EQ("Set[3]\n", out.str());
}

int destroyedIntegers = 0;
class Counted : public Integer {
 public:
  explicit Counted(int32_t v) : Integer(v) {}
  ~Counted() override { ++destroyedIntegers; }
};

TEST(SetTest, ContainersNeverOwnTheirElements) {
  destroyedIntegers = 0;
  Counted a(1);
  {
    Set* s = new Set;
    s->add(a);
    s->release();
  }
  EXPECT_EQ(0, destroyedIntegers);
  EXPECT_EQ(-1, a.refCount());
}

TEST(DictionaryTest, AssociationsByKey) {
  String alpha("alpha");
  String beta("beta");
  Integer one(1);
  Integer two(2);
  Dictionary d;
  Object* assoc = d.addAssoc(alpha, one);
  d.addAssoc(beta, two);
  String probe("alpha");
  EXPECT_EQ(&one, d.atKey(probe));
  EXPECT_EQ(assoc, d.assocAt(probe));
  EXPECT_TRUE(d.includesKey(probe));
  EXPECT_EQ(&beta, d.keyAtValue(two));
  EXPECT_EQ(nil(), d.keyAtValue(alpha));
  Object* removed = d.removeKey(probe);
  EXPECT_EQ(assoc, removed);
  EXPECT_FALSE(d.includesKey(probe));
  EXPECT_EQ(1u, d.size());
  delete removed;
  // Cleanup of the association the dictionary still holds.
  Iterator it(d);
  std::vector<Object*> left;
  while (Object* ob = it()) left.push_back(ob);
  for (Object* ob : left) delete d.remove(*ob);
}

TEST(DictionaryTest, MisuseIsReported) {
  String key("k");
  Integer value(1);
  Dictionary d;
  d.addAssoc(key, value);
  auto duplicate = runInChild([&] { d.addAssoc(key, value); });
  EXPECT_EQ("NIHCL: fatal: [DUPKEY] Tried to add duplicate key: " + hexAddress(&d) +
                "->Dictionary::addAssoc((String*)" + hexAddress(&key) + ")\n",
            duplicate.err);
  String missing("missing");
  auto notFound = runInChild([&] { d.atKey(missing); });
  EXPECT_EQ("NIHCL: fatal: [KEYNOTFOUND] Key not found: " + hexAddress(&d) +
                "->Dictionary::atKey((String*)" + hexAddress(&missing) + ")\n",
            notFound.err);
  auto notAKey = runInChild([&] { d.remove(value); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGCLM] Invalid argument class: expected Dictionary::remove(LookupKey), "
      "was Dictionary::remove(Integer)\n",
      notAKey.err);
  // The duplicate's new association was destroyed; the old one is still there.
  auto goesOn = runInChild([&] {
    ExceptionHandlerScope lower([](int32_t&, int& severity) { severity = kWarning; });
    Object* held = d.addAssoc(key, value);
    std::printf("%d\n", held == d.assocAt(key) && d.size() == 1);
  });
  EXPECT_EQ("1\n", goesOn.out);
  delete d.removeKey(key);
}

TEST(DictionaryTest, IdentDictComparesKeysByIdentity) {
  String first("same");
  String second("same");
  Integer one(1);
  Integer two(2);
  IdentDict d(2);
  d.addAssoc(first, one);
  d.addAssoc(second, two);  // an equal key, but another object
  EXPECT_EQ(2u, d.size());
  EXPECT_EQ(&one, d.atKey(first));
  EXPECT_EQ(&two, d.atKey(second));
  String third("same");
  EXPECT_FALSE(d.includesKey(third));
  // Many more keys, removed again: the probe chains stay intact.
  std::vector<std::unique_ptr<String>> keys;
  for (int i = 0; i < 100; ++i) {
    keys.push_back(std::make_unique<String>("k"));
    d.addAssoc(*keys.back(), one);
  }
  for (int i = 0; i < 100; i += 3) delete d.removeKey(*keys[i]);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(i % 3 != 0, d.includesKey(*keys[i])) << i;
  EXPECT_EQ(&two, d.atKey(second));

  auto absent = runInChild([&] {
    Assoc stray(third, one);
    d.remove(stray);
  });
  EXPECT_EQ(0u, absent.out.find("NIHCL_REMOVEERR: IdentDict::remove() tried to remove an object "
                                "not in Set.\n"));
  Iterator it(d);
  std::vector<Object*> left;
  while (Object* ob = it()) left.push_back(ob);
  for (Object* ob : left) delete d.remove(*ob);
}

}  // namespace
}  // namespace dv
