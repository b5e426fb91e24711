#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "recording/RecordingAnalyser.h"
#include "recording/RecordingResult.h"
#include "recording/WaveFormat.h"
#include "windowing/TThread.h"

// One recording opened, read and analysed on a thread of its own, so that
// the window goes on answering (and measuring) meanwhile. The owner (GUI
// thread) starts it, polls PermilleDone and Finished, and after Finished
// takes the outcome; a cancel is the thread base's stop request
// (TerminateAndWait), which the analysis heeds at its next progress report.
//
// Thread safety: Path and Choice are written before the thread starts and
// only read after. Progress and Done are written by the worker (release)
// and read by the GUI thread (acquire); Result, Spectrum, Format and Why are
// the worker's until Done is set, and the GUI thread's after.
class RecordingAnalysisThread : public TThread {
 public:
  RecordingAnalysisThread(std::wstring path, const RecordingAnalysisChoice& choice);
  // Cancels the analysis and waits for the thread to end.
  ~RecordingAnalysisThread() override;

  const std::wstring& Path() const { return FilePath; }
  const RecordingAnalysisChoice& Choice() const { return AnalysisChoice; }

  // Tenths of a percent of the recording analysed, 0 to 1000.
  int32_t PermilleDone() const { return Progress.load(std::memory_order_acquire); }
  bool Finished() const { return Done.load(std::memory_order_acquire); }

  // After Finished: kDone with the spectrum and the file's format, kRefused
  // with the reason in German, kCancelled after a stop request.
  RecordingAnalyser::Outcome Result() const { return Outcome; }
  std::unique_ptr<RecordingResult> TakeSpectrum() { return std::move(Spectrum); }
  const WaveFormat& Format() const { return FileFormat; }
  const std::wstring& Why() const { return Reason; }

 protected:
  int Run() override;

 private:
  RecordingAnalyser::Outcome Analyse();

  const std::wstring FilePath;
  const RecordingAnalysisChoice AnalysisChoice;
  std::atomic<int32_t> Progress{0};  // Writer: worker. Reader: GUI.
  std::atomic<bool> Done{false};     // Writer: worker. Reader: GUI.
  RecordingAnalyser::Outcome Outcome = RecordingAnalyser::Outcome::kCancelled;
  std::unique_ptr<RecordingResult> Spectrum;
  WaveFormat FileFormat;
  std::wstring Reason;
};
