// The byte transfers.
#include "stream/BufferTransfer.h"

#include <cstddef>
#include <cstring>

#include "datum/DatumStatus.h"

namespace dv {
namespace {

// Copies m bytes from src to dst, each side moving by its own step (1 or
// -1), through table when one is given; in groups of eight.
void copyRun(uint8_t* dst, std::ptrdiff_t dstStep, const uint8_t* src, std::ptrdiff_t srcStep,
             uint32_t m, const uint8_t* table) {
  if (table == nullptr && dstStep == 1 && srcStep == 1) {
    std::memcpy(dst, src, m);
    return;
  }
  std::ptrdiff_t n = m;
  std::ptrdiff_t i = 0;
  if (table == nullptr) {
    for (; i + 8 <= n; i += 8) {
      dst[(i + 0) * dstStep] = src[(i + 0) * srcStep];
      dst[(i + 1) * dstStep] = src[(i + 1) * srcStep];
      dst[(i + 2) * dstStep] = src[(i + 2) * srcStep];
      dst[(i + 3) * dstStep] = src[(i + 3) * srcStep];
      dst[(i + 4) * dstStep] = src[(i + 4) * srcStep];
      dst[(i + 5) * dstStep] = src[(i + 5) * srcStep];
      dst[(i + 6) * dstStep] = src[(i + 6) * srcStep];
      dst[(i + 7) * dstStep] = src[(i + 7) * srcStep];
    }
    for (; i < n; ++i) dst[i * dstStep] = src[i * srcStep];
    return;
  }
  for (; i + 8 <= n; i += 8) {
    dst[(i + 0) * dstStep] = table[src[(i + 0) * srcStep]];
    dst[(i + 1) * dstStep] = table[src[(i + 1) * srcStep]];
    dst[(i + 2) * dstStep] = table[src[(i + 2) * srcStep]];
    dst[(i + 3) * dstStep] = table[src[(i + 3) * srcStep]];
    dst[(i + 4) * dstStep] = table[src[(i + 4) * srcStep]];
    dst[(i + 5) * dstStep] = table[src[(i + 5) * srcStep]];
    dst[(i + 6) * dstStep] = table[src[(i + 6) * srcStep]];
    dst[(i + 7) * dstStep] = table[src[(i + 7) * srcStep]];
  }
  for (; i < n; ++i) dst[i * dstStep] = table[src[i * srcStep]];
}

// The loop every transfer shares. memory null: the bytes are skipped.
const Status* run(IOBufList& list, uint8_t* memory, uint32_t n, bool reverse, const uint8_t* table,
                  RefillFunction refill, void* arg, uint32_t* moved) {
  uint32_t done = 0;
  const Status* failure = nullptr;
  while (done < n) {
    IOBufIn* buf = list.current();
    if (buf == nullptr || buf->remaining() == 0) {
      failure = refill != nullptr ? refill(list, arg, n - done) : badArgumentStatus();
      if (failure != nullptr) break;
      buf = list.current();
      // A refill that answers success must have provided something, or the
      // transfer would never end.
      if (buf == nullptr || buf->remaining() == 0) {
        failure = badArgumentStatus();
        break;
      }
    }
    uint32_t left = n - done;
    uint32_t m = buf->remaining() < left ? buf->remaining() : left;
    if (memory != nullptr) {
      uint8_t* mine = reverse ? memory + (n - 1 - done) : memory + done;
      std::ptrdiff_t step = reverse ? -1 : 1;
      if (buf->isOutput()) {
        copyRun(buf->current(), 1, mine, step, m, table);
      } else {
        copyRun(mine, step, buf->current(), 1, m, table);
      }
    }
    buf->consume(m);
    done += m;
  }
  if (moved != nullptr) *moved = done;
  if (failure != nullptr) {
    list.setStatus(failure);
    return failure;
  }
  return successStatus();
}

}  // namespace

const Status* transfer(IOBufList& list, void* memory, uint32_t n, bool reverse,
                       RefillFunction refill, void* arg) {
  if (memory == nullptr && n > 0) return badArgumentStatus();
  return run(list, static_cast<uint8_t*>(memory), n, reverse, nullptr, refill, arg, nullptr);
}

const Status* skip(IOBufList& list, uint32_t n, RefillFunction refill, void* arg) {
  return run(list, nullptr, n, false, nullptr, refill, arg, nullptr);
}

int transferTranslated(IOBufList& list, void* memory, uint32_t n, bool reverse,
                       const uint8_t* table, bool mayRefill, uint32_t* moved, RefillFunction refill,
                       void* arg) {
  if (moved != nullptr) *moved = 0;
  if (memory == nullptr && n > 0) return kTransferFailed;
  if (!mayRefill) {
    IOBufIn* buf = list.current();
    uint32_t room = buf != nullptr ? buf->remaining() : 0;
    if (room < n) return kTransferDidNotFit;
  }
  const Status* st =
      run(list, static_cast<uint8_t*>(memory), n, reverse, table, refill, arg, moved);
  return st == successStatus() ? kTransferDone : kTransferFailed;
}

}  // namespace dv
