#pragma once

#include <cstdint>

struct ShownMeasurement;

// What a window learns of the measurement, each after the capture ring's
// handling of the event that caused it has returned. GUI thread only.
class MeasurementListener {
 public:
  virtual ~MeasurementListener() = default;

  // A new spectrum is shown, or the one shown reads otherwise now (another
  // scale, weighting or calibration). `shown` lives as long as the measurement.
  virtual void SpectrumShown(const ShownMeasurement& /*shown*/) {}
  // Input `device` was opened; measuring from it begins.
  virtual void InputOpened(int32_t /*device*/) {}
  // The picture is now held, or measured again (the user's wish, a failure, a close).
  virtual void PictureHeldChanged(bool /*held*/) {}
};
