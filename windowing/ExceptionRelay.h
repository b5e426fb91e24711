#pragma once

#include <exception>

// C++ exceptions must not unwind through the system's frames between a
// window procedure and the code that dispatched the message. The window
// procedure parks an escaping exception here; the dispatching code (message
// loop, window creation, modal dialog) rethrows it once the system has
// returned. GUI thread only.
namespace ExceptionRelay {

void Park(std::exception_ptr exception);
bool HasPending();
void RethrowPending();  // no-op when nothing is parked

}  // namespace ExceptionRelay
