#include "bench/CallTimer.h"

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;

}  // namespace

CallTimer::CallTimer() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  TicksPerSecond = frequency.QuadPart;
}

long long CallTimer::MinTotalTicks() const {
  return static_cast<long long>(kMinTotalSeconds * TicksPerSecond);
}

double CallTimer::MeanMicroseconds() const {
  if (Calls == 0) return 0.0;
  return TotalTicks * kMicrosecondsPerSecond / TicksPerSecond / Calls;
}

double CallTimer::MinMicroseconds() const {
  return MinTicks * kMicrosecondsPerSecond / TicksPerSecond;
}

double CallTimer::MaxMicroseconds() const {
  return MaxTicks * kMicrosecondsPerSecond / TicksPerSecond;
}
