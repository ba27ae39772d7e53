// The byte transfers between the caller's memory and the buffers of an
// IOBufList: into the current buffer when it is written to, out of it when
// it is read from, advancing its window. When the current buffer has no
// more bytes (or room) the refill function is called once, and the transfer
// goes on with the list's current buffer as it then stands; the refill reads
// the next input into a buffer or writes out a full one.
#ifndef DV_STREAM_BUFFERTRANSFER_H_
#define DV_STREAM_BUFFERTRANSFER_H_

#include <cstdint>

#include "status/Status.h"
#include "stream/IOBufList.h"

namespace dv {

// Makes the list's current buffer hold bytes to read (or room to write) for
// the rest of a transfer, remaining bytes of which are still to move.
// Answers null when the transfer can go on, or the status of the failure.
using RefillFunction = const Status* (*)(IOBufList& list, void* arg, uint32_t remaining);

// The answers of transferTranslated.
inline constexpr int kTransferDone = 0;
inline constexpr int kTransferFailed = 1;     // the refill failed: the list holds its status
inline constexpr int kTransferDidNotFit = 4;  // refilling was not allowed: nothing moved

// Moves n bytes between the list's current buffers and memory. With reverse
// the caller's bytes are taken (or filled) from the end backwards, which
// swaps the byte order of a number. Answers the success status, or the
// failure status of the refill (also held by the list). A refill that
// answers null without providing a byte fails the transfer with the
// bad-argument status rather than loop.
const Status* transfer(IOBufList& list, void* memory, uint32_t n, bool reverse,
                       RefillFunction refill, void* arg);
// Moves the window on by n bytes across buffers, as transfer does.
const Status* skip(IOBufList& list, uint32_t n, RefillFunction refill, void* arg);
// transfer, with every byte moved passed through table (256 entries; null:
// none). Without mayRefill a transfer that does not fit the current buffer
// moves nothing, stores 0 in *moved and answers kTransferDidNotFit.
// Otherwise *moved (when given) gets the bytes moved and the answer is
// kTransferDone or kTransferFailed.
int transferTranslated(IOBufList& list, void* memory, uint32_t n, bool reverse,
                       const uint8_t* table, bool mayRefill, uint32_t* moved, RefillFunction refill,
                       void* arg);

}  // namespace dv

#endif  // DV_STREAM_BUFFERTRANSFER_H_
