// The exception environment of the error facility: a handler hook and a
// per-code action that can turn a framework error into a RAISE, the catch
// regions a RAISE unwinds to, and cleanup records that destroy guarded objects
// on the way. A RAISE is a C++ exception caught by the innermost catch region;
// cleanup records and other automatic objects of the frames it leaves are
// destroyed by the unwinding, newest first. Library code raises only inside a
// catch region: without one, a RAISE ends the process.
#ifndef DV_OBJECT_EXCEPTION_H_
#define DV_OBJECT_EXCEPTION_H_

#include <cassert>
#include <cstdint>
#include <exception>
#include <utility>

#include "object/Object.h"

namespace dv {

// What setError does with a framework code.
enum class ErrorAction : int {
  kReport = 0,  // format and report the error
  kRaise = 1,   // RAISE the code to the innermost catch region
};

// A handler hook: sees every framework error first and may change its code or
// its severity.
using ErrorHandler = void (*)(int32_t& code, int& severity);

// Runs the hook and, for a framework code whose action is kRaise, RAISEs it.
void applyExceptionEnvironment(int32_t* code, int* severity);

// The action of a framework code.
ErrorAction errorAction(int32_t code);

class CatchRegion;

// Raises code to the innermost catch region: pops it and unwinds to it. Code 0
// writes "Tried to RAISE exception code 0" and aborts; with no catch region the
// process ends with "NIHCL: fatal: Unhandled exception code N" and status 1.
// REQUIRES: not called from a destructor or a noexcept function.
[[noreturn]] void RAISE(int32_t code);

// The region that stands for no handler at all.
CatchRegion& bottomRegion();

// For its lifetime, sets the action of one framework code and gives the
// previous action back when destroyed; scopes nest. A code outside the
// framework's range raises BADERRNUM ("ExceptionAction" and the code) and the
// scope then changes nothing.
class ExceptionAction {
 public:
  explicit ExceptionAction(int32_t code, ErrorAction action = ErrorAction::kRaise);
  ~ExceptionAction();
  ExceptionAction(const ExceptionAction&) = delete;
  ExceptionAction& operator=(const ExceptionAction&) = delete;

 private:
  Startup startup_;
  int32_t code_;
  bool valid_ = false;
  ErrorAction previous_ = ErrorAction::kReport;
};

// For its lifetime, installs a handler hook (null: none) and puts the previous
// one back when destroyed.
class ExceptionHandlerScope {
 public:
  explicit ExceptionHandlerScope(ErrorHandler handler);
  ~ExceptionHandlerScope();
  ExceptionHandlerScope(const ExceptionHandlerScope&) = delete;
  ExceptionHandlerScope& operator=(const ExceptionHandlerScope&) = delete;

 private:
  ErrorHandler previous_;
};

// A catch region. Constructing one pushes it as the innermost region, with
// raised code 0; destroying it pops it when it is still the innermost.
class CatchRegion {
 public:
  CatchRegion();
  ~CatchRegion();
  CatchRegion(const CatchRegion&) = delete;
  CatchRegion& operator=(const CatchRegion&) = delete;

  // 0, or the code a RAISE delivered to this region.
  int32_t raisedCode() const { return raisedCode_; }

  // The innermost region; the bottom region, which stands for no handler at
  // all, when none is active.
  static const CatchRegion* innermost();
  bool isBottom() const { return enclosing_ == nullptr; }

 private:
  friend void RAISE(int32_t code);
  struct BottomTag {};
  explicit CatchRegion(BottomTag);
  friend CatchRegion& bottomRegion();

  Startup startup_;
  CatchRegion* enclosing_;
  int32_t raisedCode_ = 0;
};

// What a RAISE throws; only catchRegion() should catch it.
struct RaisedCode {
  int32_t code;
  const CatchRegion* region;
};

// Runs body inside a new catch region. Returns 0 when body completes, or the
// code that a RAISE delivered to the region.
template <class Body>
int32_t catchRegion(Body&& body) {
  CatchRegion region;
  try {
    std::forward<Body>(body)();
  } catch (const RaisedCode& raised) {
    if (raised.region != &region) throw;
    return raised.code;
  }
  return 0;
}

// Destroys its object through destroy() when it goes out of scope, also when
// a RAISE unwinds past it. REQUIRES: the object was made with new (its count
// is 1 or more).
class Cleanup {
 public:
  explicit Cleanup(Object& guarded) : guarded_(guarded) { assert(guarded.refCount() >= 1); }
  ~Cleanup() { guarded_.destroy(); }
  Cleanup(const Cleanup&) = delete;
  Cleanup& operator=(const Cleanup&) = delete;

 private:
  Startup startup_;
  Object& guarded_;
};

// Runs undo when a RAISE unwinds the scope it lives in, and does nothing when
// the scope ends normally. For reader constructors that hold plain blocks: a
// constructor that a RAISE unwinds never runs its destructor, so it must give
// back what it took itself.
template <class Undo>
class OnUnwind {
 public:
  explicit OnUnwind(Undo undo) : undo_(undo), exceptions_(std::uncaught_exceptions()) {}
  ~OnUnwind() {
    if (std::uncaught_exceptions() > exceptions_) undo_();
  }
  OnUnwind(const OnUnwind&) = delete;
  OnUnwind& operator=(const OnUnwind&) = delete;

 private:
  Undo undo_;
  int exceptions_;
};

}  // namespace dv

#endif  // DV_OBJECT_EXCEPTION_H_
