// Tests of the sequences and the array: ArrayOb, OrderedCltn, SortedCltn,
// KeySortCltn, and iteration over them.
#include "object/OrderedCltn.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "object/Allocation.h"
#include "object/ArrayOb.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Iterator.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/Set.h"
#include "object/SortedCltn.h"
#include "object/String.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::hexAddress;
using testing::runInChild;

std::vector<int32_t> valuesOf(const Collection& c) {
  std::vector<int32_t> out;
  Iterator it(c);
  while (Object* ob = it()) out.push_back(static_cast<Integer*>(ob)->value());
  return out;
}

// An Integer with a tag, to tell elements that compare equal apart.
class Tagged : public Integer {
 public:
  Tagged(int32_t v, char tag) : Integer(v), tag(tag) {}
  char tag;
};

TEST(ArrayObTest, SlotsIndexingAndReSize) {
  ArrayOb a(3);
  EXPECT_EQ(3u, a.size());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(nil(), a[i]);
  Integer x(1);
  a[2] = &x;
  EXPECT_EQ(5, a.reSize(5));
  EXPECT_EQ(&x, a[2]);
  EXPECT_EQ(nil(), a[4]);
  EXPECT_EQ(1, a.reSize(0));  // at least one slot
  EXPECT_EQ(1u, a.size());
  EXPECT_EQ(nil(), a[0]);

  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_EQ(-1, a.reSize(10));
  EXPECT_EQ(1u, a.size());

  auto out = runInChild([&] { a[1]; });
  EXPECT_EQ("NIHCL: fatal: [INDEXRANGE] Index out of range: " + hexAddress(&a) +
                "->ArrayOb::operator[]()\n",
            out.err);
}

TEST(ArrayObTest, SortRefusedOperationsAndDump) {
  Integer three(3);
  Integer one(1);
  Integer two(2);
  ArrayOb a(3);
  a[0] = &three;
  a[1] = &one;
  a[2] = &two;
  a.sort();
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), valuesOf(a));

  for (const char* op : {"add", "remove", "occurrencesOf"}) {
    auto refused = runInChild([&] {
      std::string name = op;
      if (name == "add") a.add(one);
      if (name == "remove") a.remove(one);
      if (name == "occurrencesOf") a.occurrencesOf(one);
    });
    EXPECT_EQ("NIHCL: fatal: [ILLEGALMFCN] Illegal function " + hexAddress(&a) +
                  "->ArrayOb::" + op + "()\n",
              refused.err);
  }
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), valuesOf(a));

  ArrayOb b(2);
  b[0] = &one;
  std::ostringstream dump;
  b.dumpOn(dump);
  std::ostringstream address;
  address << static_cast<const void*>(&one)
          << " (a Integer) refcount = -1\n    [1] = " << static_cast<const void*>(nil())
          << " (a Nil) refcount = " << nil()->refCount();
  EXPECT_EQ("\nArrayOb(size=2,capacity=2):\n    [0] = " + address.str() + "\n", dump.str());
}

TEST(OrderedCltnTest, GrowsBy32SlotsOnlyWhenFull) {
  std::vector<std::unique_ptr<Integer>> v;
  for (int i = 0; i < 17; ++i) v.push_back(std::make_unique<Integer>(i));
  OrderedCltn c;
  for (int i = 0; i < 16; ++i) c.add(*v[i]);
  EXPECT_EQ(16u, c.capacity());
  c.add(*v[16]);
  EXPECT_EQ(48u, c.capacity());
  EXPECT_EQ(17u, c.size());
  EXPECT_EQ(16, static_cast<Integer*>(c.last())->value());
}

TEST(OrderedCltnTest, PositionalOperations) {
  Integer a(1), b(2), c(3), d(4), e(5);
  OrderedCltn o;
  o.add(a);
  o.add(c);
  o.addAfter(a, b);    // 1 2 3
  o.addBefore(a, d);   // 4 1 2 3
  o.addAtIndex(4, e);  // 4 1 2 3 5
  EXPECT_EQ((std::vector<int32_t>{4, 1, 2, 3, 5}), valuesOf(o));
  EXPECT_EQ(&b, o.after(a));
  EXPECT_EQ(nil(), o.after(e));
  EXPECT_EQ(&a, o.before(b));
  EXPECT_EQ(nil(), o.before(d));
  EXPECT_EQ(&d, o.first());
  EXPECT_EQ(2, o.indexOf(b));
  EXPECT_EQ(-1, o.indexOf(Integer(9)));
  EXPECT_EQ(&d, o.removeAtIndex(0));
  EXPECT_EQ(&e, o.removeLast());
  EXPECT_EQ(&b, o.remove(Integer(2)));
  EXPECT_EQ((std::vector<int32_t>{1, 3}), valuesOf(o));
  EXPECT_EQ(2u, o.size());

  OrderedCltn sub;
  sub.add(c);
  EXPECT_EQ(1, o.indexOfSubCollection(sub));
  OrderedCltn* joined = o & sub;
  EXPECT_EQ((std::vector<int32_t>{1, 3, 3}), valuesOf(*joined));
  o.replaceFrom(1, 1, *joined, 0);
  EXPECT_EQ((std::vector<int32_t>{1, 1}), valuesOf(o));
  delete joined;
  o.atAllPut(e);
  EXPECT_EQ((std::vector<int32_t>{5, 5}), valuesOf(o));
  o.add(a);
  o.sort();
  EXPECT_EQ((std::vector<int32_t>{1, 5, 5}), valuesOf(o));
  EXPECT_EQ(2u, o.occurrencesOf(e));
  EXPECT_EQ(3u ^ 1u ^ 5u ^ 5u, o.hash());
}

TEST(OrderedCltnTest, AddAllReSizesOnceAndCanAddItself) {
  std::vector<std::unique_ptr<Integer>> v;
  OrderedCltn source(40);
  for (int i = 0; i < 30; ++i) {
    v.push_back(std::make_unique<Integer>(i));
    source.add(*v.back());
  }
  OrderedCltn target;
  target.addAll(source);
  EXPECT_EQ(30u + 32u, target.capacity());
  target.addAll(target);
  EXPECT_EQ(60u, target.size());
  EXPECT_EQ(29, static_cast<Integer*>(target.at(59))->value());
}

TEST(CollectionTest, RemoveAllTakesOutOneOccurrencePerElementAndCanEmptyItself) {
  Integer a(1), b(2), c(3);
  OrderedCltn seq;
  for (Integer* x : {&a, &b, &a, &c}) seq.add(*x);
  OrderedCltn gone;
  gone.add(a);
  gone.add(c);
  EXPECT_EQ(&gone, &seq.removeAll(gone));
  EXPECT_EQ((std::vector<int32_t>{2, 1}), valuesOf(seq));

  // Removing a collection's elements from itself walks what it held at the start.
  seq.removeAll(seq);
  EXPECT_TRUE(seq.isEmpty());
  Set set;
  for (Integer* x : {&a, &b, &c}) set.add(*x);
  set.removeAll(set);
  EXPECT_TRUE(set.isEmpty());
}

TEST(OrderedCltnTest, EmptyCollectionAndMissingObjectReports) {
  OrderedCltn o;
  auto first = runInChild([&] { o.first(); });
  EXPECT_EQ(
      "NIHCL: fatal: [CLTNEMPTY] Collection empty: " + hexAddress(&o) + "->OrderedCltn::first()\n",
      first.err);
  auto last = runInChild([&] { o.last(); });
  EXPECT_NE(std::string::npos, last.err.find("->OrderedCltn::last()\n"));
  Integer x(1);
  auto after = runInChild([&] { o.addAfter(x, x); });
  EXPECT_EQ("NIHCL: fatal: [OBNOTFOUND] Object not found: " + hexAddress(&o) +
                "->OrderedCltn::addAfter((Integer*)" + hexAddress(&x) + ")\n",
            after.err);
}

TEST(OrderedCltnTest, SequenceComparisonAndEquality) {
  Integer one(1), two(2), three(3);
  OrderedCltn a;
  a.add(one);
  a.add(two);
  OrderedCltn b;
  b.add(one);
  b.add(two);
  EXPECT_EQ(0, a.compare(b));
  EXPECT_TRUE(a.isEqual(b));
  b.add(three);
  EXPECT_EQ(-1, a.compare(b));  // a ends first
  EXPECT_EQ(1, b.compare(a));
  EXPECT_FALSE(a.isEqual(b));
  OrderedCltn c;
  c.add(two);
  EXPECT_LT(a.compare(c), 0);  // 1 against 2
  std::ostringstream out;
  a.printOn(out);
  EXPECT_EQ("OrderedCltn[12]\n", out.str());

  Set s;
  auto notASequence = runInChild([&] { a.compare(s); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGCLM] Invalid argument class: expected OrderedCltn::compare(SeqCltn), "
      "was OrderedCltn::compare(Set)\n",
      notASequence.err);
}

TEST(SortedCltnTest, KeepsOrderAndInsertionOrderOfEqualElements) {
  Tagged a(5, 'a'), b(5, 'b'), c(5, 'c'), low(1, 'l'), high(9, 'h'), mid(7, 'm');
  SortedCltn s;
  for (Integer* x : std::vector<Integer*>{&a, &high, &b, &low, &c, &mid}) s.add(*x);
  EXPECT_EQ((std::vector<int32_t>{1, 5, 5, 5, 7, 9}), valuesOf(s));
  std::string tags;
  for (int i = 0; i < 6; ++i) tags += static_cast<Tagged*>(s.at(i))->tag;
  EXPECT_EQ("labcmh", tags);  // equal elements in insertion order, the newest last

  EXPECT_EQ(-1, s.findIndexOf(Integer(0)));
  EXPECT_EQ(0, s.findIndexOf(Integer(1)));
  EXPECT_EQ(0, s.findIndexOf(Integer(3)));  // the last element less than 3
  EXPECT_EQ(5, s.findIndexOf(Integer(10)));
  EXPECT_EQ(4, s.findIndexOf(Integer(8)));
}

TEST(SortedCltnTest, RefusedOperationsChangeNothing) {
  Integer one(1), two(2);
  SortedCltn s;
  s.add(two);
  s.add(one);
  OrderedCltn other;
  other.add(one);
  struct Case {
    const char* name;
    std::function<void()> call;
  };
  std::vector<Case> cases = {
      {"addLast", [&] { s.addLast(one); }},
      {"addAfter", [&] { s.addAfter(one, two); }},
      {"addBefore", [&] { s.addBefore(one, two); }},
      {"addAllLast", [&] { s.addAllLast(other); }},
      {"atAllPut", [&] { s.atAllPut(one); }},
      {"indexOfSubCollection", [&] { s.indexOfSubCollection(other); }},
      {"operator&", [&] { s& other; }},
      {"replaceFrom", [&] { s.replaceFrom(0, 0, other); }},
      {"sort", [&] { s.sort(); }},
      {"addAtIndex", [&] { s.addAtIndex(0, two); }},
  };
  for (const Case& c : cases) {
    auto refused = runInChild(c.call);
    EXPECT_EQ("NIHCL: fatal: [ILLEGALMFCN] Illegal function " + hexAddress(&s) +
                  "->SortedCltn::" + c.name + "()\n",
              refused.err);
    // With the report lowered, the call returns and the contents are unchanged.
    auto unchanged = runInChild([&] {
      ExceptionHandlerScope lower([](int32_t&, int& severity) { severity = 0; });
      c.call();
      std::vector<int32_t> v = valuesOf(s);
      std::printf("%zu %d %d\n", v.size(), v[0], v[1]);
    });
    EXPECT_EQ("2 1 2\n", unchanged.out) << c.name;
  }
  {
    ExceptionHandlerScope lower([](int32_t&, int& severity) { severity = 0; });
    ReportOptions quiet;
    quiet.printThreshold = 8;
    setReportOptions(quiet);
    EXPECT_EQ(nullptr, s & other);
    EXPECT_EQ(-1, s.indexOfSubCollection(other));
    EXPECT_EQ(nil(), s.addLast(one));
    setReportOptions(ReportOptions());
  }
}

TEST(KeySortCltnTest, AssociationsInKeyOrder) {
  String b("b"), a("a"), c("c"), a2("a");
  Integer one(1), two(2), three(3), four(4);
  KeySortCltn k;
  std::vector<Object*> made;
  made.push_back(k.addAssoc(b, two));
  made.push_back(k.addAssoc(c, three));
  made.push_back(k.addAssoc(a, one));
  made.push_back(k.addAssoc(a2, four));
  int32_t ofA = k.indexOfKey(String("a"));  // either of the two equal keys
  EXPECT_TRUE(ofA == 0 || ofA == 1) << ofA;
  EXPECT_EQ(2, k.indexOfKey(String("b")));
  EXPECT_EQ(-1, k.indexOfKey(String("bb")));
  EXPECT_EQ(&two, k.atKey(String("b")));
  EXPECT_EQ(nil(), k.atKey(String("z")));
  EXPECT_EQ(2u, k.occurrencesOfKey(String("a")));
  EXPECT_EQ(0u, k.occurrencesOfKey(String("0")));

  std::unique_ptr<OrderedCltn> keys(k.keys());
  std::unique_ptr<OrderedCltn> values(k.values());
  std::ostringstream out;
  keys->printOn(out);
  values->printOn(out);
  EXPECT_EQ("OrderedCltn[aabc]\nOrderedCltn[1423]\n", out.str());
  std::unique_ptr<OrderedCltn> upTo(k.elementsUpTo(String("b")));
  EXPECT_EQ(3u, upTo->size());
  std::unique_ptr<OrderedCltn> none(k.elementsUpTo(String("0")));
  EXPECT_EQ(0u, none->size());
  for (Object* assoc : made) delete assoc;
}

TEST(IteratorTest, WalksEveryContainerAndComparesWalks) {
  Integer one(1), two(2);
  OrderedCltn o;
  o.add(one);
  o.add(two);
  Iterator first(o);
  Iterator second(o);
  EXPECT_TRUE(first.isEqual(second));
  EXPECT_EQ(&one, first());
  EXPECT_EQ(&one, first.current());
  EXPECT_FALSE(first.isEqual(second));
  EXPECT_EQ(&two, first());
  EXPECT_EQ(nullptr, first());
  first.reset();
  EXPECT_EQ(&one, first());

  std::unique_ptr<ArrayOb> asArray(o.asArrayOb());
  std::unique_ptr<Set> asSet(o.asSet());
  std::unique_ptr<SortedCltn> sorted(o.asSortedCltn());
  std::unique_ptr<OrderedCltn> ordered(asSet->asOrderedCltn());
  EXPECT_EQ((std::vector<int32_t>{1, 2}), valuesOf(*asArray));
  EXPECT_EQ(2u, asSet->size());
  EXPECT_EQ((std::vector<int32_t>{1, 2}), valuesOf(*sorted));
  EXPECT_EQ(2u, ordered->size());
}

}  // namespace
}  // namespace dv
