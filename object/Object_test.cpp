// Tests of the object root, class descriptors, nil and the library start-up.
#include "object/Object.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "object/Allocation.h"
#include "object/BitTables.h"
#include "object/Class.h"
#include "object/Nil.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::hexAddress;
using testing::runInChild;

int destroyedProbes = 0;

// A minimal concrete class; the hierarchy below it tests class relations.
class Probe : public Object {
 public:
  Probe() = default;
  explicit Probe(bool fail) {
    if (fail) throw std::runtime_error("constructor fails");
  }
  ~Probe() override { ++destroyedProbes; }
  static const Class& desc() {
    static const Class* const bases[] = {&Object::desc(), nullptr};
    static const Class* const none[] = {nullptr};
    static const Class d("Probe", bases, none, none, 1, Class::kIdent, sizeof(Probe), nullptr,
                         nullptr, nullptr, nullptr);
    return d;
  }
  const Class* isA() const override { return &desc(); }
  Object* shallowCopy() const override { return new Probe(*this); }
  int compare(const Object&) const override { return 0; }
  uint32_t hash() const override { return 7; }
  bool isEqual(const Object& o) const override { return &o == this; }
  void printOn(std::ostream& out) const override { out << "probe"; }
  void* _castdown(const Class& target) const override {
    if (&target == &desc()) return const_cast<Probe*>(this);
    return Object::_castdown(target);
  }
};

// Defines a class Name deriving from Base with its own descriptor.
#define DV_TEST_CLASS(Name, Base)                                                             \
  class Name : public Base {                                                                  \
   public:                                                                                    \
    static const Class& desc() {                                                              \
      static const Class* const bases[] = {&Base::desc(), nullptr};                           \
      static const Class* const none[] = {nullptr};                                           \
      static const Class d(#Name, bases, none, none, 1, Class::kIdent, sizeof(Name), nullptr, \
                           nullptr, nullptr, nullptr);                                        \
      return d;                                                                               \
    }                                                                                         \
    const Class* isA() const override { return &desc(); }                                     \
    Object* shallowCopy() const override { return new Name(*this); }                          \
    void* _castdown(const Class& target) const override {                                     \
      if (&target == &desc()) return const_cast<Name*>(this);                                 \
      return Base::_castdown(target);                                                         \
    }                                                                                         \
  }

DV_TEST_CLASS(Animal, Probe);
DV_TEST_CLASS(Mammal, Animal);
DV_TEST_CLASS(Whale, Mammal);
DV_TEST_CLASS(Rock, Probe);

// A class with two Probe parts, reached through two bases.
DV_TEST_CLASS(Left, Probe);
DV_TEST_CLASS(Right, Probe);
class Both : public Left, public Right {
 public:
  static const Class& desc() {
    static const Class* const bases[] = {&Left::desc(), &Right::desc(), nullptr};
    static const Class* const none[] = {nullptr};
    static const Class d("Both", bases, none, none, 1, Class::kIdent, sizeof(Both), nullptr,
                         nullptr, nullptr, nullptr);
    return d;
  }
  const Class* isA() const override { return &desc(); }
  Object* shallowCopy() const override { return static_cast<Left*>(new Both(*this)); }
  void* _castdown(const Class& target) const override {
    if (&target == &desc()) return const_cast<Both*>(this);
    return Left::castdownBases(target, Left::_castdown(target), Right::_castdown(target));
  }
};

TEST(ObjectTest, HeapObjectsAreCountedAndDestroyedByTheLastRelease) {
  destroyedProbes = 0;
  Probe* p = new Probe;
  EXPECT_EQ(1, p->refCount());
  p->addRef();
  EXPECT_EQ(2, p->refCount());
  p->release();
  EXPECT_EQ(0, destroyedProbes);
  p->release();
  EXPECT_EQ(1, destroyedProbes);
}

TEST(ObjectTest, StaticAutomaticAndMemberObjectsAreNotCounted) {
  static Probe staticProbe;
  Probe automatic;
  struct Holder : Probe {
    Probe member;
  };
  Holder* holder = new Holder;
  for (const Object* o :
       {static_cast<const Object*>(&staticProbe), static_cast<const Object*>(&automatic),
        static_cast<const Object*>(&holder->member)}) {
    EXPECT_EQ(-1, o->refCount());
    o->addRef();
    o->release();
    o->release();
    EXPECT_EQ(-1, o->refCount());
  }
  EXPECT_EQ(1, holder->refCount());
  destroyedProbes = 0;
  holder->release();
  EXPECT_EQ(2, destroyedProbes);  // the holder and its member
}

TEST(ObjectTest, CopiesAreNewObjectsWithTheirOwnCount) {
  Probe automatic;
  Object* copy = automatic.shallowCopy();
  EXPECT_EQ(1, copy->refCount());
  Probe* heap = new Probe;
  heap->addRef();
  Probe assigned;
  assigned = *heap;  // assignment keeps each object's own count
  EXPECT_EQ(-1, assigned.refCount());
  EXPECT_EQ(2, heap->refCount());
  copy->release();
  heap->release();
  heap->release();
}

TEST(ObjectTest, FullPendingStackLeavesLaterObjectsUncounted) {
  // Blocks allocated for objects whose constructors have not run yet.
  std::vector<void*> blocks;
  for (int i = 0; i < kPendingAllocations; ++i) blocks.push_back(Object::operator new(64));
  Probe* unrecorded = new Probe;
  EXPECT_EQ(-1, unrecorded->refCount());
  for (void* b : blocks) Object::operator delete(b);
  delete unrecorded;
  // The stack is usable again.
  Probe* counted = new Probe;
  EXPECT_EQ(1, counted->refCount());
  counted->release();
}

TEST(ObjectTest, FailedConstructionLeavesNoPendingEntry) {
  EXPECT_THROW(new Probe(true), std::runtime_error);
  Probe automatic;  // would match a stale entry if one were left at the same place
  EXPECT_EQ(-1, automatic.refCount());
  Probe* counted = new Probe;
  EXPECT_EQ(1, counted->refCount());
  counted->release();
}

TEST(ObjectTest, AllocationFailureOfObjects) {
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_THROW(new Probe, std::bad_alloc);
  AllocationControl::failNth(1);
  EXPECT_EQ(nullptr, new (std::nothrow) Probe);
  Probe* after = new Probe;  // nothing was left recorded by the failures
  EXPECT_EQ(1, after->refCount());
  after->release();
}

TEST(ObjectTest, ClassTestsThroughSeveralBases) {
  Whale whale;
  EXPECT_STREQ("Whale", whale.className());
  EXPECT_TRUE(whale.isKindOf(Whale::desc()));
  EXPECT_TRUE(whale.isKindOf(Animal::desc()));
  EXPECT_TRUE(whale.isKindOf(Object::desc()));
  EXPECT_FALSE(whale.isKindOf(Rock::desc()));
  EXPECT_TRUE(whale.isSpecies(Whale::desc()));
  EXPECT_FALSE(whale.isSpecies(Mammal::desc()));
  Mammal mammal;
  EXPECT_FALSE(mammal.isKindOf(Whale::desc()));
}

TEST(ObjectTest, CheckedDownwardCast) {
  Whale whale;
  const Object* asObject = &whale;
  EXPECT_EQ(static_cast<Mammal*>(&whale), castdown<Mammal>(asObject));
  EXPECT_EQ(static_cast<Probe*>(&whale), castdown<Probe>(asObject));
  EXPECT_EQ(asObject, castdown<Object>(asObject));

  auto bad = runInChild([&] { castdown<Rock>(asObject); });
  EXPECT_TRUE(bad.exited);
  EXPECT_EQ(1, bad.status);
  EXPECT_EQ("NIHCL: fatal: [BADCASTDN] Invalid downward cast: " + hexAddress(&whale) +
                "->Whale::_safe_castdown(Rock)\n",
            bad.err);
}

TEST(ObjectTest, CastThroughTwoBasesToASharedClassIsAmbiguous) {
  Both both;
  const Object* viaLeft = static_cast<const Left*>(&both);
  EXPECT_EQ(&both, castdown<Both>(viaLeft));
  EXPECT_EQ(static_cast<Right*>(&both), castdown<Right>(viaLeft));
  auto ambiguous = runInChild([&] { castdown<Probe>(viaLeft); });
  EXPECT_EQ(1, ambiguous.status);
  EXPECT_EQ("NIHCL: fatal: [AMBIGCASTDN] Ambiguous downward cast: " + hexAddress(viaLeft) +
                "->Both::_castdown(Probe)\n",
            ambiguous.err);
}

TEST(ObjectTest, InheritedOperations) {
  Probe p;
  EXPECT_EQ(0u, p.size());
  EXPECT_EQ(0u, p.capacity());
  EXPECT_EQ(-1, p.streamTypeNumber());
  EXPECT_EQ(nullptr, p.newForStream());
  EXPECT_EQ(&Probe::desc(), p.species());
  EXPECT_EQ(nil(), p.removeDependent(p));
  std::ostringstream dump;
  p.dumpOn(dump);
  EXPECT_EQ("Probe[probe]\n", dump.str());
  Object* copy = p.copy();
  EXPECT_EQ(1, copy->refCount());
  copy->release();
}

TEST(ObjectTest, ErrorReportsNameTheObjectAndOperation) {
  Probe p;
  auto scan = runInChild([&] {
    std::istringstream in("x");
    p.scanFrom(in);
  });
  EXPECT_EQ(1, scan.status);
  EXPECT_EQ("NIHCL: fatal: [DRVDCLASSRSP] Unimplemented function " + hexAddress(&p) +
                "->Probe::scanFrom()\n",
            scan.err);

  auto update = runInChild([&] { p.update(p, p); });
  EXPECT_EQ("NIHCL: fatal: [DRVDCLASSRSP] Unimplemented function " + hexAddress(&p) +
                "->Probe::update()\n",
            update.err);

  auto argClass = runInChild([&] { p.assertArgClass(*nil(), Animal::desc(), "add"); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGCLM] Invalid argument class: expected Probe::add(Animal), was "
      "Probe::add(Nil)\n",
      argClass.err);

  auto plainArg = runInChild([&] { p.invalidArgSpecies(Rock::desc(), "grind"); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGSP] Invalid argument species: expected grind(Rock), was "
      "grind(Probe)\n",
      plainArg.err);

  auto wrongClass = runInChild([&] { p.invalidClass(Whale::desc()); });
  EXPECT_EQ("NIHCL: fatal: [BADCLASS] Invalid object class: expected Whale, was Probe\n",
            wrongClass.err);
}

TEST(ClassTest, ReadersOfAbstractClassesAndOfDescriptorsRefuse) {
  // The readers fail before they touch the stream, so any reference will do.
  alignas(16) static char notAStream[64];
  auto abstract =
      runInChild([] { Object::desc().readerText()(reinterpret_cast<OIOin&>(notAStream)); });
  EXPECT_EQ(1, abstract.status);
  EXPECT_EQ("NIHCL: fatal: [RDABSTCLASS] Tried to read object of abstract class Object\n",
            abstract.err);
  auto abstractBinary =
      runInChild([] { Object::desc().readerBinary()(reinterpret_cast<OIOinbin&>(notAStream)); });
  EXPECT_EQ(abstract.err, abstractBinary.err);
  auto descriptor =
      runInChild([] { Class::desc().readerText()(reinterpret_cast<OIOin&>(notAStream)); });
  EXPECT_EQ("NIHCL: fatal: [RDUNKCLASS] Tried to read object of unknown class Class\n",
            descriptor.err);
  auto descriptorBinary =
      runInChild([] { Class::desc().readerBinary()(reinterpret_cast<OIOinbin&>(notAStream)); });
  EXPECT_EQ(descriptor.err, descriptorBinary.err);
}

TEST(ClassTest, SignatureExamplesAndNeverZero) {
  EXPECT_EQ(1u, Object::desc().signature());
  EXPECT_EQ(9u, Class::desc().signature());  // rotl(1, 3) + 1
  EXPECT_EQ(9u, Nil::desc().signature());
  EXPECT_EQ(9u, Probe::desc().signature());
  EXPECT_EQ(rotateSignature(9) + 1, Animal::desc().signature());

  static const Class* const bases[] = {&Probe::desc(), &Animal::desc(), nullptr};
  static const Class* const members[] = {&Object::desc(), nullptr};
  static const Class withMembers("WithMembers", bases, members, nullptr, 3, Class::kIdent, 8,
                                 nullptr, nullptr, nullptr, nullptr);
  uint32_t s = rotateSignature(0) + 9;
  s = rotateSignature(s) + Animal::desc().signature();
  s = rotateSignature(s) + 1;
  s = rotateSignature(s) + 3;
  EXPECT_EQ(s, withMembers.signature());

  // No bases, no members, version 0: the sum is 0, which is never a signature.
  static const Class* const none[] = {nullptr};
  static const Class empty("Empty", none, none, none, 0, Class::kIdent, 8, nullptr, nullptr,
                           nullptr, nullptr);
  EXPECT_EQ(1u, empty.signature());
}

TEST(ClassTest, ListOfAllClassesIsNewestFirstWithTheLibrarysOwnAtTheEnd) {
  std::vector<std::string> names;
  for (const Class* c = Class::first(); c != nullptr; c = c->next()) names.push_back(c->name());
  ASSERT_GE(names.size(), 3u);
  // Made before main in a fixed order: Object, then Class, then Nil.
  EXPECT_EQ("Object", names[names.size() - 1]);
  EXPECT_EQ("Class", names[names.size() - 2]);
  EXPECT_EQ("Nil", names[names.size() - 3]);
}

int hookRuns = 0;
const Class* hookSaw = nullptr;
void immediateHook(const Class& c) {
  ++hookRuns;
  hookSaw = &c;
}

TEST(ClassTest, ConstructorEntersListAndRunsTheImmediateHook) {
  static const Class* const none[] = {nullptr};
  const Class* before = Class::first();
  static const Class hooked("Hooked", none, none, none, 1, Class::kIdent, 8, nullptr, nullptr,
                            &immediateHook, nullptr);
  EXPECT_EQ(1, hookRuns);
  EXPECT_EQ(&hooked, hookSaw);
  EXPECT_EQ(&hooked, Class::first());
  EXPECT_EQ(before, hooked.next());
  EXPECT_EQ(0u, hooked.creations());
  EXPECT_EQ(0u, hooked.number());
  EXPECT_EQ(-1, hooked.refCount());
}

TEST(ClassTest, PrintDumpAndComparison) {
  std::ostringstream print;
  Nil::desc().printOn(print);
  EXPECT_EQ("NilUnique_ID1" + std::to_string(sizeof(Nil)), print.str());

  std::ostringstream dump;
  Nil::desc().dumpOn(dump);
  EXPECT_EQ(
      "Class[Nil\nident: Unique_ID\nversion: 1\nsignature: 9\nnumber: 0\n"
      "base classes: Object\nmember classes:\nvirtual base classes: Object\n]\n",
      dump.str());

  static const Class missing("Missing", nullptr, nullptr, nullptr, 1, Class::kIdent, 8, nullptr,
                             nullptr, nullptr, nullptr);
  std::ostringstream missingDump;
  missing.dumpOn(missingDump);
  EXPECT_NE(
      std::string::npos,
      missingDump.str().find("base classes: zero pointer to base classes!\n"
                             "member classes: zero pointer to member classes!\n"
                             "virtual base classes: zero pointer to virtual base classes!\n"));

  EXPECT_LT(Class::desc().compare(Nil::desc()), 0);  // "Class" < "Nil"
  EXPECT_GT(Nil::desc().compare(Class::desc()), 0);
  EXPECT_EQ(0, Nil::desc().compare(Nil::desc()));
  EXPECT_TRUE(Nil::desc().isEqual(Nil::desc()));
  EXPECT_FALSE(Nil::desc().isEqual(Class::desc()));
  EXPECT_EQ(sizeof(Nil), Nil::desc().size());
  EXPECT_EQ(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&Nil::desc())), Nil::desc().hash());
  EXPECT_TRUE(Nil::desc().isKindOf(Class::desc()));

  Probe p;
  auto compareOther = runInChild([&] { Class::desc().compare(p); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGSPM] Invalid argument species: expected Class::compare(Class), was "
      "Class::compare(Probe)\n",
      compareOther.err);
  auto deepen = runInChild([] { const_cast<Class&>(Class::desc()).deepenShallowCopy(); });
  EXPECT_EQ("NIHCL: fatal: [ILLEGALMFCN] Illegal function " + hexAddress(&Class::desc()) +
                "->Class::deepenShallowCopy()\n",
            deepen.err);
}

TEST(NilTest, TheSingleNilObject) {
  Object* n = nil();
  ASSERT_NE(nullptr, n);
  EXPECT_STREQ("Nil", n->className());
  EXPECT_EQ(n, n->shallowCopy());
  EXPECT_EQ(n, n->copy());
  EXPECT_EQ(0u, n->hash());
  EXPECT_TRUE(n->isEqual(*nil()));
  Probe p;
  EXPECT_FALSE(n->isEqual(p));
  EXPECT_EQ(0, n->compare(*nil()));
  std::ostringstream print;
  n->printOn(print);
  n->dumpOn(print);
  EXPECT_EQ("NILNIL", print.str());
  EXPECT_EQ(n, castdown<Nil>(n));
  EXPECT_EQ(n, castdown<Object>(n));

  auto compareProbe = runInChild([&] { nil()->compare(p); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGSPM] Invalid argument species: expected Nil::compare(Nil), was "
      "Nil::compare(Probe)\n",
      compareProbe.err);
}

TEST(StartupTest, RanOnceAndFilledTheBitTables) {
  Probe p;
  EXPECT_EQ(1, Startup::initializations());
  EXPECT_GT(Startup::count(), 0);
  int before = Startup::count();
  {
    Probe another;
    EXPECT_EQ(before + 1, Startup::count());
  }
  EXPECT_EQ(before, Startup::count());
  EXPECT_EQ(1, Startup::initializations());

  const BitTables& t = bitTables();
  EXPECT_EQ(128, t.byteMasks[7]);
  EXPECT_EQ(0x8000, t.shortMasks[15]);
  EXPECT_EQ(0x80000000u, t.longMasks[31]);
  EXPECT_EQ(0, t.bitCounts[0]);
  EXPECT_EQ(8, t.bitCounts[255]);
  EXPECT_EQ(3, t.bitCounts[0x85]);
  EXPECT_EQ(0x80, t.reversedBits[0x01]);
  EXPECT_EQ(0xF0, t.reversedBits[0x0F]);
  EXPECT_EQ(0xA1, t.reversedBits[0x85]);
}

}  // namespace
}  // namespace dv
