#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "windowing/TDialog.h"

struct ShownMeasurement;
class TWindow;

// "Pegel kalibrieren": shows each channel's strongest line as a sine level
// while the program measures, takes the calibrator's known level in dB SPL and
// finds the calibration of the louder channel: the level in dB SPL that a
// full-scale sine has. Input that is no level, or OK while neither channel
// holds a tone, keeps the dialog open and says why. GUI thread only.
class TCalibrationDialog : public TDialog {
 public:
  // `shown`: the measurement's spectrum, which outlives the dialog.
  TCalibrationDialog(TWindow* parent, const ShownMeasurement& shown);

  // After Execute returned IDOK: the calibration, in hundredths of a decibel.
  int32_t CalibrationHundredthsDb() const { return Calibration.value_or(0); }

  static constexpr UINT_PTR kRefreshTimerId = 1;
  // Often enough to follow every spectrum at the fastest rate.
  static constexpr UINT kRefreshMs = 50;
  static constexpr int32_t kChannelCount = 2;

 protected:
  void SetupDialog() override;
  bool CanClose() override;
  bool DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowLevels();
  void SayProblem(const wchar_t* text);

  const ShownMeasurement& Shown;
  std::optional<int32_t> Calibration;
  // The level texts shown, per channel.
  std::wstring ShownLevels[kChannelCount];
};
