#include "windowing/ExceptionRelay.h"

#include <utility>

namespace {

std::exception_ptr Pending;  // GUI thread only

}  // namespace

namespace ExceptionRelay {

void Park(std::exception_ptr exception) {
  if (!Pending) Pending = std::move(exception);  // the first one is the cause
}

bool HasPending() {
  return static_cast<bool>(Pending);
}

void RethrowPending() {
  if (!Pending) return;
  std::exception_ptr exception = std::move(Pending);
  Pending = nullptr;
  std::rethrow_exception(exception);
}

}  // namespace ExceptionRelay
