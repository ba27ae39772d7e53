// Fuzzing entry of the interpreter's dialogue (statement_loop): a whole dvsql
// session in this process, its standard input and every answer of its driver
// taken from the input. See fuzz/Targets.h.
#ifndef DV_FUZZ_STATEMENTLOOPFUZZ_H_
#define DV_FUZZ_STATEMENTLOOPFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The first byte chooses the options (bit 0 page mode, 1 silent, 2 echo,
// 3 timing, 4 empty strings as NULL, 5 NF2 mode), the next two the number of
// driver bytes that follow (little-endian); the rest is standard input. The
// driver's bytes choose each call's return code and diagnostics records, the
// column names' longest length, result shapes, labels, values and row counts
// (tests/support/InProcessSession.h).
//
// Checks: the interpreter calls the driver within its contract; it gives the
// driver exactly the complete, non-empty lines before the first quit line
// (without page mode) or lines of the input in their order (with it), each
// whole; it ends through the fatal exit, with status 1, only when a call whose
// failure is fatal failed or a line overflowed its buffer; and a session with
// prompts that ends normally ends its output with the prompt.
int runStatementLoop(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_STATEMENTLOOPFUZZ_H_
