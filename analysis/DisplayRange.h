#pragma once

// The fixed plot range. Set once by the measurement's constructor, before
// any window is painted, and never changed; read on the GUI thread (mapping,
// grid, axis labels) and by the analysis for the floor level.
struct DisplayRange {
  double FreqMin;   // Hz, left edge of the view
  double FreqMax;   // Hz, right edge of the view (half the sampling rate)
  double LevelMin;  // dB, bottom edge; also the analysis floor
  double LevelMax;  // dB, top edge
};

constexpr DisplayRange kFixedDisplayRange{10.0, 22050.0, -140.0, 0.0};

extern DisplayRange Range;
