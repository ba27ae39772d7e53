// Tests of the module request protocol and the built-in requests.
#include "stream/Module.h"

#include <gtest/gtest.h>

#include <cstring>

#include "object/Allocation.h"
#include "status/ModuleStatus.h"
#include "table/Table.h"

namespace dv {
namespace {

// A module whose check answers a chosen status and whose perform counts calls.
class TestModule : public Module {
 public:
  const Status* checkRequest(Datum*) override {
    ++checks;
    return check;
  }
  const Status* perform(Datum** result) override {
    ++performs;
    return noop(result);
  }
  const Status* check = successStatus();
  int checks = 0;
  int performs = 0;
};

TEST(ModuleTest, ExecuteChecksThenPerformsAndNeedsBothArguments) {
  TestModule module;
  Number request(int32_t{7});
  Datum* result = nullptr;
  EXPECT_EQ(moduleInvalidArgumentStatus(), module.execute(nullptr, &result));
  EXPECT_EQ(moduleInvalidArgumentStatus(), module.execute(&request, nullptr));
  EXPECT_EQ(0, module.checks + module.performs);

  EXPECT_EQ(successStatus(), module.execute(&request, &result));
  EXPECT_EQ(1, module.checks);
  EXPECT_EQ(1, module.performs);
  EXPECT_EQ(moduleTrueValue(), result);
  EXPECT_EQ(1, moduleTrueValue()->asLong());
  EXPECT_EQ(0, moduleFalseValue()->asLong());
}

TEST(ModuleTest, AFailedCheckAnswersTwiceAndNeverPerforms) {
  TestModule module;
  Number request(int32_t{7});
  // A warning fails the check as an error does: only success performs.
  const Status* warning = makeErrorStatus(0x30050009u, false, kModulErrName, "warned", 0, false);
  module.check = warning;
  Datum* result = nullptr;
  const Status* answered = module.execute(&request, &result);
  EXPECT_EQ(warning, answered);
  EXPECT_EQ(0, module.performs);
  ASSERT_NE(nullptr, result);
  auto* table = dynamic_cast<Table*>(result);
  ASSERT_NE(nullptr, table);
  EXPECT_EQ(0, table->rows());
  EXPECT_EQ(0, table->cols());
  EXPECT_EQ(warning, table->status());
  result->release();
  answered->release();  // the caller's reference: the status is gone now

  // Out of memory for the table: the place is left alone.
  module.check = moduleOutOfSequenceStatus();
  AllocationFailureScope scope;
  AllocationControl::failAfter(0);
  Datum* untouched = nullptr;
  EXPECT_EQ(outOfMemoryStatus(), module.execute(&request, &untouched));
  EXPECT_EQ(nullptr, untouched);
}

TEST(ModuleTest, QuitRefusesWithItsOwnValueAndLeavesTheSharedTrueAlone) {
  TestModule module;
  EXPECT_EQ(moduleInvalidArgumentStatus(), module.quit(nullptr));
  EXPECT_EQ(moduleInvalidArgumentStatus(), module.noop(nullptr));
  Datum* first = nullptr;
  Datum* second = nullptr;
  const Status* refused = module.quit(&first);
  const Status* again = module.quit(&second);
  ASSERT_NE(nullptr, first);
  EXPECT_NE(first, second);
  EXPECT_NE(static_cast<Datum*>(moduleTrueValue()), first);
  EXPECT_EQ(refused, first->status());
  EXPECT_EQ(kModuleNotImplementedCode, refused->code());
  int mode = setMessageMode(2);
  EXPECT_STREQ("Request quit is not implemented.", refused->messageText());
  setMessageMode(mode);
  EXPECT_EQ(1, static_cast<Number*>(first)->asLong());
  EXPECT_EQ(successStatus(), moduleTrueValue()->status());

  Datum* result = nullptr;
  EXPECT_EQ(successStatus(), module.noop(&result));
  EXPECT_EQ(moduleTrueValue(), result);
  for (Datum* d : {first, second}) d->release();
  refused->release();
  again->release();

  // Either allocation failing answers out of memory and stores nothing.
  for (uint64_t n = 1; n <= 2; ++n) {
    AllocationFailureScope scope;
    AllocationControl::failNth(n);
    Datum* none = nullptr;
    EXPECT_EQ(outOfMemoryStatus(), module.quit(&none)) << n;
    EXPECT_EQ(nullptr, none) << n;
  }
}

}  // namespace
}  // namespace dv
