#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "settings/SettingsTable.h"
#include "tests/analysis/TestSignals.h"

// The analysis as the worker runs it, on a capture block of the program's
// size: no window, no offset correction, the other settings the defaults.
class AnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    StoreDefaultSettings();
    Write(Settings.AutoOffset, 0);
    Write(Settings.Weighting, kWindowOff);
    Analyser = std::make_unique<AnalysisWorker>(Block.Samples.data());
  }
  // Analyses the first n frames of Block as a capture of n frames.
  const SpectrumLevels& Analyse(int32_t n) {
    Analyser->RecordQueuedFrames(n);
    Analyser->AnalyseCapture();
    return Analyser->WorkLevels();
  }

  StereoBlock Block;
  std::unique_ptr<AnalysisWorker> Analyser;
};
