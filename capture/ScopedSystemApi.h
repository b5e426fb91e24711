#pragma once

#include "capture/SystemApi.h"

// Puts `replacement` in place of the platform table for its lifetime and
// restores the previous table when it ends. For tests.
class ScopedSystemApi {
 public:
  explicit ScopedSystemApi(const SystemApi& replacement) : Previous(SystemCalls()) {
    SystemCalls() = replacement;
  }
  ~ScopedSystemApi() { SystemCalls() = Previous; }

  ScopedSystemApi(const ScopedSystemApi&) = delete;
  ScopedSystemApi& operator=(const ScopedSystemApi&) = delete;

 private:
  const SystemApi Previous;
};
