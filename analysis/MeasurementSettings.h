#pragma once

#include <atomic>
#include <cstdint>

// The user's choices, one process-wide record. Every field is 0 until the
// main frame's constructor stores the settings (settings/SettingsTable.h
// declares each one: its default, its legal values, its menu items and
// where it is kept); afterwards only the menu commands change them, always
// on the GUI thread.
//
// The worker thread reads FftSize, Weighting, AutoOffset and IntervalMs while
// the GUI thread may write them: those are atomics, written and read relaxed
// (each read takes the value current at that moment). The display flags are
// read on the GUI thread only.
struct MeasurementSettings {
  std::atomic<int32_t> FftSize;     // Writer: GUI. Readers: GUI (queueing), worker.
  std::atomic<int32_t> Weighting;   // Writer: GUI. Reader: worker, once per cycle.
  std::atomic<int32_t> AutoOffset;  // Writer: GUI. Reader: worker, once per channel.
  std::atomic<int32_t> IntervalMs;  // Writer: GUI. Reader: worker, before each pause.
  // Spectra averaged (PowerAverager's kOff, kContinuous or N).
  std::atomic<int32_t> AverageLength;  // Writer: GUI. Reader: worker, once per cycle.
  int32_t ShowMaximum;                 // GUI thread only.
  int32_t ShowLeft;                    // GUI thread only.
  int32_t ShowRight;                   // GUI thread only.
  int32_t ShowPeaks;                   // GUI thread only: each channel's strongest line shown
  int32_t ShowDistortion;              // GUI thread only: its tone's distortion and noise shown
  int32_t HoldMaximum;                 // GUI thread only: each line's highest level drawn
  int32_t LevelScale;                  // GUI thread only: a LevelScaleKind
  int32_t FrequencyWeighting;          // GUI thread only: a FrequencyWeightingKind
};

extern MeasurementSettings Settings;

// Relaxed accessors for the fields the worker shares with the GUI thread.
inline int32_t Read(const std::atomic<int32_t>& field) {
  return field.load(std::memory_order_relaxed);
}
inline void Write(std::atomic<int32_t>& field, int32_t value) {
  field.store(value, std::memory_order_relaxed);
}
