// Tests of the class registry, prototypes, creation counts, deep copy and
// dependents.
#include "object/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "object/Class.h"
#include "object/Dictionary.h"
#include "object/Integer.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"
#include "object/String.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::runInChild;

TEST(RegistryDeathTest, LookUpFindsNothingBeforeTheRegistryIsBuilt) {
  // "threadsafe" runs the statement in a freshly started copy of this binary,
  // where no test has built the registry yet.
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        bool before = !registryBuilt() && lookUp("Nil") == nullptr && lookUp("Object") == nullptr;
        buildRegistry();
        bool after = lookUp("Nil") == &Nil::desc();
        std::exit(before && after ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(RegistryTest, LookUpAfterTheRegistryIsBuilt) {
  buildRegistry();
  buildRegistry();  // once only
  EXPECT_TRUE(registryBuilt());
  EXPECT_EQ(&Nil::desc(), lookUp("Nil"));
  EXPECT_EQ(nil()->isA(), lookUp("Nil"));
  EXPECT_EQ(&OrderedCltn::desc(), lookUp("OrderedCltn"));
  EXPECT_EQ(nullptr, lookUp("NoSuchClass"));
  EXPECT_EQ(nullptr, lookUp(""));
}

TEST(RegistryTest, PrototypeTableGrowsAndAnswersNilOutside) {
  // Numbers no class of the library uses: the prototypes stay registered
  // for the rest of the test program.
  static Integer seven(7);
  static Integer big(9);
  registerPrototype(&seven, 97);
  registerPrototype(&big, 300);  // beyond the first table: it doubles until 300 fits
  EXPECT_EQ(&seven, prototype(97));
  EXPECT_EQ(&big, prototype(300));
  EXPECT_EQ(nil(), prototype(299));
  EXPECT_EQ(nil(), prototype(100000));
  EXPECT_EQ(nil(), prototype(-1));
}

TEST(RegistryTest, PrintCountsListsEveryClassWithItsCounts) {
  buildRegistry();
  std::ostringstream out;
  printCounts(out);
  std::string text = out.str();
  EXPECT_EQ(0u, text.find("\nObject creations and destructions by class:\n\n"
                          "Classname      Creations       Destructions\n\n"));
  EXPECT_NE(std::string::npos, text.find("\nNil    0    0\n"));
  EXPECT_NE(std::string::npos, text.find("\nOrderedCltn    0    0\n"));
  EXPECT_EQ("\n\n", text.substr(text.size() - 2));
}

TEST(DeepCopyTest, SharedPartsStaySharedInTheCopy) {
  Integer shared(42);
  Integer other(7);
  OrderedCltn first;
  first.add(shared);
  first.add(other);
  OrderedCltn second;
  second.add(shared);
  OrderedCltn outer;
  outer.add(first);
  outer.add(second);

  OrderedCltn* copy = static_cast<OrderedCltn*>(outer.deepCopy());
  OrderedCltn* firstCopy = static_cast<OrderedCltn*>(copy->at(0));
  OrderedCltn* secondCopy = static_cast<OrderedCltn*>(copy->at(1));
  EXPECT_NE(&first, firstCopy);
  EXPECT_NE(&shared, firstCopy->at(0));
  EXPECT_TRUE(firstCopy->at(0)->isEqual(shared));
  EXPECT_EQ(firstCopy->at(0), secondCopy->at(0));  // shared again in the copy
  EXPECT_TRUE(copy->isEqual(outer));
  // The copies belong to the caller: containers do not own them.
  firstCopy->at(0)->release();
  firstCopy->at(1)->release();
  firstCopy->release();
  secondCopy->release();
  copy->release();
}

TEST(DeepCopyTest, CyclesAndNilAreCopiedOnce) {
  OrderedCltn* loop = new OrderedCltn;
  loop->add(*loop);  // it contains itself
  loop->add(*nil());
  OrderedCltn* copy = static_cast<OrderedCltn*>(loop->deepCopy());
  EXPECT_NE(loop, copy);
  EXPECT_EQ(copy, copy->at(0));  // the cycle closes on the copy
  EXPECT_EQ(nil(), copy->at(1));
  EXPECT_EQ(nil(), nil()->deepCopy());
  copy->release();
  loop->release();
}

TEST(DeepCopyTest, DictionariesAndIdentityCollectionsAreRebuilt) {
  String key("k");
  Integer value(1);
  IdentDict d;
  d.addAssoc(key, value);
  IdentDict* copy = static_cast<IdentDict*>(d.deepCopy());
  ASSERT_EQ(1u, copy->size());
  LookupKey* assoc = static_cast<LookupKey*>(Iterator(*copy)());
  EXPECT_NE(&key, assoc->key());
  // Found by the copied key's identity, not the original's.
  EXPECT_EQ(assoc->value(), copy->atKey(*assoc->key()));
  EXPECT_FALSE(copy->includesKey(key));
  assoc->key()->release();
  assoc->value()->release();
  delete copy->removeKey(*assoc->key());
  copy->release();
  delete d.removeKey(key);
}

// Records the updates it receives.
class Watcher : public Integer {
 public:
  explicit Watcher(int32_t v) : Integer(v) {}
  void update(const Object& dependee, const Object& arg) override {
    seen.push_back(std::make_pair(&dependee, &arg));
  }
  std::vector<std::pair<const Object*, const Object*>> seen;
};

TEST(DependentsTest, ChangedTellsEveryDependentInOrder) {
  Integer model(1);
  Watcher a(1);
  Watcher b(2);
  EXPECT_EQ(&a, model.addDependent(a));
  model.addDependent(b);
  Integer arg(5);
  model.changed(arg);
  model.changed();
  ASSERT_EQ(2u, a.seen.size());
  EXPECT_EQ(&model, a.seen[0].first);
  EXPECT_EQ(&arg, a.seen[0].second);
  EXPECT_EQ(nil(), a.seen[1].second);
  EXPECT_EQ(2u, b.seen.size());
  OrderedCltn* list = model.dependents();
  EXPECT_EQ(2u, list->size());
  EXPECT_EQ(&a, list->at(0));
  list->release();
  model.releaseDependents();
  OrderedCltn* none = model.dependents();
  EXPECT_EQ(0u, none->size());
  none->release();
}

TEST(DependentsTest, DictionaryIsDestroyedWithTheLastDependentAndMadeAgain) {
  Integer model(1);
  Watcher a(1);
  Watcher equalToA(1);  // equal, but not the same dependent
  model.addDependent(a);
  model.addDependent(equalToA);
  EXPECT_EQ(nil(), model.removeDependent(Integer(1)));  // by identity only
  EXPECT_EQ(&equalToA, model.removeDependent(equalToA));
  EXPECT_TRUE(internal::anyDependents);
  EXPECT_EQ(&a, model.removeDependent(a));
  EXPECT_FALSE(internal::anyDependents);  // the last one: the dictionary is gone
  model.addDependent(a);
  EXPECT_TRUE(internal::anyDependents);
  model.removeDependent(a);
  EXPECT_FALSE(internal::anyDependents);
}

TEST(DependentsTest, UpdatesSeeASnapshotAndDestroyedObjectsDropTheirDependents) {
  Integer model(1);
  class Remover : public Watcher {
   public:
    Remover(Object& m) : Watcher(0), model_(m) {}
    void update(const Object& d, const Object& arg) override {
      Watcher::update(d, arg);
      model_.removeDependent(*this);  // changes the list while it is walked
    }
    Object& model_;
  };
  Remover first(model);
  Watcher second(2);
  model.addDependent(first);
  model.addDependent(second);
  model.changed();
  EXPECT_EQ(1u, first.seen.size());
  EXPECT_EQ(1u, second.seen.size());  // still told, from the snapshot

  {
    Integer* dying = new Integer(3);
    dying->addDependent(second);
    dying->release();
  }
  model.removeDependent(second);
  EXPECT_FALSE(internal::anyDependents);
}

}  // namespace
}  // namespace dv
