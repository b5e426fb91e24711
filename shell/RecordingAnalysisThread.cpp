#include "shell/RecordingAnalysisThread.h"

#include <cmath>
#include <exception>
#include <new>

#include "recording/FileByteSource.h"
#include "recording/WaveFileReader.h"
#include "windowing/ProgramText.h"

namespace {

constexpr double kPermillePerWhole = 1000.0;

}  // namespace

RecordingAnalysisThread::RecordingAnalysisThread(std::wstring path,
                                                 const RecordingAnalysisChoice& choice)
    : FilePath(std::move(path)), AnalysisChoice(choice) {}

RecordingAnalysisThread::~RecordingAnalysisThread() {
  TerminateAndWait();
}

int RecordingAnalysisThread::Run() {
  try {
    Outcome = Analyse();
  } catch (const std::bad_alloc&) {
    Outcome = RecordingAnalyser::Outcome::kRefused;
    Reason = L"Zu wenig Speicher f\u00FCr die Analyse.";
  } catch (const std::exception& error) {
    Outcome = RecordingAnalyser::Outcome::kRefused;
    Reason = WideProgramText(error.what());
  }
  Done.store(true, std::memory_order_release);
  return 0;
}

RecordingAnalyser::Outcome RecordingAnalysisThread::Analyse() {
  FileByteSource source;
  if (source.Open(FilePath, Reason) != FileByteSource::Opening::kOpened)
    return RecordingAnalyser::Outcome::kRefused;
  WaveFileReader reader(source);
  if (!reader.Open()) {
    Reason = WideProgramText(reader.Error());
    return RecordingAnalyser::Outcome::kRefused;
  }
  FileFormat = reader.Format();
  auto spectrum = std::make_unique<RecordingResult>();
  RecordingAnalyser analyser;
  const auto progress = [this](double fractionDone) {
    Progress.store(static_cast<int32_t>(std::floor(fractionDone * kPermillePerWhole)),
                   std::memory_order_release);
    return !StopRequested();
  };
  const RecordingAnalyser::Outcome outcome =
      analyser.Analyse(reader, AnalysisChoice, progress, *spectrum);
  if (outcome == RecordingAnalyser::Outcome::kRefused) Reason = WideProgramText(analyser.Error());
  if (outcome == RecordingAnalyser::Outcome::kDone) Spectrum = std::move(spectrum);
  return outcome;
}
