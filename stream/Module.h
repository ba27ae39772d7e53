// Module: the base of objects that answer requests. A caller hands execute a
// request value and a place for the result; the module checks the request,
// performs it and answers a status. The base class answers the no-operation
// request and refuses "quit"; concrete modules supply checkRequest and
// perform.
//
// Ownership: every status these operations answer comes with one reference
// for the caller (release() it; the shared statuses ignore counts), and a
// value stored in the result place belongs to the caller in the same way
// (the shared true and false values ignore counts too).
#ifndef DV_STREAM_MODULE_H_
#define DV_STREAM_MODULE_H_

#include "datum/Datum.h"
#include "datum/Number.h"
#include "status/Status.h"

namespace dv {

class Module {
 public:
  Module() = default;
  virtual ~Module() = default;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // With a request and a result place: checks the request and, when the check
  // succeeds, answers perform(result). A failed check (a warning included)
  // stores an empty 0 x 0 Table whose status is the check's status and
  // answers that status; when the table cannot be made, answers the
  // out-of-memory status and leaves the result place as it was. Without a
  // request or a result place: the invalid-argument status (error 2), and
  // neither step runs.
  virtual const Status* execute(Datum* request, Datum** result);

  // Checks request; answers the status of the check.
  virtual const Status* checkRequest(Datum* request) = 0;

  // Stores the shared true value in *result and answers the success status;
  // without a result place, the invalid-argument status (error 2).
  virtual const Status* noop(Datum** result);

  // Performs the request that checkRequest accepted; answers its status.
  virtual const Status* perform(Datum** result) = 0;

  // Refuses the request: stores a new true value of its own in *result with
  // the status "Request quit is not implemented." (code 0x40050004) and
  // answers that status; without a result place, the invalid-argument status
  // (error 2). When memory runs out, the out-of-memory status and nothing
  // stored.
  virtual const Status* quit(Datum** result);
};

// The shared values true (the long integer 1) and false (0), built before
// main runs, never freed by counting.
Number* moduleTrueValue();
Number* moduleFalseValue();

}  // namespace dv

#endif  // DV_STREAM_MODULE_H_
