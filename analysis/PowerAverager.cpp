#include "analysis/PowerAverager.h"

PowerAverager::PowerAverager() : Averages(kMaxSpectrumLines) {}

void PowerAverager::BeginSpectrum(int32_t length, bool restart) {
  if (restart || length != Length) Counted = 0;
  Length = length;
  if (Length == kOff) return;
  // Equal weights while counting up to the length, then 1 / length.
  if (Length == kContinuous || Counted < Length) ++Counted;
  Weight = 1.0 / Counted;
}
