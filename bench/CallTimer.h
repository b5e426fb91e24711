#pragma once

#include <windows.h>

#include <algorithm>

// Times one operation call by call with the performance counter: repeats it
// until both enough calls and enough time have gone by, and keeps the mean,
// the fastest and the slowest call.
class CallTimer {
 public:
  static constexpr int kMinCalls = 10;
  static constexpr int kMaxCalls = 100000;
  static constexpr double kMinTotalSeconds = 1.0;

  CallTimer();

  template <class Operation>
  void Run(Operation&& operation) {
    operation();  // warm-up: caches, first-touch pages, font and pen set-up in the system
    Calls = 0;
    TotalTicks = 0;
    MinTicks = 0;
    MaxTicks = 0;
    while (Calls < kMaxCalls && (Calls < kMinCalls || TotalTicks < MinTotalTicks())) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      operation();
      QueryPerformanceCounter(&end);
      const long long ticks = end.QuadPart - start.QuadPart;
      MinTicks = Calls == 0 ? ticks : std::min(MinTicks, ticks);
      MaxTicks = std::max(MaxTicks, ticks);
      TotalTicks += ticks;
      ++Calls;
    }
  }

  int CallCount() const { return Calls; }
  double MeanMicroseconds() const;
  double MinMicroseconds() const;
  double MaxMicroseconds() const;

 private:
  long long MinTotalTicks() const;

  long long TicksPerSecond;
  int Calls = 0;
  long long TotalTicks = 0;
  long long MinTicks = 0;
  long long MaxTicks = 0;
};
