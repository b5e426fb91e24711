#include "analysis/MeasurementSettings.h"

// Zero-initialised at process start-up: all fields 0 until the defaults are stored.
MeasurementSettings Settings;

void StoreDefaultSettings() {
  Settings.ShowLeft = kDefaultShowLeft;
  Settings.ShowRight = kDefaultShowRight;
  Write(Settings.FftSize, kDefaultFftSize);
  Settings.ShowMaximum = kDefaultShowMaximum;
  Write(Settings.Weighting, kDefaultWeighting);
  Write(Settings.AutoOffset, kDefaultAutoOffset);
  Write(Settings.IntervalMs, kDefaultIntervalMs);
  Settings.ShowPeaks = kDefaultShowPeaks;
  Write(Settings.AverageLength, kDefaultAverageLength);
  Settings.HoldMaximum = kDefaultHoldMaximum;
}
