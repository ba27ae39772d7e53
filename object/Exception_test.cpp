// Tests of the exception environment: actions, handler scopes, catch regions,
// RAISE and cleanup records.
#include "object/Exception.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "object/Class.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Nil.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::runInChild;

std::vector<std::string> destroyed;

// An object that records its destruction by name.
class Tracked : public Object {
 public:
  explicit Tracked(std::string name) : name_(std::move(name)) {}
  ~Tracked() override { destroyed.push_back(name_); }
  static const Class& desc() {
    static const Class* const bases[] = {&Object::desc(), nullptr};
    static const Class* const none[] = {nullptr};
    static const Class d("Tracked", bases, none, none, 1, Class::kIdent, sizeof(Tracked), nullptr,
                         nullptr, nullptr, nullptr);
    return d;
  }
  const Class* isA() const override { return &desc(); }
  Object* shallowCopy() const override { return new Tracked(*this); }
  int compare(const Object&) const override { return 0; }
  uint32_t hash() const override { return 0; }
  bool isEqual(const Object& o) const override { return &o == this; }
  void printOn(std::ostream&) const override {}

 private:
  std::string name_;
};

void keyNotFound() {
  setError(nihcl::KEYNOTFOUND, kDefaultSeverity, nil(), "Dictionary", "Integer", nil());
}

TEST(ExceptionTest, ActionTurnsAnErrorIntoARaiseCaughtByTheInnermostRegion) {
  int32_t outerCode = -1;
  int32_t innerCode = -1;
  {
    ExceptionAction raise(nihcl::KEYNOTFOUND);
    outerCode = catchRegion([&] {
      innerCode = catchRegion([] { keyNotFound(); });
      // The inner region was popped by the RAISE: this one is innermost again.
      EXPECT_FALSE(CatchRegion::innermost()->isBottom());
    });
  }
  EXPECT_EQ(nihcl::KEYNOTFOUND, innerCode);
  EXPECT_EQ(0x1F028, innerCode);
  EXPECT_EQ(0, outerCode);
  EXPECT_TRUE(CatchRegion::innermost()->isBottom());
  EXPECT_EQ(ErrorAction::kReport, errorAction(nihcl::KEYNOTFOUND));

  // After the scope the code reports normally again.
  auto after = runInChild([] { catchRegion([] { keyNotFound(); }); });
  EXPECT_EQ(1, after.status);
  EXPECT_EQ(0u, after.err.find("NIHCL: fatal: [KEYNOTFOUND] Key not found: ")) << after.err;
}

TEST(ExceptionTest, ActionScopesNestAndRestore) {
  {
    ExceptionAction raise(nihcl::DUPKEY);
    EXPECT_EQ(ErrorAction::kRaise, errorAction(nihcl::DUPKEY));
    {
      ExceptionAction report(nihcl::DUPKEY, ErrorAction::kReport);
      EXPECT_EQ(ErrorAction::kReport, errorAction(nihcl::DUPKEY));
    }
    EXPECT_EQ(ErrorAction::kRaise, errorAction(nihcl::DUPKEY));
  }
  EXPECT_EQ(ErrorAction::kReport, errorAction(nihcl::DUPKEY));
}

TEST(ExceptionTest, ActionOnACodeOutsideTheFrameworkIsBADERRNUM) {
  auto outcome = runInChild([] { ExceptionAction bad(5); });
  EXPECT_EQ(1, outcome.status);
  EXPECT_EQ("NIHCL: fatal: [BADERRNUM] Invalid error code: ExceptionAction(5)\n", outcome.err);
}

int hookCalls = 0;
void countingHook(int32_t&, int&) {
  ++hookCalls;
}
void raisingHook(int32_t& code, int&) {
  code = nihcl::NYET;
}

TEST(ExceptionTest, HandlerScopesNestAndTheHookMayChangeTheCode) {
  ExceptionAction raiseNyet(nihcl::NYET);
  hookCalls = 0;
  {
    ExceptionHandlerScope outer(&countingHook);
    {
      ExceptionHandlerScope inner(&raisingHook);
      // The hook turns the code into one whose action is raise.
      EXPECT_EQ(nihcl::NYET, catchRegion([] { keyNotFound(); }));
    }
    EXPECT_EQ(0, hookCalls);
    ExceptionAction raiseKey(nihcl::KEYNOTFOUND);
    EXPECT_EQ(nihcl::KEYNOTFOUND, catchRegion([] { keyNotFound(); }));
    EXPECT_EQ(1, hookCalls);
  }
}

TEST(ExceptionTest, SeterrorBypassesTheExceptionEnvironment) {
  auto outcome = runInChild([] {
    ExceptionAction raise(nihcl::RDEOF);
    catchRegion([] { seterror(nihcl::RDEOF, kDefaultSeverity); });
  });
  EXPECT_EQ(1, outcome.status);
  EXPECT_EQ("NIHCL: fatal: [RDEOF] Premature EOF encountered on input stream\n", outcome.err);
}

TEST(ExceptionTest, RaiseDestroysGuardedObjectsNewestFirst) {
  destroyed.clear();
  int32_t code = catchRegion([] {
    Cleanup first(*new Tracked("first"));
    {
      Cleanup second(*new Tracked("second"));
      RAISE(42);
    }
  });
  EXPECT_EQ(42, code);
  EXPECT_EQ((std::vector<std::string>{"second", "first"}), destroyed);

  destroyed.clear();
  { Cleanup normal(*new Tracked("normal")); }
  EXPECT_EQ(std::vector<std::string>{"normal"}, destroyed);
}

TEST(ExceptionTest, RegionsCountTowardsTheStartupCounter) {
  CatchRegion::innermost();  // the bottom region is made on first use and lives on
  int before = Startup::count();
  {
    CatchRegion region;
    EXPECT_EQ(0, region.raisedCode());
    ExceptionAction action(nihcl::RDEOF);
    EXPECT_EQ(before + 2, Startup::count());
  }
  EXPECT_EQ(before, Startup::count());
}

TEST(ExceptionTest, RaiseWithoutARegionOrWithCodeZero) {
  auto unhandled = runInChild([] { RAISE(5); });
  EXPECT_EQ(1, unhandled.status);
  EXPECT_EQ("NIHCL: fatal: Unhandled exception code 5\n", unhandled.err);

  auto zero = runInChild([] { catchRegion([] { RAISE(0); }); });
  EXPECT_FALSE(zero.exited);
  EXPECT_EQ(SIGABRT, zero.signal);
  EXPECT_EQ("Tried to RAISE exception code 0\n", zero.err);
}

}  // namespace
}  // namespace dv
