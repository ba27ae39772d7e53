// Tests of the tagged value stream: the byte form of numbers, strings,
// objects and tables; round trips of every streamable class through a pipe;
// and damaged input refused without leaks or half-built objects.
#include "stream/TableStream.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "datum/DateTime.h"
#include "datum/DateTimeConstraint.h"
#include "datum/Decimal.h"
#include "datum/DecimalConstraint.h"
#include "datum/Interval.h"
#include "datum/IntervalConstraint.h"
#include "datum/Money.h"
#include "datum/MoneyConstraint.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/NumberConstraint.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/Allocation.h"
#include "object/Integer.h"
#include "stream/ConnectionHandles.h"
#include "table/NameCltn.h"
#include "table/Table.h"

namespace dv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes writtenBy(TableStream& s) {
  return Bytes(s.written(), s.written() + s.writtenSize());
}

Bytes messageOf(const Object& ob) {
  TableStream s(nullptr, 0);
  EXPECT_TRUE(s.writeMessage(ob));
  return writtenBy(s);
}

// Reads one message from bytes; null (with *code the status code) on failure.
Object* readBack(const Bytes& bytes, uint32_t* code = nullptr) {
  TableStream s(bytes.data(), bytes.size());
  Object* ob = nullptr;
  bool ok = s.readMessage(ob);
  EXPECT_EQ(ok, ob != nullptr);
  if (code != nullptr) *code = s.status()->code();
  return ob;
}

// A table with one value of every streamable class, a nil cell, a nested
// table, one text held by two cells, names, a title and a row status; the
// column types in the last row.
Table* sampleTable() {
  Table* t = new Table(4, 6);
  Text* shared = new Text("shared");
  EXPECT_EQ(successStatus(), t->setCell(0, 0, shared));
  EXPECT_EQ(successStatus(), t->setCell(1, 0, shared));
  shared->release();
  Datum* values[] = {new Number(int32_t{-7}),
                     new Number(uint32_t{3000000000u}),
                     new Number(2.5),
                     new Decimal("-12.345", nullptr),
                     new Money("99.5", nullptr),
                     new DateTime("1999-12-31-23.59.59.500000", "iso", kUnitYear, kUnitFraction6),
                     new Interval(0, 0, 3, 4, 5, 6, 0, 13, kUnitDay, kUnitSecond)};
  int i = 0;
  for (Datum* d : values) {
    EXPECT_EQ(successStatus(), d->status()) << i;
    EXPECT_EQ(successStatus(), t->setCell(1 + (i + 1) / 4, (i + 1) % 4, d));
    d->release();
    ++i;
  }
  Datum* types[] = {new TextConstraint(40),
                    new NumberConstraint(0),
                    new DecimalConstraint(20, 4, Decimal::kFloating + 1, 100, 3),
                    new MoneyConstraint(12, 0),
                    new DateTimeConstraint(kUnitYear, kUnitDay, 0),
                    new IntervalConstraint(9, kUnitHour, kUnitSecond, 2)};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(successStatus(), t->setCell(3, c, types[c]));
    types[c]->release();
  }
  Table* inner = new Table(1, 1);
  EXPECT_EQ(successStatus(), inner->setCell(0, 0, "inner"));
  EXPECT_EQ(successStatus(), t->setCell(0, 2, inner));
  inner->release();
  EXPECT_EQ(successStatus(), t->addColumnName(0, "id"));
  EXPECT_EQ(successStatus(), t->addColumnName(1, "amount"));
  EXPECT_EQ(successStatus(), t->setTitle("sample"));
  const Status* failed = makeErrorStatus(0x40010042u, false, "DATUMERR", "row failed", 7, false);
  EXPECT_EQ(successStatus(), t->setRowStatus(2, failed));
  failed->release();
  return t;
}

void expectSameSample(const Table& a, const Table& b) {
  ASSERT_EQ(a.rows(), b.rows());
  ASSERT_EQ(a.cols(), b.cols());
  for (int32_t r = 0; r < a.rows(); ++r) {
    for (int32_t c = 0; c < a.cols(); ++c) {
      const Datum* x = a.cell(r, c);
      const Datum* y = b.cell(r, c);
      EXPECT_EQ(x->isA(), y->isA()) << r << "," << c;
      EXPECT_TRUE(x->isEqual(*y)) << r << "," << c;
    }
  }
  EXPECT_EQ(b.cell(0, 0), b.cell(1, 0));  // still one object
  EXPECT_EQ(nilDatum(), b.cell(0, 1));
  EXPECT_EQ(1, b.columnIndex("amount"));
  EXPECT_STREQ("sample", static_cast<const Text*>(b.title())->chars());
  EXPECT_EQ(0x40010042u, b.rowStatus(2)->code());
  EXPECT_STREQ("row failed", b.rowStatus(2)->messageText());
  EXPECT_EQ(7, b.rowStatus(2)->externError());
  const auto* money = static_cast<const Money*>(b.cell(2, 1));
  EXPECT_STREQ(static_cast<const Money*>(a.cell(2, 1))->unit(), money->unit());
}

TEST(TableStreamBytesTest, NumbersAreBigEndianAndStringsTakeTheShortestLengthForm) {
  TableStream s(nullptr, 0);
  ASSERT_TRUE(s.writeLong(1));
  EXPECT_TRUE(writtenBy(s).empty());  // buffered until flushed
  ASSERT_TRUE(s.flush());
  EXPECT_EQ((Bytes{0x02, 0, 0, 0, 1}), writtenBy(s));
}

TEST(TableStreamBytesTest, ShortsAndStringsOf28And29And300Bytes) {
  TableStream s(nullptr, 0);
  std::string s28(28, 'a'), s29(29, 'b'), s300(300, 'c');
  ASSERT_TRUE(s.writeLong(1) && s.writeShort(-2) && s.writeString(s28.c_str()) &&
              s.writeString(s29.c_str()) && s.writeString(s300.c_str()) && s.flush());
  Bytes b = writtenBy(s);
  Bytes head = {0x02, 0, 0, 0, 1, 0x01, 0xFF, 0xFE, 0x05 | 28 << 3};
  ASSERT_GE(b.size(), head.size());
  EXPECT_EQ(head, Bytes(b.begin(), b.begin() + head.size()));
  size_t at = head.size() + 28;
  EXPECT_EQ(0x05 | 29 << 3, b[at]);
  EXPECT_EQ(29, b[at + 1]);
  at += 2 + 29;
  EXPECT_EQ(0x05 | 30 << 3, b[at]);
  EXPECT_EQ(0x01, b[at + 1]);
  EXPECT_EQ(0x2C, b[at + 2]);
  EXPECT_EQ(at + 3 + 300, b.size());
}

TEST(TableStreamBytesTest, AnEmptyTableIsTagsTwoFiveSixAndTheEnd) {
  Table* t = new Table;
  EXPECT_EQ((Bytes{0x03, 0x16, 2, 0x01, 0x00, 0x0F, 5, 0x02, 0, 0, 0, 0, 6, 0x02, 0, 0, 0, 0, 0}),
            messageOf(*t));
  t->addRef();  // held twice: shared, with reference number 1
  Bytes shared = messageOf(*t);
  shared.resize(10);
  EXPECT_EQ((Bytes{0x03, 0x1E, 0, 0, 0, 1, 2, 0x01, 0x00, 0x0F}), shared);
  t->release();
  t->release();
}

TEST(TableStreamBytesTest, AnObjectHeldTwiceIsSentOnceThenByReference) {
  Table* t = new Table(1, 2);
  Text* x = new Text("x");
  ASSERT_EQ(successStatus(), t->setCell(0, 0, x));
  ASSERT_EQ(successStatus(), t->setCell(0, 1, x));
  x->release();
  Bytes b = messageOf(*t);
  t->release();
  // The cells: tag 7, the array (type 12, not shared), its count 2, then
  // the text with the shared flag and reference 1 and its body, then the
  // reference alone.
  Bytes cells = {7, 0xC6, 1,    0x02, 0, 0, 0,    2, 2, 0x0E, 0, 0, 0,
                 1, 2,    0x0D, 'x',  0, 2, 0x0E, 0, 0, 0,    1, 0};
  auto at = std::search(b.begin(), b.end(), cells.begin(), cells.end());
  EXPECT_NE(b.end(), at) << ::testing::PrintToString(b);
}

TEST(TableStreamBytesTest, NamesStreamAsNameAndColumnPairs) {
  NameCltn* names = new NameCltn;
  Text* a = new Text("a");
  Text* bb = new Text("b");
  Integer* zero = new Integer(0);
  Integer* one = new Integer(1);
  ASSERT_TRUE(names->add(bb, one) && names->add(a, zero));
  for (Object* o : std::vector<Object*>{a, bb, zero, one}) o->release();
  EXPECT_EQ(
      (Bytes{3, 0xB6, 1, 0x0D, 'a', 2, 0x02, 0, 0, 0, 0, 1, 0x0D, 'b', 2, 0x02, 0, 0, 0, 1, 0}),
      messageOf(*names));
  names->release();
  // Names read through a translation table, except the reserved one.
  uint8_t upper[256];
  for (int i = 0; i < 256; ++i) upper[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
  Bytes two = {3, 0xB6, 1, 0x0D, 'a', 2, 0x02, 0, 0, 0, 0, 1, 0x05 | 11 << 3};
  const char* reserved = "@__CSI_ID__";
  two.insert(two.end(), reserved, reserved + 11);
  two.insert(two.end(), {2, 0x02, 0, 0, 0, 1, 0});
  TableStream in(two.data(), two.size(), upper);
  Object* ob = nullptr;
  ASSERT_TRUE(in.readMessage(ob));
  auto* back = static_cast<NameCltn*>(ob);
  EXPECT_GE(back->indexOfName(Text("@__CSI_ID__")), 0);
  EXPECT_GE(back->indexOfName(Text("A")), 0);
  EXPECT_LT(back->indexOfName(Text("a")), 0);
  ob->release();
}

TEST(TableStreamBytesTest, ReadersTakeNeighbouringKinds) {
  Bytes b = {0x00, 0xFF, 0x02, 0, 0, 0x01, 0x2C, 0x02, 0, 0, 0x01, 0x2C, 0x00, 0x05, 0x05};
  TableStream s(b.data(), b.size());
  int32_t l = 0;
  uint8_t c = 9;
  int16_t sh = 0;
  double d = 0;
  EXPECT_TRUE(s.readLong(l));
  EXPECT_EQ(-1, l);
  EXPECT_TRUE(s.readChar(c));  // 300 does not fit: unchanged
  EXPECT_EQ(9, c);
  EXPECT_TRUE(s.readShort(sh));
  EXPECT_EQ(300, sh);
  EXPECT_TRUE(s.readDouble(d));
  EXPECT_EQ(5.0, d);
  EXPECT_FALSE(s.readLong(l));  // a string is no number
  EXPECT_EQ(kXioBadAttributeType, s.status()->code());
}

TEST(TableStreamBytesTest, ColumnTypesWriteOnlyWhatDiffersFromTheirDefault) {
  Object* defaults[] = {new TextConstraint,  new NumberConstraint,   new DecimalConstraint,
                        new MoneyConstraint, new DateTimeConstraint, new IntervalConstraint};
  for (Object* ob : defaults) {
    // The header with the number in the byte after it, then only the end tag.
    EXPECT_EQ((Bytes{3, 0xD6, static_cast<uint8_t>(ob->streamTypeNumber()), 0}), messageOf(*ob))
        << ob->className();
    ob->release();
  }
  // The scale a money column type is made with by default is 2: a scale of
  // 0 is written, and reads back.
  MoneyConstraint noCents(16, 0);
  Object* back = readBack(messageOf(noCents));
  ASSERT_NE(nullptr, back);
  ASSERT_EQ(&MoneyConstraint::desc(), back->isA());
  EXPECT_TRUE(noCents.isEqual(*back));
  back->release();
}

TEST(TableStreamDamageTest, ColumnTypesRefuseWhatNoConstraintIsMadeWith) {
  Bytes bytes = messageOf(DecimalConstraint(20, 0));
  ASSERT_EQ(20, bytes[bytes.size() - 2]);  // the precision, the last field
  bytes[bytes.size() - 2] = 39;
  uint32_t code = 0;
  EXPECT_EQ(nullptr, readBack(bytes, &code));
  EXPECT_EQ(kXioBadAttributeType, code);
  TextConstraint* five = new TextConstraint(5);  // held once: not sent shared
  Bytes unknown = messageOf(*five);
  five->release();
  ASSERT_EQ(TextConstraint::kTagMaxLength, unknown[3]);
  unknown[3] = 9;
  EXPECT_EQ(nullptr, readBack(unknown, &code));
  EXPECT_EQ(kXioBadAttribute, code);
}

TEST(TableStreamRoundTripTest, EveryStreamableClassThroughAPipe) {
  Table* t = sampleTable();
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  {
    TableStream out(fds[1], -1);
    ASSERT_TRUE(out.writeMessage(*t, true, 64));  // small buffers: many flushes
    ASSERT_TRUE(out.writeMessage(*t));            // a second message, fresh references
  }
  close(fds[1]);
  TableStream in(fds[0], -1);
  for (int i = 0; i < 2; ++i) {
    Object* ob = nullptr;
    ASSERT_TRUE(in.readMessage(ob)) << in.status()->messageText();
    ASSERT_EQ(&Table::desc(), ob->isA());
    expectSameSample(*t, *static_cast<Table*>(ob));
    // What was read writes the same bytes again.
    EXPECT_EQ(messageOf(*t), messageOf(*ob));
    ob->release();
  }
  Object* none = nullptr;
  EXPECT_FALSE(in.readMessage(none));  // the writer closed: end of data
  EXPECT_EQ(kXioReadFailed, in.status()->code());
  close(fds[0]);
  t->release();
}

// A port on 127.0.0.1 that was free a moment ago.
int freePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
  socklen_t len = sizeof at;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&at), &len);
  ::close(s);
  return ntohs(at.sin_port);
}

TEST(TableStreamRoundTripTest, EveryStreamableClassThroughALoopbackConnection) {
  Table* t = sampleTable();
  int port = freePort();
  // The streams of a process share one input pool, which serves one thread
  // at a time: it is made here, before the second thread starts, and each
  // side's reading stream is gone before the other side reads.
  {
    TableStream warm(nullptr, 0);
    Object* none = nullptr;
    EXPECT_FALSE(warm.readMessage(none));
  }
  // The listening side takes one connection, reads a message and sends it
  // back; the other side connects (trying for at most two seconds).
  std::thread listener([&] {
    int32_t kind = 0;
    int32_t number = 0;
    int h = openListening(-1, std::to_string(port).c_str(), &kind, &number);
    ASSERT_GE(h, 0) << kind << " " << number;
    Object* ob = nullptr;
    {
      TableStream in(-1, h);
      in.setReceiveLimit(5);
      ASSERT_TRUE(in.readMessage(ob)) << in.status()->messageText();
    }
    TableStream out(-1, h);
    EXPECT_TRUE(out.writeMessage(*ob, true, 100));
    ob->release();
    // The peer closes first; then this side.
    char b = 0;
    EXPECT_EQ(-1, receiveHandle(h, &b, 1, 5, &kind, &number));
    EXPECT_EQ(0, closeHandle(h, &kind, &number));
  });
  int h = -1;
  for (int i = 0; i < 200 && h < 0; ++i) {
    h = openHost(0, "TCP", "", "127.0.0.1", port, "", "", "", "", "", nullptr, nullptr, nullptr, 0);
    if (h < 0) usleep(10000);
  }
  if (h < 0) {
    listener.detach();  // it may wait on: the test fails rather than hang
    t->release();
    FAIL() << "could not connect to the listener";
  }
  {
    TableStream out(-1, h);
    ASSERT_TRUE(out.writeMessage(*t));
  }
  TableStream in(-1, h);
  in.setReceiveLimit(5);
  Object* back = nullptr;
  EXPECT_TRUE(in.readMessage(back)) << in.status()->messageText();
  if (back != nullptr) {
    expectSameSample(*t, *static_cast<Table*>(back));
    back->release();
  }
  EXPECT_EQ(0, closeHandle(h, nullptr, nullptr));
  listener.join();
  t->release();
}

TEST(TableStreamRoundTripTest, StatusesKeepTheirFieldsAndSuccessComesBackShared) {
  const Status* e = makeErrorStatus(0x7020000Au, true, "XIOERR", "bad", -3, false);
  Object* back = readBack(messageOf(*e));
  ASSERT_NE(nullptr, back);
  EXPECT_TRUE(e->isEqual(*back));
  EXPECT_STREQ("bad", static_cast<Status*>(back)->messageText());
  EXPECT_EQ(-3, static_cast<Status*>(back)->externError());
  back->release();
  e->release();
  EXPECT_EQ(successStatus(), readBack(messageOf(*successStatus())));
  EXPECT_EQ(nullStatus(), readBack(messageOf(*nullStatus())));
}

TEST(TableStreamDamageTest, AMessageMustStartWithThree) {
  uint32_t code = 0;
  EXPECT_EQ(nullptr, readBack(Bytes{4, 0x16, 0}, &code));
  EXPECT_EQ(kXioCannotInterpret, code);
}

TEST(TableStreamDamageTest, EveryCutShortMessageFailsAndLeavesNothingBehind) {
  Table* t = sampleTable();
  Bytes whole = messageOf(*t);
  t->release();
  for (size_t n = 0; n < whole.size(); ++n) {
    Bytes cut(whole.begin(), whole.begin() + n);
    uint32_t code = 0;
    EXPECT_EQ(nullptr, readBack(cut, &code)) << n;
    EXPECT_EQ(kXioReadFailed, code) << n;
  }
}

TEST(TableStreamDamageTest, UntrustedHeadersAreRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
    uint32_t code;
  };
  const Case cases[] = {
      {"unknown type number", {3, 0x96, 0}, kXioNotStreamable},
      {"type number in four bytes", {3, 0xF6, 0x7F, 0xFF, 0xFF, 0xFF, 0}, kXioNotStreamable},
      {"reference never defined", {3, 0x0E, 0, 0, 0, 5, 0}, kXioBadAttributeType},
      {"reference zero", {3, 0x0E, 0, 0, 0, 0, 0}, kXioBadAttributeType},
      {"string of 2 GB announced", {3, 0x06, 2, 0xFD, 0x7F, 0xFF, 0xFF, 0xFF, 'a'}, kXioReadFailed},
      {"unknown tag", {3, 0x06, 9, 0}, kXioBadAttribute},
      {"kind 7", {3, 0x06, 2, 0x07}, kXioBadAttributeType},
      {"sizes without cells",
       {3, 0x16, 5, 0x02, 0, 1, 0, 0, 6, 0x02, 0, 1, 0, 0, 0},
       kXioBadAttributeType},
      {"array count beyond its elements",
       {3, 0x16, 5, 2, 0, 0, 0, 1, 6, 2, 0, 0, 0, 1, 7, 0xD6, 12, 1, 2, 0x7F, 0, 0, 0, 0},
       kXioBadAttributeType},
      {"a cell that is no value",
       {3, 0x16, 5, 2, 0, 0, 0, 1, 6, 2, 0, 0, 0, 1, 7, 0xD6, 12, 1, 2, 0, 0, 0, 1, 2, 0xB6, 0, 0},
       kXioBadAttributeType},
      {"bad decimal encoding", {3, 0x56, 2, 0x05 | 3 << 3, 0, 0, 0, 0}, kXioBadAttributeType},
  };
  for (const Case& c : cases) {
    uint32_t code = 0;
    EXPECT_EQ(nullptr, readBack(c.bytes, &code)) << c.what;
    EXPECT_EQ(c.code, code) << c.what;
  }
}

TEST(TableStreamDamageTest, NestingDeeperThanTheLimitIsRefused) {
  // Tables inside tables, each the only cell of the one around it.
  Bytes b = {3};
  const Bytes open = {0x16, 5, 2, 0, 0, 0, 1, 6, 2, 0, 0, 0, 1, 7, 0xD6, 12, 1, 2, 0, 0, 0, 1, 2};
  for (int i = 0; i < TableStream::kMaxNesting + 2; ++i)
    b.insert(b.end(), open.begin(), open.end());
  uint32_t code = 0;
  EXPECT_EQ(nullptr, readBack(b, &code));
  EXPECT_EQ(kXioBadAttributeType, code);
}

TEST(TableStreamDamageTest, OutOfMemoryWhileReadingFailsCleanly) {
  Table* t = sampleTable();
  Bytes whole = messageOf(*t);
  t->release();
  // One read first: the class registry and the input pool are made once.
  Object* warm = readBack(whole);
  ASSERT_NE(nullptr, warm);
  warm->release();
  for (uint64_t n = 1; n < 200; ++n) {
    AllocationFailureScope scope;
    AllocationControl::failNth(n);
    TableStream s(whole.data(), whole.size());
    Object* ob = nullptr;
    if (s.readMessage(ob)) {
      ob->release();
    } else {
      EXPECT_EQ(nullptr, ob);
    }
  }
}

}  // namespace
}  // namespace dv
