#pragma once

#include <stdexcept>
#include <string>

// An error of the windowing or thread layer. The run of the application
// catches it and ends the program with exit code -1.
class TXWindowing : public std::runtime_error {
 public:
  explicit TXWindowing(const std::string& message) : std::runtime_error(message) {}
};

// Converts the calling thread's last Windows error into a TXWindowing that
// names the failed operation. Every failed Windows call of this layer ends here.
[[noreturn]] void ThrowLastWindowsError(const char* operation);
