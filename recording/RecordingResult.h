#pragma once

#include <cstdint>
#include <memory>

#include "analysis/LevelTypes.h"

// The averaged spectrum of a whole recording, as the view and the spectrum
// files take a live one: levels in hundredths of a decibel, floor -14000,
// lines 0 to FftSize / 2 - 1 valid, left channel first. Line j stands for
// j * SampleRateHz / FftSize Hz (not 44100 Hz: the file's rate). A mono
// recording fills the left channel; its right one holds the floor.
struct RecordingResult {
  int32_t FftSize = 0;
  int32_t Weighting = 0;   // a WeightingWindow
  int32_t AutoOffset = 0;  // 1: the offset correction was on
  int32_t Channels = 0;    // 1 or 2
  int32_t SampleRateHz = 0;
  int64_t BlockCount = 0;  // blocks of FftSize frames, each starting half a block after the last
  bool Truncated = false;  // the file was cut off: what it holds was analysed
  // Each line's power averaged over every block, as a level.
  std::unique_ptr<SpectrumLevels> Average;
  // The averaged power of each of Average's lines at the floor, 0 for the others.
  std::unique_ptr<SpectrumFloorPowers> FloorPowers;
  // Each line's highest level in any one block.
  std::unique_ptr<SpectrumLevels> Held;

  double LineSpacingHz() const { return static_cast<double>(SampleRateHz) / FftSize; }
};
