// Tests of the byte buffers: the window, the pool's recycling, the chain,
// and the transfers across buffers with their refills.
#include "stream/IOBuf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "datum/DatumStatus.h"
#include "object/Allocation.h"
#include "stream/BufferTransfer.h"
#include "stream/IOBufList.h"
#include "stream/IOBufMgr.h"

namespace dv {
namespace {

TEST(IOBufTest, WindowIsClampedAndResetKeepsTheBufferWhenMemoryRunsOut) {
  IOBuf buf(nullptr, true, 16, 4, 40, IOBuf::kInput);
  EXPECT_EQ(16u, buf.capacity());
  EXPECT_EQ(12u, buf.remaining());
  EXPECT_EQ(successStatus(), buf.setWindow(10, 2));
  EXPECT_EQ(0u, buf.remaining());
  uint8_t external[8] = {};
  EXPECT_EQ(successStatus(), buf.reset(0, 8, external, sizeof external));
  EXPECT_FALSE(buf.ownsData());
  EXPECT_EQ(external, buf.data());
  {
    AllocationFailureScope scope;
    AllocationControl::failAfter(0);
    EXPECT_EQ(outOfMemoryStatus(), buf.reset(0, 32, nullptr, 32));
  }
  EXPECT_EQ(external, buf.data());
  EXPECT_EQ(8u, buf.remaining());
  EXPECT_EQ(successStatus(), buf.reset(1, 32, nullptr, 32));
  EXPECT_TRUE(buf.ownsData());
  EXPECT_EQ(31u, buf.remaining());
  IOBuf copy(buf);
  EXPECT_NE(buf.data(), copy.data());
  EXPECT_EQ(31u, copy.remaining());
}

TEST(IOBufMgrTest, RecyclesNewestFirstAndShrinksUnlessKept) {
  IOBufIn records[2];
  uint8_t block[2 * 8];
  IOBufMgr* pool = new IOBufMgr(records, 2, 8, block);
  EXPECT_EQ(2u, pool->freeCount());
  IOBufIn* a = nullptr;
  IOBufIn* b = nullptr;
  IOBufIn* c = nullptr;
  ASSERT_EQ(successStatus(), pool->take(a, IOBuf::kOutput));
  EXPECT_EQ(&records[1], a);
  EXPECT_EQ(8u, a->remaining());  // room to write
  ASSERT_EQ(successStatus(), pool->take(b, IOBuf::kInput));
  EXPECT_EQ(0u, b->remaining());                              // nothing to read yet
  ASSERT_EQ(successStatus(), pool->take(c, IOBuf::kOutput));  // made anew
  EXPECT_EQ(8u, c->capacity());
  EXPECT_EQ(3u, pool->outstanding());
  {
    AllocationFailureScope scope;
    AllocationControl::failAfter(0);
    IOBufIn* d = a;
    EXPECT_EQ(outOfMemoryStatus(), pool->take(d, IOBuf::kOutput));
    EXPECT_EQ(nullptr, d);
  }
  b->retain();
  b->release();
  EXPECT_EQ(3u, pool->outstanding());  // another holder came and went
  b->release();                        // the last holder: back to the pool
  IOBufIn* again = nullptr;
  ASSERT_EQ(successStatus(), pool->take(again, IOBuf::kInput));
  EXPECT_EQ(b, again);
  pool->setShrinking(true);
  c->release();  // a buffer the pool made is destroyed
  a->setKeep(true);
  a->release();      // kept
  again->release();  // a record: let go
  EXPECT_EQ(1u, pool->freeCount());
  EXPECT_EQ(0u, pool->outstanding());
  pool->release();
}

TEST(IOBufMgrTest, AHeapPoolLivesUntilItsLastBufferIsBack) {
  IOBufMgr* pool = new IOBufMgr(nullptr, 0, 4, nullptr);
  IOBufIn* buf = nullptr;
  ASSERT_EQ(successStatus(), pool->take(buf, IOBuf::kOutput));
  pool->release();  // the owner lets go; the buffer still holds it
  EXPECT_EQ(pool, buf->manager());
  EXPECT_EQ(1u, buf->manager()->outstanding());
  buf->release();  // now both go (the sanitizer sees a leak or a stale use)
}

TEST(IOBufListTest, ChainsHoldTheirBuffersAndMoveTheCurrentOne) {
  IOBufIn* first = new IOBufIn(nullptr, true, 4, 0, 4, IOBuf::kInput);
  IOBufIn* second = new IOBufIn(nullptr, true, 4, 0, 4, IOBuf::kInput);
  {
    IOBufList list;
    ASSERT_TRUE(list.append(*second));
    ASSERT_TRUE(list.prepend(*first));
    EXPECT_FALSE(list.append(*first));  // in a list already
    EXPECT_EQ(second, list.current());  // the first one appended
    EXPECT_EQ(first, list.head());
    EXPECT_EQ(2, first->holders());
    ASSERT_TRUE(list.setCurrent(first));
    EXPECT_EQ(second, list.advance());
    second->unlink();
    EXPECT_EQ(nullptr, list.current());
    EXPECT_EQ(1u, list.size());
    EXPECT_EQ(1, second->holders());
  }
  EXPECT_EQ(1, first->holders());  // the list's hold went with it
  EXPECT_EQ(nullptr, first->list());
  first->release();
  second->release();
}

// A refill that appends the next of a few input buffers.
struct Source {
  std::vector<std::string> chunks;
  std::size_t next = 0;
  int calls = 0;
  std::vector<uint32_t> remainingSeen;
};

const Status* refillFrom(IOBufList& list, void* arg, uint32_t remaining) {
  Source& s = *static_cast<Source*>(arg);
  ++s.calls;
  s.remainingSeen.push_back(remaining);
  if (s.next == s.chunks.size()) return nullValueStatus();  // "the input ended"
  const std::string& chunk = s.chunks[s.next++];
  IOBufIn* buf = new IOBufIn(nullptr, true, static_cast<uint32_t>(chunk.size()), 0,
                             static_cast<uint32_t>(chunk.size()), IOBuf::kInput);
  std::memcpy(buf->data(), chunk.data(), chunk.size());
  if (list.current() != nullptr) list.current()->unlink();
  list.append(*buf);
  buf->release();  // the list holds it
  return nullptr;
}

TEST(BufferTransferTest, ReadsAcrossBuffersRefillingOncePerExhaustedBuffer) {
  for (bool reverse : {false, true}) {
    IOBufList list;
    Source source;
    source.chunks = {"abc", "defghijklmn", "opqrstuvwxyz"};
    char out[20] = {};
    ASSERT_EQ(successStatus(), transfer(list, out, 20, reverse, &refillFrom, &source));
    EXPECT_EQ(3, source.calls);
    EXPECT_EQ((std::vector<uint32_t>{20, 17, 6}), source.remainingSeen);
    std::string got(out, 20);
    std::string want = "abcdefghijklmnopqrst";
    if (reverse) want.assign(want.rbegin(), want.rend());
    EXPECT_EQ(want, got);
    // The rest: skipped, then one byte too many ends with the refill's status.
    ASSERT_EQ(successStatus(), skip(list, 5, &refillFrom, &source));
    char one = 0;
    ASSERT_EQ(successStatus(), transfer(list, &one, 1, false, &refillFrom, &source));
    EXPECT_EQ('z', one);
    EXPECT_EQ(nullValueStatus(), transfer(list, &one, 1, false, &refillFrom, &source));
    EXPECT_EQ(nullValueStatus(), list.status());
  }
}

TEST(BufferTransferTest, WritesReversedAndTranslatedAndRefusesWhatDoesNotFit) {
  IOBufList list;
  IOBufIn* out = new IOBufIn(nullptr, true, 8, 0, 8, IOBuf::kOutput);
  list.append(*out);
  out->release();
  uint32_t value = 0x01020304;
  uint8_t bigEndian[4] = {};
  std::memcpy(bigEndian, &value, 4);
  ASSERT_EQ(successStatus(), transfer(list, bigEndian, 4, true, nullptr, nullptr));
  uint8_t upper[256];
  for (int i = 0; i < 256; ++i) upper[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
  uint32_t moved = 99;
  EXPECT_EQ(kTransferDidNotFit, transferTranslated(list, const_cast<char*>("abcdef"), 6, false,
                                                   upper, false, &moved, nullptr, nullptr));
  EXPECT_EQ(0u, moved);
  EXPECT_EQ(4u, out->remaining());
  EXPECT_EQ(kTransferDone, transferTranslated(list, const_cast<char*>("abcd"), 4, false, upper,
                                              false, &moved, nullptr, nullptr));
  EXPECT_EQ(4u, moved);
  uint8_t expected[8] = {0, 0, 0, 0, 'A', 'B', 'C', 'D'};
  std::memcpy(expected, &value, 4);
  std::reverse(expected, expected + 4);
  EXPECT_EQ(0, std::memcmp(expected, out->data(), 8));
  // A full buffer and a refill that provides no room: the transfer ends.
  EXPECT_EQ(badArgumentStatus(),
            transfer(
                list, bigEndian, 1, false,
                [](IOBufList&, void*, uint32_t) -> const Status* { return nullptr; }, nullptr));
}

}  // namespace
}  // namespace dv
