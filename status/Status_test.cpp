// Tests of the status classes, the code layout, the shared statuses and the
// message mode.
#include "status/Status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "object/Allocation.h"
#include "object/Integer.h"
#include "object/OIOStreams.h"
#include "object/Registry.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

using testing::readFrom;
using testing::roundTrip;

DV_DEFINE_SHARED_ERROR_STATUS(textTruncatedStatus, 0x3002000A, false, kDatumErrName,
                              "Text truncated.");

// Puts the message mode back to 0 when a test ends, however it ends.
class MessageModeScope {
 public:
  MessageModeScope() = default;
  ~MessageModeScope() { setMessageMode(0); }
  MessageModeScope(const MessageModeScope&) = delete;
  MessageModeScope& operator=(const MessageModeScope&) = delete;
};

constexpr uint32_t kColumnNotFoundCode = makeStatusCode(kError, kDatumErrFacility, true, 30);
const char* const kRewrittenColumnNotFound =
    "Internal error.  Please report details to your Halvern Support contact:\n"
    "Column name not found.";

std::string printed(const Object& ob) {
  std::ostringstream out;
  ob.printOn(out);
  return out.str();
}

// Allocates a copy of text through dv::allocate, for adoption.
char* allocatedText(const char* text) {
  char* block = static_cast<char*>(allocate(std::strlen(text) + 1));
  std::strcpy(block, text);
  return block;
}

// First in the file, so that nothing has touched these statuses before: they
// must have been built before main, with their texts, not on first use.
TEST(SharedStatusTest, BuiltBeforeMainAndUnaffectedByAllocationFailure) {
  AllocationFailureScope scope;
  AllocationControl::failAfter(0);
  const ErrorStatus* oom = outOfMemoryStatus();
  const ErrorStatus* truncated = textTruncatedStatus();
  EXPECT_STREQ("MEMERR", oom->facilityName());
  EXPECT_STREQ("Out of memory.", oom->messageText());
  EXPECT_STREQ("Text truncated.", truncated->messageText());
  EXPECT_STREQ("DATUMERR", truncated->facilityName());
  EXPECT_EQ(0u, AllocationControl::failures());
}

TEST(SharedStatusTest, TheSameStaticObjectsEveryTime) {
  const Status* shared[] = {successStatus(), nullStatus(), outOfMemoryStatus(),
                            textTruncatedStatus()};
  EXPECT_EQ(successStatus(), shared[0]);
  EXPECT_EQ(nullStatus(), shared[1]);
  EXPECT_EQ(outOfMemoryStatus(), shared[2]);
  EXPECT_EQ(textTruncatedStatus(), shared[3]);
  for (const Status* s : shared) {
    EXPECT_EQ(-1, s->refCount());
    s->addRef();
    s->release();
    s->release();
    EXPECT_EQ(-1, s->refCount());
  }
}

TEST(SharedStatusTest, OutOfMemoryStatus) {
  const ErrorStatus* s = outOfMemoryStatus();
  EXPECT_EQ(0x701C0001u, s->code());
  EXPECT_EQ(kOutOfMemoryCode, s->code());
  EXPECT_TRUE(s->isNull());
  EXPECT_EQ(kFatal, s->severity());
  EXPECT_STREQ("FATAL", s->severityName());
  EXPECT_EQ(kMemErrFacility, s->facilityNumber());
  EXPECT_EQ(1, s->errorNumber());
  EXPECT_FALSE(s->isInternal());
  EXPECT_EQ(0, s->externError());
  EXPECT_EQ(&ErrorStatus::desc(), s->isA());
}

TEST(SharedStatusTest, FixedMessageStatusOfAFacility) {
  const ErrorStatus* s = textTruncatedStatus();
  EXPECT_EQ(0x3002000Au, s->code());
  EXPECT_FALSE(s->isNull());
  EXPECT_STREQ("WARNING", s->severityName());
  EXPECT_EQ(10, s->errorNumber());
  EXPECT_EQ(0, s->externError());
}

TEST(StatusCodeTest, LayoutOfTheExampleCodes) {
  static_assert(makeStatusCode(kWarning, kDatumErrFacility, false, 10) == 0x3002000Au);
  static_assert(makeStatusCode(kError, kDatumErrFacility, true, 11) == 0x4003000Bu);
  static_assert(makeStatusCode(kFatal, kMemErrFacility, false, 1) == 0x701C0001u);
  // Parts too wide for their field stay inside it.
  EXPECT_EQ(0x7FFE0000u, makeStatusCode(15, 0xFFFF, false, 0));
  EXPECT_EQ(0u, makeStatusCode(15, 0, false, 0) & kStatusUnusedBit);

  ErrorStatus s(0x4003000B, false, kDatumErrName, "($01$)Conversion to numeric value failed.", 0,
                false);
  EXPECT_EQ(kError, s.severity());
  EXPECT_EQ(kDatumErrFacility, s.facilityNumber());
  EXPECT_EQ(11, s.errorNumber());
  EXPECT_TRUE(s.isInternal());
  EXPECT_EQ(0x4003000Bu, s.code());

  ErrorStatus wide(0x0FFEFFFF, false, nullptr, "x", 0, false);
  EXPECT_EQ(0, wide.severity());
  EXPECT_EQ(0x7FF, wide.facilityNumber());
  EXPECT_EQ(0xFFFF, wide.errorNumber());
  EXPECT_FALSE(wide.isInternal());
}

TEST(StatusTest, AnswersOfSuccessAndNullStatuses) {
  MessageModeScope mode;
  for (int m : {0, 1, 2}) {
    setMessageMode(m);
    const Status* ok = successStatus();
    EXPECT_FALSE(ok->isNull());
    EXPECT_EQ(0, ok->severity());
    EXPECT_EQ(0, ok->facilityNumber());
    EXPECT_EQ(0, ok->errorNumber());
    EXPECT_TRUE(ok->isInternal());
    EXPECT_EQ(0u, ok->code());
    EXPECT_EQ(0, ok->externError());
    EXPECT_STREQ("UNKNOWN", ok->facilityName());
    EXPECT_STREQ("", ok->messageText());
    EXPECT_STREQ("SUCCESS", ok->severityName());
    EXPECT_EQ(ok, ok->statusObject());

    const NullStatus* null = nullStatus();
    EXPECT_TRUE(null->isNull());
    EXPECT_EQ(0, null->severity());
    EXPECT_EQ(0, null->facilityNumber());
    EXPECT_EQ(0, null->errorNumber());
    EXPECT_TRUE(null->isInternal());
    EXPECT_EQ(0u, null->code());
    EXPECT_EQ(0, null->externError());
    EXPECT_STREQ("UNKNOWN", null->facilityName());
    EXPECT_STREQ("Null Datum value.", null->messageText());
    EXPECT_STREQ("SUCCESS", null->severityName());
    EXPECT_EQ(null, null->statusObject());
  }
}

TEST(StatusTest, SeverityNamesOfAllEightSeverities) {
  const char* const names[] = {"SUCCESS", "INFO",       "SEVERITY 2", "WARNING",
                               "ERROR",   "SEVERITY 5", "SEVERE",     "FATAL"};
  for (int severity = 0; severity < kSeverityCount; ++severity) {
    EXPECT_STREQ(names[severity], statusSeverityName(severity));
    ErrorStatus s(makeStatusCode(severity, kXioErrFacility, false, 3), false, kXioErrName, "m", 0,
                  false);
    EXPECT_EQ(severity, s.severity());
    EXPECT_STREQ(names[severity], s.severityName());
  }
}

TEST(StatusTest, DescriptorsAndClassRelations) {
  struct Expected {
    const Class* desc;
    const char* name;
    const Class* base;
  };
  for (const Expected& e : {Expected{&Status::desc(), "Status", &Object::desc()},
                            Expected{&NullStatus::desc(), "NullStatus", &Status::desc()},
                            Expected{&ErrorStatus::desc(), "ErrorStatus", &Status::desc()}}) {
    EXPECT_STREQ(e.name, e.desc->name());
    EXPECT_STREQ("Unique_ID", e.desc->ident());
    EXPECT_EQ(1u, e.desc->version());
    EXPECT_EQ(e.base, e.desc->baseClasses()[0]);
    EXPECT_EQ(nullptr, e.desc->baseClasses()[1]);
  }
  const Object* error = outOfMemoryStatus();
  EXPECT_TRUE(error->isKindOf(Status::desc()));
  EXPECT_FALSE(nullStatus()->isKindOf(ErrorStatus::desc()));
  EXPECT_EQ(static_cast<const Status*>(outOfMemoryStatus()), castdown<Status>(error));
  EXPECT_EQ(outOfMemoryStatus(), castdown<ErrorStatus>(error));
  const Object* null = nullStatus();
  EXPECT_EQ(nullStatus(), castdown<NullStatus>(null));
}

// The status operations must follow Object's in the listed order: code built
// against the layout calls them by slot. In the Itanium ABI a pointer to a
// virtual member holds 1 + its byte offset in the virtual table.
#if defined(__GNUC__) && !defined(_WIN32)
template <class F>
std::ptrdiff_t vtableIndex(F f) {
  struct Rep {
    std::ptrdiff_t ptr;
    std::ptrdiff_t adj;
  } rep;
  static_assert(sizeof(Rep) == sizeof(f));
  std::memcpy(&rep, &f, sizeof rep);
  return (rep.ptr - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(StatusTest, StatusOperationsFollowObjectsInSlotOrder) {
  std::ptrdiff_t last = vtableIndex(&Object::_castdown);
  const std::ptrdiff_t slots[] = {
      vtableIndex(&Status::isNull),         vtableIndex(&Status::severity),
      vtableIndex(&Status::facilityNumber), vtableIndex(&Status::errorNumber),
      vtableIndex(&Status::isInternal),     vtableIndex(&Status::code),
      vtableIndex(&Status::externError),    vtableIndex(&Status::facilityName),
      vtableIndex(&Status::messageText),    vtableIndex(&Status::severityName),
      vtableIndex(&Status::statusObject),
  };
  for (std::ptrdiff_t slot : slots) {
    EXPECT_EQ(last + 1, slot);
    last = slot;
  }
  // The derived classes add no slots before them.
  EXPECT_EQ(slots[0], vtableIndex(&ErrorStatus::isNull));
  EXPECT_EQ(slots[8], vtableIndex(&NullStatus::messageText));
}
#endif

TEST(ErrorStatusTest, FullCodeConstructorGeneratesAMissingMessage) {
  ErrorStatus s(0x40020017, false, "DATUMERR", nullptr, 0, false);
  EXPECT_STREQ("DATUMERR: ERROR: Error number 40020017", s.messageText());
  EXPECT_STREQ("DATUMERR", s.facilityName());

  // No facility: "UNKNOWN", also in the message; lower-case hex without
  // leading zeros.
  ErrorStatus unnamed(0x0002ABCD, true, nullptr, nullptr, -7, false);
  EXPECT_STREQ("UNKNOWN", unnamed.facilityName());
  EXPECT_STREQ("UNKNOWN: SUCCESS: Error number 2abcd", unnamed.messageText());
  EXPECT_TRUE(unnamed.isNull());
  EXPECT_EQ(-7, unnamed.externError());
}

TEST(ErrorStatusTest, ErrorNumberConstructor) {
  ErrorStatus s(5, kError, false);
  EXPECT_EQ(0x40010005u, s.code());
  EXPECT_STREQ("Error number 40010005", s.messageText());
  EXPECT_STREQ("UNKNOWN", s.facilityName());
  EXPECT_EQ(0, s.facilityNumber());
  EXPECT_TRUE(s.isInternal());
  EXPECT_FALSE(s.isNull());

  // Only the low 16 bits of the error number count.
  ErrorStatus wide(0x12345, kInfo, true, "Row skipped.");
  EXPECT_EQ(0x10012345u, wide.code());
  EXPECT_STREQ("Row skipped.", wide.messageText());
  EXPECT_TRUE(wide.isNull());
}

TEST(ErrorStatusTest, GivenTextsAreCopiedUnlessAdopted) {
  char facility[] = "OIOERR";
  char message[] = "Bad header.";
  ErrorStatus copied(makeStatusCode(kError, kOioErrFacility, false, 15), false, facility, message,
                     3, false);
  facility[0] = 'X';
  message[0] = 'X';
  EXPECT_STREQ("OIOERR", copied.facilityName());
  EXPECT_STREQ("Bad header.", copied.messageText());

  // Adopted texts are used as they are and freed by the status.
  char* ownFacility = allocatedText("XIOERR");
  char* ownMessage = allocatedText("Stream closed.");
  {
    ErrorStatus adopted(makeStatusCode(kError, kXioErrFacility, false, 2), false, ownFacility,
                        ownMessage, 0, true);
    EXPECT_EQ(ownFacility, adopted.facilityName());
    EXPECT_EQ(ownMessage, adopted.messageText());
  }
  // Adopting with an absent facility still owns a copy of "UNKNOWN".
  ErrorStatus unnamed(makeStatusCode(kError, 0, false, 2), false, nullptr, allocatedText("Lost."),
                      0, true);
  EXPECT_STREQ("UNKNOWN", unnamed.facilityName());
  EXPECT_STREQ("Lost.", unnamed.messageText());
}

TEST(ErrorStatusTest, FailedTextAllocationLeavesTheTextAbsent) {
  AllocationFailureScope scope;
  const uint32_t code = makeStatusCode(kWarning, kDatumErrFacility, false, 10);
  AllocationControl::failNth(1);  // the facility name
  ErrorStatus noFacility(code, false, kDatumErrName, "Text truncated.", 0, false);
  EXPECT_STREQ("", noFacility.facilityName());
  EXPECT_STREQ("Text truncated.", noFacility.messageText());

  AllocationControl::failNth(2);  // the message
  ErrorStatus noMessage(code, false, kDatumErrName, "Text truncated.", 0, false);
  EXPECT_STREQ("DATUMERR", noMessage.facilityName());
  MessageModeScope mode;
  for (int m : {0, 1, 2}) {
    setMessageMode(m);
    EXPECT_STREQ("", noMessage.messageText());
  }
  EXPECT_EQ("Facility: DATUMERR Severity: WARNING Error ID: 10 Extern error: 0 Message: ",
            printed(noMessage));

  AllocationControl::failNth(2);  // the generated message
  ErrorStatus noGenerated(code, false, kDatumErrName, nullptr, 0, false);
  EXPECT_STREQ("", noGenerated.messageText());

  // A missing facility copy does not spoil the generated message.
  AllocationControl::failNth(1);
  ErrorStatus generated(code, false, kDatumErrName, nullptr, 0, false);
  EXPECT_STREQ("", generated.facilityName());
  EXPECT_STREQ("DATUMERR: WARNING: Error number 3002000a", generated.messageText());

  AllocationControl::failAfter(0);
  ErrorStatus numbered(5, kError, false);
  EXPECT_STREQ("", numbered.facilityName());
  EXPECT_STREQ("", numbered.messageText());
  EXPECT_EQ(0x40010005u, numbered.code());
}

TEST(ErrorStatusTest, CopiesOwnTheirTexts) {
  ErrorStatus* original = new ErrorStatus(makeStatusCode(kSevere, kModulErrFacility, false, 4),
                                          true, kModulErrName, "Module gone.", 12, false);
  ErrorStatus constructed(*original);
  ErrorStatus assigned(1, kInfo, false, "to be replaced");
  assigned = *original;
  Object* shallow = original->shallowCopy();
  ASSERT_EQ(&ErrorStatus::desc(), shallow->isA());
  ErrorStatus& copy = *static_cast<ErrorStatus*>(shallow);
  EXPECT_EQ(1, copy.refCount());
  EXPECT_EQ(-1, constructed.refCount());
  const char* copyFacility = copy.facilityName();
  copy.deepenShallowCopy();  // nothing to deepen: the texts stay
  EXPECT_EQ(copyFacility, copy.facilityName());

  for (const ErrorStatus* c : {&constructed, &assigned, &copy}) {
    EXPECT_NE(original->facilityName(), c->facilityName());
    EXPECT_NE(original->messageText(), c->messageText());
  }
  original->release();  // the copies must not depend on its texts
  for (const ErrorStatus* c : {&constructed, &assigned, &copy}) {
    EXPECT_EQ(makeStatusCode(kSevere, kModulErrFacility, false, 4), c->code());
    EXPECT_TRUE(c->isNull());
    EXPECT_EQ(12, c->externError());
    EXPECT_STREQ("MODULERR", c->facilityName());
    EXPECT_STREQ("Module gone.", c->messageText());
  }
  shallow->release();

  ErrorStatus& same = assigned;
  assigned = same;
  EXPECT_STREQ("Module gone.", assigned.messageText());

  // Assignment over adopted texts frees them; a failed copy leaves the text
  // absent.
  ErrorStatus adopted(makeStatusCode(kError, 0, false, 1), false, allocatedText("F"),
                      allocatedText("M"), 0, true);
  AllocationFailureScope scope;
  AllocationControl::failNth(2);
  adopted = constructed;
  EXPECT_STREQ("MODULERR", adopted.facilityName());
  EXPECT_STREQ("", adopted.messageText());
}

TEST(ErrorStatusTest, ShallowCopiesOfTheOtherClasses) {
  Object* ok = successStatus()->shallowCopy();
  Object* null = nullStatus()->shallowCopy();
  EXPECT_EQ(&Status::desc(), ok->isA());
  EXPECT_EQ(&NullStatus::desc(), null->isA());
  EXPECT_EQ(1, ok->refCount());
  EXPECT_EQ(1, null->refCount());
  EXPECT_TRUE(ok->isEqual(*successStatus()));
  EXPECT_TRUE(null->isEqual(*nullStatus()));
  ok->release();
  null->release();
}

TEST(MakeErrorStatusTest, HeapStatusWithOneReference) {
  const Status* s = makeErrorStatus(0x40020017, true, kDatumErrName, nullptr, 99, false);
  ASSERT_EQ(&ErrorStatus::desc(), s->isA());
  EXPECT_EQ(1, s->refCount());
  EXPECT_EQ(0x40020017u, s->code());
  EXPECT_TRUE(s->isNull());
  EXPECT_EQ(99, s->externError());
  EXPECT_STREQ("DATUMERR: ERROR: Error number 40020017", s->messageText());
  s->addRef();
  EXPECT_EQ(2, s->refCount());
  s->release();
  s->release();
}

TEST(MakeErrorStatusTest, AllocationFailureGivesTheSharedOutOfMemoryStatus) {
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  const Status* s = makeErrorStatus(0x40020017, false, kDatumErrName, "Lost.", 0, false);
  EXPECT_EQ(outOfMemoryStatus(), s);
  EXPECT_EQ(1u, AllocationControl::failures());
  s->release();
  EXPECT_EQ(-1, outOfMemoryStatus()->refCount());
  EXPECT_STREQ("Out of memory.", outOfMemoryStatus()->messageText());

  // Adopted texts are freed even then (the sanitizer build sees a leak
  // otherwise).
  char* facility = allocatedText(kDatumErrName);
  char* message = allocatedText("Lost.");
  AllocationControl::failNth(1);
  EXPECT_EQ(outOfMemoryStatus(), makeErrorStatus(1, false, facility, message, 0, true));

  // A text that cannot be copied is absent in a status that could be made.
  AllocationControl::failNth(2);
  const Status* noFacility = makeErrorStatus(0x40020017, false, kDatumErrName, "Lost.", 0, false);
  ASSERT_NE(outOfMemoryStatus(), noFacility);
  EXPECT_STREQ("", noFacility->facilityName());
  EXPECT_STREQ("Lost.", noFacility->messageText());
  noFacility->release();
}

TEST(MessageModeTest, SetReturnsThePreviousModeStartingAtZero) {
  MessageModeScope mode;
  EXPECT_EQ(0, setMessageMode(2));
  EXPECT_EQ(2, setMessageMode(1));
  EXPECT_EQ(1, setMessageMode(0));
}

TEST(MessageModeTest, ModeZeroRewritesAnInternalMessageOnce) {
  AllocationFailureScope scope;
  ErrorStatus s(kColumnNotFoundCode, true, kDatumErrName, "($01$)Column name not found.", 0, false);
  const char* first = s.messageText();
  EXPECT_STREQ(kRewrittenColumnNotFound, first);
  uint64_t calls = AllocationControl::calls();
  const char* second = s.messageText();
  EXPECT_EQ(first, second);  // the stored message was replaced, not rewritten again
  EXPECT_EQ(calls, AllocationControl::calls());
  ErrorStatus copy(s);
  EXPECT_STREQ(kRewrittenColumnNotFound, copy.messageText());

  // No marker, or a marker further on: unchanged.
  ErrorStatus plain(kColumnNotFoundCode, false, kDatumErrName, "See ($01$) above.", 0, false);
  EXPECT_STREQ("See ($01$) above.", plain.messageText());
}

TEST(MessageModeTest, RewriteIsLimitedTo255Characters) {
  std::string longMessage = "($01$)" + std::string(300, 'x');
  ErrorStatus s(kColumnNotFoundCode, false, nullptr, longMessage.c_str(), 0, false);
  std::string preface = kInternalErrorPreface;
  EXPECT_EQ(preface + std::string(255 - preface.size(), 'x'), s.messageText());
}

TEST(MessageModeTest, FailedRewriteAnswersTheTextAfterTheMarkerAndTriesAgain) {
  AllocationFailureScope scope;
  ErrorStatus s(kColumnNotFoundCode, false, kDatumErrName, "($01$)Column name not found.", 0,
                false);
  AllocationControl::failNth(1);
  EXPECT_STREQ("Column name not found.", s.messageText());
  EXPECT_EQ(1u, AllocationControl::failures());
  EXPECT_STREQ(kRewrittenColumnNotFound, s.messageText());
}

TEST(MessageModeTest, OtherModesStripTheLeadingPiecesAndKeepTheStoredMessage) {
  MessageModeScope mode;
  ErrorStatus s(kColumnNotFoundCode, false, kDatumErrName, "($01$)Column name not found.", 0,
                false);
  setMessageMode(2);
  EXPECT_STREQ("Column name not found.", s.messageText());
  setMessageMode(0);
  EXPECT_STREQ(kRewrittenColumnNotFound, s.messageText());  // the marker was still stored
  setMessageMode(2);
  EXPECT_STREQ("Column name not found.", s.messageText());  // a rewritten message reads plain

  ErrorStatus mixed(1, kError, false,
                    ":\n.Internal error.Please report details to Customer Service ($01$)"
                    "Please report details to your Halvern Support contact: Disk full. Internal "
                    "error");
  EXPECT_STREQ("Disk full. Internal error", mixed.messageText());
  ErrorStatus allPieces(1, kError, false, "($01$) Internal error.");
  EXPECT_STREQ("", allPieces.messageText());
}

TEST(MessageModeTest, ModeOneRewritesOnlyInternalStatuses) {
  MessageModeScope mode;
  setMessageMode(1);
  ErrorStatus internal(kColumnNotFoundCode, false, kDatumErrName, "($01$)Column name not found.", 0,
                       false);
  EXPECT_STREQ(kRewrittenColumnNotFound, internal.messageText());

  const uint32_t external = makeStatusCode(kError, kDatumErrFacility, false, 30);
  ErrorStatus marked(external, false, kDatumErrName, "($01$)Column name not found.", 0, false);
  EXPECT_STREQ("Column name not found.", marked.messageText());
  setMessageMode(0);
  EXPECT_STREQ(kRewrittenColumnNotFound, marked.messageText());  // not rewritten in mode 1
  setMessageMode(1);
  EXPECT_STREQ("Column name not found.", marked.messageText());

  ErrorStatus reported(external, false, kDatumErrName,
                       "Internal error: Please report details to Customer Service.  Disk full.", 0,
                       false);
  EXPECT_STREQ("Disk full.", reported.messageText());
}

TEST(StatusCompareTest, EqualityIsSameSpeciesAndSameCode) {
  ErrorStatus a(0x40020017, false, kDatumErrName, "one", 0, false);
  ErrorStatus b(0x40020017, true, kModulErrName, "two", 5, false);
  ErrorStatus c(0x40020018, false, kDatumErrName, "one", 0, false);
  ErrorStatus zero(0, false, nullptr, nullptr, 0, false);
  EXPECT_TRUE(a.isEqual(b));
  EXPECT_TRUE(b.isEqual(a));
  EXPECT_FALSE(a.isEqual(c));
  // Code 0 in every class, but different species.
  EXPECT_FALSE(zero.isEqual(*successStatus()));
  EXPECT_FALSE(successStatus()->isEqual(zero));
  EXPECT_FALSE(successStatus()->isEqual(*nullStatus()));
  Status another;
  EXPECT_TRUE(successStatus()->isEqual(another));
  Integer integer(0);
  EXPECT_FALSE(successStatus()->isEqual(integer));
  for (const Status* s : {static_cast<const Status*>(&a), static_cast<const Status*>(&c),
                          successStatus(), static_cast<const Status*>(nullStatus())}) {
    EXPECT_EQ(0u, s->hash());
  }
}

TEST(StatusCompareTest, OrderIsByCodeWithinASpeciesOtherwiseByClassName) {
  ErrorStatus higher(0x40020017, false, kDatumErrName, "m", 0, false);
  ErrorStatus lower(0x30020017, false, kDatumErrName, "m", 0, false);
  ErrorStatus same(0x40020017, false, kDatumErrName, "m", 0, false);
  EXPECT_EQ(1, higher.compare(lower));
  EXPECT_EQ(0, lower.compare(higher));
  EXPECT_EQ(0, higher.compare(same));

  EXPECT_LT(higher.compare(*successStatus()), 0);  // "ErrorStatus" < "Status"
  EXPECT_GT(successStatus()->compare(higher), 0);
  EXPECT_GT(successStatus()->compare(*nullStatus()), 0);  // "Status" > "NullStatus"
  EXPECT_GT(nullStatus()->compare(higher), 0);            // "NullStatus" > "ErrorStatus"
  Integer integer(1);
  EXPECT_GT(successStatus()->compare(integer), 0);  // "Status" > "Integer"
  Status another;
  EXPECT_EQ(0, successStatus()->compare(another));
}

TEST(StatusPrintTest, PrintOnWritesEveryFieldWithoutAnEndOfLine) {
  EXPECT_EQ("Facility: UNKNOWN Severity: SUCCESS Error ID: 0 Extern error: 0 Message: ",
            printed(*successStatus()));
  EXPECT_EQ(
      "Facility: UNKNOWN Severity: SUCCESS Error ID: 0 Extern error: 0 Message: Null Datum "
      "value.",
      printed(*nullStatus()));
  ErrorStatus s(makeStatusCode(kError, kXioErrFacility, false, 65535), false, kXioErrName,
                "Write failed.", -2, false);
  EXPECT_EQ(
      "Facility: XIOERR Severity: ERROR Error ID: 65535 Extern error: -2 Message: Write failed.",
      printed(s));

  // The message reads as the message mode says.
  MessageModeScope mode;
  setMessageMode(2);
  ErrorStatus internal(kColumnNotFoundCode, false, kDatumErrName, "($01$)Column name not found.", 0,
                       false);
  EXPECT_EQ(
      "Facility: DATUMERR Severity: ERROR Error ID: 30 Extern error: 0 Message: Column name not "
      "found.",
      printed(internal));
}

TEST(StatusStreamTest, StreamTypeNumbersAndNewInstances) {
  EXPECT_EQ(26, successStatus()->streamTypeNumber());
  EXPECT_EQ(27, nullStatus()->streamTypeNumber());
  EXPECT_EQ(8, outOfMemoryStatus()->streamTypeNumber());

  Object* ok = successStatus()->newForStream();
  Object* null = nullStatus()->newForStream();
  Object* error = outOfMemoryStatus()->newForStream();
  EXPECT_EQ(&Status::desc(), ok->isA());
  EXPECT_EQ(&NullStatus::desc(), null->isA());
  ASSERT_EQ(&ErrorStatus::desc(), error->isA());
  for (Object* o : {ok, null, error}) EXPECT_EQ(1, o->refCount());
  const ErrorStatus* empty = static_cast<ErrorStatus*>(error);
  EXPECT_EQ(0u, empty->code());
  EXPECT_FALSE(empty->isNull());
  EXPECT_EQ(0, empty->externError());
  EXPECT_STREQ("", empty->facilityName());
  EXPECT_STREQ("", empty->messageText());
  ok->release();
  null->release();
  error->release();

  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_EQ(nullptr, outOfMemoryStatus()->newForStream());
}

TEST(StatusStreamTest, PrototypesAreRegisteredWithTheRegistry) {
  Status::desc();
  NullStatus::desc();
  ErrorStatus::desc();
  buildRegistry();
  EXPECT_EQ(&Status::desc(), lookUp("Status"));
  EXPECT_EQ(&NullStatus::desc(), lookUp("NullStatus"));
  EXPECT_EQ(&ErrorStatus::desc(), lookUp("ErrorStatus"));
  EXPECT_EQ(successStatus(), prototype(26));
  EXPECT_EQ(nullStatus(), prototype(27));
  Object* errorPrototype = prototype(8);
  ASSERT_EQ(&ErrorStatus::desc(), errorPrototype->isA());
  EXPECT_EQ(-1, errorPrototype->refCount());
  EXPECT_EQ(0u, static_cast<ErrorStatus*>(errorPrototype)->code());
}

// Statuses through both object-stream forms: the text form (false) and the
// binary form (true).
class StatusStreamForms : public ::testing::TestWithParam<bool> {};

TEST_P(StatusStreamForms, StatusesRoundTrip) {
  bool binary = GetParam();
  Object* success = roundTrip(*successStatus(), binary);
  EXPECT_STREQ("Status", success->className());
  success->release();
  Object* null = roundTrip(*nullStatus(), binary);
  EXPECT_TRUE(static_cast<Status*>(null)->isNull());
  null->release();

  const Status* error =
      makeErrorStatus(0x4002000Bu, true, "DATUMERR", "Bad value: \"x\"\n", 17, false);
  const ErrorStatus* back = static_cast<const ErrorStatus*>(roundTrip(*error, binary));
  EXPECT_TRUE(back->isEqual(*error));
  EXPECT_TRUE(back->isNull());
  EXPECT_EQ(17, back->externError());
  EXPECT_STREQ("DATUMERR", back->facilityName());
  EXPECT_STREQ("Bad value: \"x\"\n", back->messageText());
  back->release();
  error->release();

  // A shared static status is stored like any other and read back as a new one.
  Object* oom = roundTrip(*outOfMemoryStatus(), binary);
  EXPECT_NE(static_cast<const Object*>(outOfMemoryStatus()), oom);
  EXPECT_TRUE(oom->isEqual(*outOfMemoryStatus()));
  EXPECT_EQ(1, oom->refCount());
  oom->release();
}

TEST_P(StatusStreamForms, ErrorStatusWithoutTextsReadsBackTheDefaults) {
  bool binary = GetParam();
  // Stored by hand: a code, no facility, no message.
  std::stringstream buffer;
  {
    ErrorStatus plain;
    plain.storeOn(*testing::openOut(buffer, binary));
  }
  std::string bytes = buffer.str();
  ErrorStatus* back = static_cast<ErrorStatus*>(readFrom(bytes, binary));
  EXPECT_STREQ("UNKNOWN", back->facilityName());
  EXPECT_STREQ("UNKNOWN: SUCCESS: Error number 0", back->messageText());
  back->release();
}

INSTANTIATE_TEST_SUITE_P(Text, StatusStreamForms, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Binary, StatusStreamForms, ::testing::Values(true));

}  // namespace
}  // namespace dv
