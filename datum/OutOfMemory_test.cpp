// Out of memory in the value classes, at every allocation an operation makes:
// each operation runs with the allocation hook failing at its 1st, 2nd, ...
// allocation until it runs without a failure. A run with a failure must end
// with the out-of-memory status and leave the value as it was (a mutator) or
// empty (a constructor); the sanitized build's leak checker sees what it
// does not give back. The number of failure points of each operation is
// printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datum/Binary.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/Allocation.h"
#include "status/Status.h"

namespace dv {
namespace {

// What an operation left: the value's characters (or bytes as text) and the
// status it reported.
struct Outcome {
  std::string content;
  const Status* status;
};

std::string contentOf(const Text& t) {
  return std::string(t.chars(), static_cast<std::size_t>(t.length()));
}

std::string contentOf(const Binary& b) {
  return std::string(reinterpret_cast<const char*>(b.bytes()), b.size());
}

const std::string kLong(300, 'x');  // past every inline buffer

// One operation: prepare() makes what it works on (with memory) and answers
// the operation itself, which the sweep runs under the failure plan.
struct Operation {
  const char* name;
  // What a failed mutation must leave: the content before it (empty for a
  // constructor). With prefix, the content may also be any start of the
  // clean result (a write that keeps what fitted).
  std::string before;
  bool prefix;
  std::function<std::function<Outcome()>()> prepare;
};

std::vector<Operation> operations() {
  return {
      {"Text from a long text", "", false,
       [] {
         return [] {
           Text t(kLong.c_str());
           return Outcome{contentOf(t), t.status()};
         };
       }},
      {"Text copy", "", false,
       [] {
         auto original = std::make_shared<Text>(kLong.c_str());
         return [original] {
           Text copy(*original);
           return Outcome{contentOf(copy), copy.status()};
         };
       }},
      {"Text append", "short", false,
       [] {
         auto t = std::make_shared<Text>("short");
         return [t] {
           t->append(kLong.c_str());
           return Outcome{contentOf(*t), t->status()};
         };
       }},
      {"Text of a Binary", "", false,
       [] {
         auto b = std::make_shared<Binary>(kLong.data(), static_cast<uint32_t>(kLong.size()), true);
         return [b] {
           Text t(*b);
           return Outcome{contentOf(t), t.status()};
         };
       }},
      {"Text makeIdentifier", "9 lives", false,
       [] {
         auto t = std::make_shared<Text>("9 lives");
         return [t] {
           const Status* st = t->makeIdentifier();
           return Outcome{contentOf(*t), st != nullptr ? st : t->status()};
         };
       }},
      {"Binary write", "", true,
       [] {
         auto b = std::make_shared<Binary>();
         return [b] {
           b->write(kLong.data(), 0, static_cast<uint32_t>(kLong.size()));
           return Outcome{contentOf(*b), b->status()};
         };
       }},
      {"TextConstraint check", "", false,
       [] {
         auto c = std::make_shared<TextConstraint>(10);
         auto v = std::make_shared<Text>(kLong.c_str());
         return [c, v] {
           Text* in = nullptr;
           Text* out = nullptr;
           Datum* converted = nullptr;
           const Status* st = c->check(*v, &in, &converted, &out);
           std::string content = out != nullptr ? contentOf(*out) : std::string();
           if (in != nullptr) in->release();
           if (out != nullptr) out->release();
           if (converted != nullptr) converted->release();
           if (st != outOfMemoryStatus()) {
             st->release();
             st = successStatus();
           }
           return Outcome{content, st};
         };
       }},
  };
}

TEST(OutOfMemorySweepTest, EveryAllocationOfTheValueOperationsFailsCleanly) {
  for (const Operation& op : operations()) {
    Outcome clean = op.prepare()();  // what the operation gives with memory
    ASSERT_NE(outOfMemoryStatus(), clean.status) << op.name;
    uint64_t points = 0;
    for (uint64_t n = 1;; ++n) {
      std::function<Outcome()> run = op.prepare();
      Outcome outcome{};
      uint64_t failures = 0;
      {
        AllocationFailureScope scope;
        AllocationControl::failNth(n);
        outcome = run();
        failures = AllocationControl::failures();
      }
      if (failures == 0) break;
      ++points;
      std::string where = std::string(op.name) + ", allocation " + std::to_string(n);
      if (outcome.status != outOfMemoryStatus()) {
        // A failed allocation that the operation could do without.
        EXPECT_EQ(clean.content, outcome.content) << where;
      } else if (op.prefix) {
        EXPECT_EQ(0u, clean.content.find(outcome.content)) << where;
      } else {
        EXPECT_EQ(op.before, outcome.content) << where;
      }
    }
    EXPECT_GT(points, 0u) << op.name << " allocates nothing";
    std::printf("%-24s %llu allocation failure points\n", op.name,
                static_cast<unsigned long long>(points));
  }
}

}  // namespace
}  // namespace dv
