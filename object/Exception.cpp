// The exception environment, catch regions and RAISE.
#include "object/Exception.h"

#include <cstdio>
#include <cstdlib>

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"

namespace dv {
namespace {

struct Environment {
  ErrorHandler handler = nullptr;
  ErrorAction actions[nihcl::kCodeCount] = {};
};

Environment& environment() {
  static Environment e;
  return e;
}

bool isFrameworkCode(int32_t code) {
  return code >= nihcl::kFirstCode && code <= nihcl::kLastCode;
}

CatchRegion*& top() {
  static CatchRegion* region = &bottomRegion();
  return region;
}

}  // namespace

CatchRegion& bottomRegion() {
  static CatchRegion bottom{CatchRegion::BottomTag{}};
  return bottom;
}

void applyExceptionEnvironment(int32_t* code, int* severity) {
  Environment& e = environment();
  if (e.handler != nullptr) e.handler(*code, *severity);
  if (isFrameworkCode(*code) && e.actions[*code - nihcl::kFirstCode] == ErrorAction::kRaise) {
    RAISE(*code);
  }
}

ErrorAction errorAction(int32_t code) {
  return isFrameworkCode(code) ? environment().actions[code - nihcl::kFirstCode]
                               : ErrorAction::kReport;
}

ExceptionAction::ExceptionAction(int32_t code, ErrorAction action) : code_(code) {
  if (!isFrameworkCode(code)) {
    setError(nihcl::BADERRNUM, kDefaultSeverity, "ExceptionAction", code);
    return;
  }
  ErrorAction& slot = environment().actions[code - nihcl::kFirstCode];
  previous_ = slot;
  slot = action;
  valid_ = true;
}

ExceptionAction::~ExceptionAction() {
  if (valid_) environment().actions[code_ - nihcl::kFirstCode] = previous_;
}

ExceptionHandlerScope::ExceptionHandlerScope(ErrorHandler handler)
    : previous_(environment().handler) {
  environment().handler = handler;
}

ExceptionHandlerScope::~ExceptionHandlerScope() {
  environment().handler = previous_;
}

CatchRegion::CatchRegion(BottomTag) : enclosing_(nullptr) {}

CatchRegion::CatchRegion() : enclosing_(top()) {
  top() = this;
}

CatchRegion::~CatchRegion() {
  if (enclosing_ != nullptr && top() == this) top() = enclosing_;
}

const CatchRegion* CatchRegion::innermost() {
  return top();
}

void RAISE(int32_t code) {
  if (code == 0) {
    std::fputs("Tried to RAISE exception code 0\n", stderr);
    std::abort();
  }
  CatchRegion* region = top();
  if (region->isBottom()) {
    std::fprintf(stderr, "NIHCL: fatal: Unhandled exception code %d\n", static_cast<int>(code));
    std::exit(1);
  }
  top() = region->enclosing_;
  region->raisedCode_ = code;
  throw RaisedCode{code, region};
}

}  // namespace dv
