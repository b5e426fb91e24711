#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/LevelTypes.h"
#include "capture/AnalysisDisplay.h"
#include "capture/CaptureDriver.h"
#include "measurement/AnalysedLevels.h"
#include "measurement/MeasurementListener.h"
#include "measurement/ShownMeasurement.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "recording/RecordingResult.h"
#include "windowing/TWindow.h"

// The measurement of the program, owned by the application: it owns the
// capture driver (with its device, buffer, worker and timers, whose messages
// reach a message-only window of its own) and turns each analysed spectrum
// into the one ShownMeasurement that every listener (the spectrum view first)
// reads. It keeps the stored levels of the spectrum shown, so that another
// scale, weighting or calibration reshapes the same spectrum, and each
// input's calibration, applied to the spectra that input recorded.
//
// A recording's analysed spectrum is one more source of the value: while one
// is shown, the live spectra still arriving are kept but not shown, and
// measuring again shows the last of them at once. A recording is shown
// without calibration unless one is given for it.
//
// Listeners hear of spectra, opened inputs and the held picture only after
// the capture ring's handling has returned. GUI thread only.
//
// Large (several MiB): create it on the heap.
class Measurement : private AnalysisDisplay {
 public:
  Measurement();
  ~Measurement() override;
  Measurement(const Measurement&) = delete;
  Measurement& operator=(const Measurement&) = delete;

  // Before Start: the input to start with and whether to name device 0 in
  // any case (the remembered one is gone).
  void StartWith(int32_t device, bool announce) { Driver->StartWith(device, announce); }
  // Creates the measurement's window, opens the input, queues the first
  // capture and starts the worker. A failure is shown and ends the program.
  void Start();

  // A listener must outlive its registration.
  void AddListener(MeasurementListener* listener);
  void RemoveListener(MeasurementListener* listener);

  // The spectrum shown; none yet while its Size is 0.
  const ShownMeasurement& Shown() const { return Value; }

  // The level scale, the frequency weighting or the distortion's showing
  // changed: the spectrum shown is reshaped and shown again.
  void LevelChoiceChanged();
  // Each input's calibration by product name (hundredths of a dB SPL of a
  // full-scale sine): the spectrum shown is reshaped with that of its input.
  void SetCalibrations(std::map<std::string, int32_t> calibrations);

  // `spectrum` is shown from now on, named `name` (Windows-1252) where a
  // live spectrum names its input, without calibration; it replaces any
  // recording shown before.
  void ShowRecording(std::unique_ptr<RecordingResult> spectrum, const std::string& name);
  // Back to the live spectra: the last one kept is shown again.
  void ShowLive();
  // The recording shown, or null while the live spectra are.
  const RecordingResult* ShownRecording() const { return Recording.get(); }
  // The calibration of the recording shown (hundredths of a dB SPL of a
  // full-scale sine), or none; reshapes it. Nothing happens while none is shown.
  void CalibrateRecording(std::optional<int32_t> hundredthsDb);
  std::optional<int32_t> RecordingCalibration() const { return RecordingCalibrationHundredthsDb; }

  // The frequencies the peak tones are looked for in, this spectrum's and
  // every later one's; none: the whole spectrum. Tells no listener: the
  // caller, which shows the range, draws anew.
  void FindPeaksIn(std::optional<PeakBand> band);

  // The product name of the input measured from now, none while none is open.
  std::optional<std::string> OpenInputName() const;

  // Asks the program to end once the buffer is back; answers no, every time.
  bool CanClose();
  void StopBeforeExceptionBox() { Driver->StopBeforeExceptionBox(); }
  void OnPowerEvent(UINT powerEvent) { Driver->OnPowerEvent(powerEvent); }

  // What the commands ask of the capture: another input (nothing changes if
  // it is the one measured from), the picture held or measured again, the
  // average (and with it the held maximum) or the held maximum alone
  // restarted with the next capture.
  void ChooseInput(int32_t device) { Driver->ChooseInput(device); }
  void TogglePause() { Driver->TogglePause(); }
  void RestartAveraging() { Driver->RestartAveraging(); }
  void RestartHeldMaximum() { Driver->RestartHeldMaximum(); }
  bool PictureHeld() const { return Driver->PictureHeld(); }
  // A failure has stopped measuring; choosing an input tries again.
  bool Stopped() const { return Driver->Stopped(); }
  // The input measured from, or CaptureRing::kNoDevice.
  int32_t OpenInput() const { return Driver->OpenInput(); }

  // What tests may look at.
  CaptureDriver& Capture() { return *Driver; }
  const CaptureDriver& Capture() const { return *Driver; }

 private:
  // The window the device's, the timers' and the worker's messages go to.
  class TMessageTarget : public TWindow {
   public:
    explicit TMessageTarget(Measurement& owner);
    DECLARE_RESPONSE_TABLE();

   private:
    LRESULT OnCaptureDone(WPARAM device, LPARAM header);
    LRESULT OnSpectrumReady();
    void OnTimer(UINT_PTR timerId);
    Measurement& Owner;
  };

  // AnalysisDisplay
  void ShowSpectrum(const AnalysedSpectrum& spectrum) override;
  void ForgetHeldLevels() override;
  void ShowErrorBox(const char* text) override;
  void InputOpened(int32_t device, const std::string& name) override;
  void PictureHeldChanged(bool held) override;

  // Rebuilds the shown spectrum from the stored levels kept and tells the listeners.
  void Reshape();
  // The levels shown: the recording's while one is, else the live ones.
  const AnalysedLevels& Source() const { return Recording ? RecordingSource : Recorded; }
  LevelChoice ChoiceFor(const std::string& input) const;

  std::unique_ptr<SpectrumLevels> RecordedLevels;
  std::unique_ptr<SpectrumLevels> RecordedHeld;
  std::unique_ptr<SpectrumFloorPowers> RecordedFloorPowers;
  AnalysedLevels Recorded;  // the live spectrum last analysed
  std::unique_ptr<RecordingResult> Recording;
  AnalysedLevels RecordingSource;  // points into Recording
  std::optional<int32_t> RecordingCalibrationHundredthsDb;
  ShownMeasurement Value;
  ShownMeasurementBuilder Builder;
  std::vector<MeasurementListener*> Listeners;
  // The product name each input had when it was opened, by device number.
  std::map<int32_t, std::string> OpenedNames;
  std::map<std::string, int32_t> Calibrations;
  std::unique_ptr<TMessageTarget> Target;
  // Last, so that it is made once the rest is there; the destructor ends it
  // first, while the window still exists.
  std::unique_ptr<CaptureDriver> Driver;
};
