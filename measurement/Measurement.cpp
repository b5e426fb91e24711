#include "measurement/Measurement.h"

#include <algorithm>
#include <utility>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "capture/MessageBoxes.h"
#include "recording/RecordingLevels.h"

const TResponseEntry Measurement::TMessageTarget::Rows[] = {
    Row::WithParameters<TMessageTarget, &TMessageTarget::OnCaptureDone>(MM_WIM_DATA),
    Row::Message<TMessageTarget, &TMessageTarget::OnSpectrumReady>(
        CaptureDriver::kSpectrumReadyMessage),
    Row::Timer<TMessageTarget, &TMessageTarget::OnTimer>(),
};
const TResponseTable Measurement::TMessageTarget::Table{&TWindow::Table,
                                                        Measurement::TMessageTarget::Rows};

Measurement::TMessageTarget::TMessageTarget(Measurement& owner)
    : TWindow(nullptr, "Frelox measurement"), Owner(owner) {
  Attributes().Style = 0;
  Attributes().MessageOnly = true;
}

LRESULT Measurement::TMessageTarget::OnCaptureDone(WPARAM, LPARAM header) {
  Owner.Driver->OnCaptureDone(header);
  return 0;
}

LRESULT Measurement::TMessageTarget::OnSpectrumReady() {
  Owner.Driver->OnSpectrumReady();
  return 0;
}

void Measurement::TMessageTarget::OnTimer(UINT_PTR timerId) {
  Owner.Driver->OnTimer(timerId);
}

Measurement::Measurement()
    : RecordedLevels(std::make_unique<SpectrumLevels>()),
      RecordedHeld(std::make_unique<SpectrumLevels>()),
      RecordedFloorPowers(std::make_unique<SpectrumFloorPowers>()),
      Target(std::make_unique<TMessageTarget>(*this)),
      Driver(std::make_unique<CaptureDriver>(static_cast<AnalysisDisplay&>(*this))) {
  Range = kFixedDisplayRange;
  Recorded.Levels = RecordedLevels.get();
  Recorded.Held = RecordedHeld.get();
  Recorded.FloorPowers = RecordedFloorPowers.get();
  Builder.Build(Recorded, ChoiceFor(""), Value, Settings.ShowDistortion != 0);
}

// The driver goes first: its teardown may still open a box, and its timers
// and device need the window.
Measurement::~Measurement() {
  Driver.reset();
}

void Measurement::Start() {
  Target->Create();
  Driver->Start(Target->GetHandle());
}

void Measurement::AddListener(MeasurementListener* listener) {
  Listeners.push_back(listener);
}

void Measurement::RemoveListener(MeasurementListener* listener) {
  Listeners.erase(std::remove(Listeners.begin(), Listeners.end(), listener), Listeners.end());
}

bool Measurement::CanClose() {
  Driver->RequestClose();
  return false;
}

std::optional<std::string> Measurement::OpenInputName() const {
  const auto found = OpenedNames.find(Driver->OpenInput());
  if (found == OpenedNames.end()) return std::nullopt;
  return found->second;
}

LevelChoice Measurement::ChoiceFor(const std::string& input) const {
  LevelChoice choice{Settings.LevelScale, Settings.FrequencyWeighting, std::nullopt};
  if (Recording) {
    choice.CalibrationHundredthsDb = RecordingCalibrationHundredthsDb;
    return choice;
  }
  const auto found = Calibrations.find(input);
  if (!input.empty() && found != Calibrations.end()) choice.CalibrationHundredthsDb = found->second;
  return choice;
}

void Measurement::LevelChoiceChanged() {
  Reshape();
}

void Measurement::SetCalibrations(std::map<std::string, int32_t> calibrations) {
  Calibrations = std::move(calibrations);
  Reshape();
}

void Measurement::ShowRecording(std::unique_ptr<RecordingResult> spectrum,
                                const std::string& name) {
  Recording = std::move(spectrum);
  RecordingSource = LevelsOfRecording(*Recording, name);
  RecordingCalibrationHundredthsDb.reset();
  Reshape();
}

void Measurement::ShowLive() {
  if (!Recording) return;
  Recording.reset();
  RecordingCalibrationHundredthsDb.reset();
  Reshape();
}

void Measurement::CalibrateRecording(std::optional<int32_t> hundredthsDb) {
  if (!Recording) return;
  RecordingCalibrationHundredthsDb = hundredthsDb;
  Reshape();
}

void Measurement::FindPeaksIn(std::optional<PeakBand> band) {
  Builder.SetPeakBand(band);
  Builder.FindPeaks(Source(), Value);
}

void Measurement::Reshape() {
  const AnalysedLevels& source = Source();
  Builder.Build(source, ChoiceFor(source.Input), Value, Settings.ShowDistortion != 0);
  // A copy: a listener may add or remove listeners.
  const std::vector<MeasurementListener*> listeners = Listeners;
  for (MeasurementListener* listener : listeners) listener->SpectrumShown(Value);
}

void Measurement::ShowSpectrum(const AnalysedSpectrum& spectrum) {
  const int32_t lines = spectrum.Size / 2;
  std::copy_n(spectrum.Levels.begin(), lines, RecordedLevels->begin());
  std::copy_n(spectrum.Held.begin(), lines, RecordedHeld->begin());
  std::copy_n(spectrum.FloorPowers.begin(), lines, RecordedFloorPowers->begin());
  Recorded.Size = spectrum.Size;
  Recorded.Window = spectrum.Weighting;
  Recorded.AverageCount = spectrum.AverageCount;
  Recorded.AverageLength = spectrum.AverageLength;
  Recorded.HeldValid = spectrum.HasHeld;
  const auto name = OpenedNames.find(spectrum.Device);
  Recorded.Input = name == OpenedNames.end() ? std::string() : name->second;
  if (!Recording) Reshape();
}

// Nothing older than the restart is drawn, also while the picture is held;
// a recording's held maximum is its own.
void Measurement::ForgetHeldLevels() {
  Recorded.HeldValid = false;
  if (!Recording) Reshape();
}

void Measurement::ShowErrorBox(const char* text) {
  ShowError(text);
}

void Measurement::InputOpened(int32_t device, const std::string& name) {
  OpenedNames[device] = name;
  const std::vector<MeasurementListener*> listeners = Listeners;
  for (MeasurementListener* listener : listeners) listener->InputOpened(device);
}

void Measurement::PictureHeldChanged(bool held) {
  const std::vector<MeasurementListener*> listeners = Listeners;
  for (MeasurementListener* listener : listeners) listener->PictureHeldChanged(held);
}
