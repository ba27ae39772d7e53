// A randomized round trip of object graphs through both object-stream pairs:
// graphs built from every storable class (collections in collections, values
// with success, null and error statuses, objects referred to many times,
// statuses shared among values, nil, cycles) are stored at every data version,
// read back and compared structurally, sharing and cycles included. Each graph
// comes from its own seed; DV_GRAPH_SEED=<n> replays one graph alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dv/dv.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

constexpr int kGraphs = 300;

// Builds one random graph; owns every object it made.
class GraphMaker {
 public:
  explicit GraphMaker(uint32_t seed) : random_(seed) {}
  GraphMaker(const GraphMaker&) = delete;
  GraphMaker& operator=(const GraphMaker&) = delete;
  ~GraphMaker() {
    for (Object* ob : made_) ob->release();
  }

  // The root: a sequence of a few random objects.
  Object* root() {
    OrderedCltn* top = keep(new OrderedCltn);
    int n = below(6) + 1;
    for (int i = 0; i < n; ++i) top->add(*any(3, false));
    closeCycles();
    return top;
  }

 private:
  int below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }

  template <class T>
  T* keep(T* ob) {
    made_.push_back(ob);
    return ob;
  }

  // Any object. hashable: it will be an element of a hashed collection (or
  // inside one), so it must be acyclic and never change afterwards.
  Object* any(int depth, bool hashable) {
    std::vector<Object*>& pool = hashable ? hashablePool_ : pool_;
    if (!pool.empty() && chance(20))
      return pool[static_cast<std::size_t>(below(static_cast<int>(pool.size())))];  // shared
    int kind = depth > 0 ? below(18) : below(7);
    // Sequences refuse to be compared with other classes, so no hashed
    // collection may hold one next to other elements; an identity set equals
    // no copy of itself, so the comparison could not find one in a set.
    if (hashable && (kind == 7 || kind >= 12)) kind = 8;
    Object* ob = nullptr;
    switch (kind) {
      case 0:
        ob = keep(new Integer(below(2000) - 1000));
        break;
      case 1:
        ob = keep(new String(word().c_str()));
        break;
      case 2:
        ob = value();
        break;
      case 3:
        ob = nil();
        break;
      case 4:
        ob = keep(new Range(below(50), below(50)));
        break;
      case 5:
        ob = constraint();
        break;
      case 6:
        ob = keep(new NilDatum);
        break;
      case 7:
        ob = sequence(depth, hashable);
        break;
      case 8:
        ob = array(depth, hashable);
        break;
      case 9:
        ob = hashed(depth, false);
        break;
      case 10:
        ob = hashed(depth, true);
        break;
      case 11:
        ob = pair(depth, hashable);
        break;
      case 12:
        ob = sorted();
        break;
      case 13:
        ob = keySorted();
        break;
      case 14:
        ob = identity(false);
        break;
      case 15:
        ob = identity(true);
        break;
      case 16:
        ob = table(depth);
        break;
      default:
        ob = names();
        break;
    }
    if (ob != nil()) pool.push_back(ob);
    return ob;
  }

  std::string word() {
    static const char* const words[] = {"",   "a", "b c",       "{x}",
                                        "@1", "~", "\xE9t\xE9", "long words"};
    return words[below(8)];
  }

  // A value with a status: success, null, a new error status, or one shared
  // with other values.
  Datum* value() {
    Datum* d = nullptr;
    switch (below(3)) {
      case 0:
        d = keep(new Text(word().c_str()));
        break;
      case 1: {
        unsigned char bytes[7] = {0, 1, 2, 0xFE, 0xFF, 0x7F, 0x80};
        d = keep(new Binary(bytes, static_cast<uint32_t>(below(8)), true));
        break;
      }
      default:
        d = keep(new ExtDatumFile("/tmp/some file"));
        break;
    }
    switch (below(4)) {
      case 0:
        break;  // success
      case 1:
        d->setNull();
        break;
      case 2: {
        const Status* s = makeErrorStatus(0x40010000u | static_cast<uint32_t>(below(50)),
                                          chance(50), kDatumErrName, "A problem.", below(3), false);
        d->setStatus(s);
        s->release();
        statuses_.push_back(d->status());
        break;
      }
      default:
        if (!statuses_.empty())
          d->setStatus(
              statuses_[static_cast<std::size_t>(below(static_cast<int>(statuses_.size())))]);
        break;
    }
    return d;
  }

  Object* constraint() {
    if (chance(50)) return keep(new TextConstraint(static_cast<uint32_t>(below(100))));
    return keep(new ExtDatumFileConstraint(below(300)));
  }

  OrderedCltn* sequence(int depth, bool hashable) {
    OrderedCltn* c = keep(new OrderedCltn);
    int n = below(5);
    for (int i = 0; i < n; ++i) c->add(*any(depth - 1, hashable));
    if (!hashable) cycleCandidates_.push_back(c);
    return c;
  }

  ArrayOb* array(int depth, bool hashable) {
    ArrayOb* a = keep(new ArrayOb(below(4) + 1));
    for (int32_t i = 0; i < static_cast<int32_t>(a->size()); ++i) {
      if (chance(70)) (*a)[i] = any(depth - 1, hashable);
    }
    if (!hashable) arrays_.push_back(a);
    return a;
  }

  // A Set, or a Dictionary of pairs, of hashable elements.
  Collection* hashed(int depth, bool dictionary) {
    if (dictionary) {
      Dictionary* d = keep(new Dictionary);
      int n = below(4);
      for (int i = 0; i < n; ++i) {
        Object* key = keep(new Integer(below(1000)));
        if (d->includesKey(*key)) continue;
        d->add(*keep(new Assoc(*key, *any(depth - 1, true))));
      }
      return d;
    }
    Set* s = keep(new Set);
    int n = below(5);
    for (int i = 0; i < n; ++i) {
      Object* e = any(depth - 1, true);
      if (e != nil()) s->add(*e);
    }
    return s;
  }

  // Identity sets and dictionaries hold distinct integers, so that an element
  // read back is found by its value.
  Collection* identity(bool dictionary) {
    Collection* c = dictionary ? static_cast<Collection*>(keep(new IdentDict))
                               : static_cast<Collection*>(keep(new IdentSet));
    int n = below(4);
    int base = below(100) * 10;
    for (int i = 0; i < n; ++i) {
      Integer* e = keep(new Integer(base + i));
      if (dictionary) {
        c->add(*keep(new Assoc(*e, *keep(new String(word().c_str())))));
      } else {
        c->add(*e);
      }
    }
    return c;
  }

  LookupKey* pair(int depth, bool hashable) {
    Object* key = keep(new Integer(below(100)));
    switch (below(3)) {
      case 0:
        return keep(new LookupKey(*key));
      case 1:
        return keep(new AssocInt(*key, below(100)));
      default: {
        Assoc* a = keep(new Assoc(*key, *any(depth - 1, hashable)));
        if (!hashable) pairs_.push_back(a);
        return a;
      }
    }
  }

  SortedCltn* sorted() {
    SortedCltn* s = keep(new SortedCltn);
    int n = below(5);
    for (int i = 0; i < n; ++i) s->add(*keep(new Integer(below(20))));
    return s;
  }

  KeySortCltn* keySorted() {
    KeySortCltn* s = keep(new KeySortCltn);
    int n = below(4);
    for (int i = 0; i < n; ++i) {
      s->add(*keep(new Assoc(*keep(new Integer(below(20))), *keep(new String(word().c_str())))));
    }
    return s;
  }

  // A table of values with names, a title, row statuses and flags; now and
  // then a table in a cell, or a copy of a table made before (sharing its
  // names and cells).
  Table* table(int depth) {
    if (!tables_.empty() && chance(15)) {
      Table* copy = keep(
          new Table(*tables_[static_cast<std::size_t>(below(static_cast<int>(tables_.size())))]));
      if (chance(50)) (void)copy->addColumnName(below(3), word().c_str());
      return copy;
    }
    Table* t = keep(new Table);
    int32_t rows = below(4);
    int32_t cols = below(4);
    (void)t->resize(rows, cols);
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < cols; ++c) {
        if (chance(40)) continue;  // the nil datum
        Datum* d = depth > 1 && chance(15) ? static_cast<Datum*>(table(depth - 1)) : cellValue();
        (void)t->setCell(r, c, d);
      }
    }
    for (int i = below(3); i > 0; --i) (void)t->addColumnName(below(cols + 1), word().c_str());
    if (chance(50)) (void)t->setTitle(word().c_str());
    if (chance(30) && !statuses_.empty()) {
      (void)t->setRowStatus(
          below(rows + 1),
          statuses_[static_cast<std::size_t>(below(static_cast<int>(statuses_.size())))]);
    }
    t->setFlags(static_cast<uint16_t>(below(16)));
    tables_.push_back(t);
    return t;
  }

  Datum* cellValue() {
    if (!cellPool_.empty() && chance(20)) {
      return cellPool_[static_cast<std::size_t>(below(static_cast<int>(cellPool_.size())))];
    }
    cellPool_.push_back(value());
    return cellPool_.back();
  }

  NameCltn* names() {
    NameCltn* n = keep(new NameCltn);
    for (int i = below(4); i > 0; --i) {
      Text* name = new Text(word().c_str());
      Integer* column = new Integer(below(5));
      EXPECT_TRUE(n->add(name, column));
      name->release();
      column->release();
    }
    return n;
  }

  // Cycles: containers outside every hashed collection get references back
  // to themselves or to other such containers.
  void closeCycles() {
    std::vector<Object*> targets(cycleCandidates_.begin(), cycleCandidates_.end());
    targets.insert(targets.end(), arrays_.begin(), arrays_.end());
    targets.insert(targets.end(), pairs_.begin(), pairs_.end());
    if (targets.empty()) return;
    auto pick = [&] {
      return targets[static_cast<std::size_t>(below(static_cast<int>(targets.size())))];
    };
    for (OrderedCltn* c : cycleCandidates_) {
      if (chance(30)) c->add(*pick());
    }
    for (ArrayOb* a : arrays_) {
      if (chance(30)) (*a)[0] = pick();
    }
    for (Assoc* p : pairs_) {
      if (chance(20)) p->setValue(*pick());
    }
  }

  std::mt19937 random_;
  std::vector<Object*> made_;
  std::vector<Object*> pool_;
  std::vector<Object*> hashablePool_;
  std::vector<const Status*> statuses_;
  std::vector<OrderedCltn*> cycleCandidates_;
  std::vector<ArrayOb*> arrays_;
  std::vector<Assoc*> pairs_;
  std::vector<Table*> tables_;
  std::vector<Datum*> cellPool_;
};

// Compares a graph with its copy read back: the same shape object by object,
// every object of the original matched to exactly one of the copy, so that
// sharing and cycles are the same in both.
class GraphComparer {
 public:
  bool same(const Object* a, const Object* b, std::string* why) {
    why_ = why;
    return match(a, b);
  }

 private:
  bool fail(const std::string& what, const Object* a) {
    *why_ = what + " at a " + a->className();
    return false;
  }

  bool match(const Object* a, const Object* b) {
    auto seen = forward_.find(a);
    if (seen != forward_.end()) return seen->second == b || fail("sharing differs", a);
    auto back = backward_.find(b);
    if (back != backward_.end()) return fail("two objects read back as one", a);
    if (a == nil() || b == nil()) return (a == b) || fail("nil differs", a);
    if (a->isA() != b->isA()) return fail("class differs", a);
    forward_[a] = b;
    backward_[b] = a;
    if (a->isKindOf(Status::desc()))
      return sameStatus(*static_cast<const Status*>(a), *static_cast<const Status*>(b));
    if (a->isKindOf(Table::desc()))
      return sameTable(*static_cast<const Table*>(a), *static_cast<const Table*>(b));
    if (a->isKindOf(Datum::desc()))
      return sameDatum(*static_cast<const Datum*>(a), *static_cast<const Datum*>(b));
    if (a->isKindOf(LookupKey::desc()))
      return samePair(*static_cast<const LookupKey*>(a), *static_cast<const LookupKey*>(b));
    if (a->isKindOf(ArrayOb::desc()) || a->isKindOf(SeqCltn::desc())) return sameSequence(a, b);
    if (a->isKindOf(Set::desc()))
      return sameSet(*static_cast<const Set*>(a), *static_cast<const Set*>(b));
    return a->isEqual(*b) || fail("value differs", a);  // Integer, String, Range
  }

  bool sameStatus(const Status& a, const Status& b) {
    // The shared statuses come back as themselves.
    bool aShared = &a == successStatus() || &a == nullStatus();
    if (aShared || &b == successStatus() || &b == nullStatus()) {
      return &a == &b || fail("a shared status did not come back as itself", &a);
    }
    if (a.code() != b.code() || a.isNull() != b.isNull() || a.externError() != b.externError() ||
        std::string(a.facilityName()) != b.facilityName() ||
        std::string(a.messageText()) != b.messageText()) {
      return fail("status differs", &a);
    }
    return true;
  }

  bool sameDatum(const Datum& a, const Datum& b) {
    if (!a.isKindOf(DatumConstraint::desc()) && !a.isKindOf(NilDatum::desc()) && !a.isEqual(b)) {
      return fail("value differs", &a);
    }
    if (a.isKindOf(DatumConstraint::desc())) {
      std::ostringstream pa, pb;
      a.printOn(pa);
      b.printOn(pb);
      if (pa.str() != pb.str()) return fail("constraint differs", &a);
    }
    if (a.isNull() != b.isNull()) return fail("NULL differs", &a);
    return match(a.status(), b.status());
  }

  // Titles and names travel by value in the old layout: they are compared by
  // content; cells and row statuses by identity.
  bool sameTable(const Table& a, const Table& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols() || a.flags() != b.flags() ||
        a.hasRowStatus() != b.hasRowStatus()) {
      return fail("table shape differs", &a);
    }
    std::ostringstream ta, tb;
    a.title()->printOn(ta);
    b.title()->printOn(tb);
    if (ta.str() != tb.str() || a.title()->isNull() != b.title()->isNull())
      return fail("title differs", &a);
    const NameCltn& na = *a.columnNames();
    const NameCltn& nb = *b.columnNames();
    if (na.size() != nb.size()) return fail("names differ", &a);
    for (int32_t i = 0; i < static_cast<int32_t>(na.size()); ++i) {
      if (std::string(na.nameAt(i).chars()) != nb.nameAt(i).chars() ||
          na.columnAt(i) != nb.columnAt(i)) {
        return fail("names differ", &a);
      }
    }
    for (int32_t r = 0; r < a.rows(); ++r) {
      for (int32_t c = 0; c < a.cols(); ++c) {
        if (!match(a.cell(r, c), b.cell(r, c))) return false;
      }
      if (a.hasRowStatus() && !match(a.rowStatus(r), b.rowStatus(r))) return false;
    }
    return match(a.status(), b.status());
  }

  bool samePair(const LookupKey& a, const LookupKey& b) {
    if (!match(a.key(), b.key())) return false;
    if (a.isKindOf(AssocInt::desc())) {
      return a.isEqual(b) || fail("integer value differs", &a);
    }
    if (a.isKindOf(Assoc::desc())) return match(a.value(), b.value());
    return true;
  }

  bool sameSequence(const Object* a, const Object* b) {
    const Collection& ca = *static_cast<const Collection*>(a);
    const Collection& cb = *static_cast<const Collection*>(b);
    if (ca.size() != cb.size()) return fail("size differs", a);
    Iterator ia(ca), ib(cb);
    while (Object* ea = ia()) {
      if (!match(ea, ib())) return false;
    }
    return true;
  }

  // Elements of hashed collections are found in the copy by value (identity
  // collections hold distinct values).
  bool sameSet(const Set& a, const Set& b) {
    if (a.size() != b.size()) return fail("size differs", &a);
    Iterator ia(a);
    while (Object* ea = ia()) {
      Object* eb = nullptr;
      Iterator ib(b);
      while (Object* candidate = ib()) {
        if (candidate->isA() != ea->isA()) continue;
        if (candidate->isEqual(*ea) ||
            (ea->isKindOf(LookupKey::desc()) && candidate->isKindOf(LookupKey::desc()) &&
             static_cast<LookupKey*>(candidate)->key()->isEqual(
                 *static_cast<LookupKey*>(ea)->key()))) {
          eb = candidate;
          break;
        }
      }
      if (eb == nullptr) return fail("element missing", ea);
      if (!match(ea, eb)) return false;
    }
    return true;
  }

  std::map<const Object*, const Object*> forward_;
  std::map<const Object*, const Object*> backward_;
  std::string* why_ = nullptr;
};

// Stores root at version through one form, reads it back and compares.
void roundTrip(uint32_t seed, const Object& root, bool binary, int32_t version) {
  std::stringstream buffer;
  {
    std::unique_ptr<OIOout> out = testing::openOut(buffer, binary, version);
    root.storeOn(*out);
    ASSERT_EQ(0, out->severity());
  }
  std::unique_ptr<OIOin> in = testing::openIn(buffer, binary);
  Object* back = in->readObject();
  std::string where = "seed " + std::to_string(seed) + (binary ? " binary" : " text") +
                      " version " + std::to_string(version);
  ASSERT_EQ(0, in->severity()) << where << ": " << in->messageText();
  std::string why;
  EXPECT_TRUE(GraphComparer().same(&root, back, &why)) << where << ": " << why;
  testing::releaseRead(*in);
}

TEST(ObjectGraphTest, RandomGraphsOfEveryClassSurviveBothFormsAtEveryVersion) {
  uint32_t first = 1;
  int count = kGraphs;
  if (const char* replay = std::getenv("DV_GRAPH_SEED")) {
    first = static_cast<uint32_t>(std::strtoul(replay, nullptr, 10));
    count = 1;
  }
  for (uint32_t seed = first; seed < first + static_cast<uint32_t>(count); ++seed) {
    GraphMaker maker(seed);
    Object* root = maker.root();
    for (bool binary : {false, true}) {
      for (int32_t version : {-1, 5, 4, 3, 1}) {
        roundTrip(seed, *root, binary, version);
        if (::testing::Test::HasFailure()) return;  // one seed to replay is enough
      }
    }
  }
}

// Reading under failing allocations: every allocation a read makes is made to
// fail in turn, until a read runs without a failure. Each read with a failure
// must fail with the out-of-memory status and free what it made (the leak
// checker of the sanitized build sees what it does not), or, when the failure
// cost nothing that the read needed, give the same graph.
TEST(ObjectGraphTest, ReadsFailCleanlyAtEveryAllocation) {
  uint64_t points = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    GraphMaker maker(seed);
    Object* root = maker.root();
    for (bool binary : {false, true}) {
      std::stringstream stored;
      root->storeOn(*testing::openOut(stored, binary));
      std::string bytes = stored.str();
      for (uint64_t n = 1;; ++n) {
        std::stringstream input(bytes);
        std::unique_ptr<OIOin> in = testing::openIn(input, binary);
        Object* back = nil();
        uint64_t failures = 0;
        {
          AllocationFailureScope scope;
          AllocationControl::failNth(n);
          back = in->readObject();
          failures = AllocationControl::failures();
        }
        std::string where = "seed " + std::to_string(seed) + (binary ? " binary" : " text") +
                            ", allocation " + std::to_string(n);
        if (failures == 0) {
          ASSERT_EQ(0, in->severity()) << where;
          testing::releaseRead(*in);
          break;
        }
        ++points;
        if (in->severity() >= kError) {
          EXPECT_EQ(nil(), back) << where;
          EXPECT_EQ(kOutOfMemoryCode, in->code()) << where << ": " << in->messageText();
          EXPECT_EQ(0u, in->readTable().size()) << where;
          continue;
        }
        std::string why;
        EXPECT_TRUE(GraphComparer().same(root, back, &why)) << where << ": " << why;
        testing::releaseRead(*in);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  std::printf("reading 40 graphs in both forms: %llu allocation failure points\n",
              static_cast<unsigned long long>(points));
}

}  // namespace
}  // namespace dv
