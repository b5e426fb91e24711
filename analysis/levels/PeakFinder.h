#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "analysis/LevelTypes.h"
#include "analysis/levels/MainLobe.h"

class LevelScale;

// A channel's strongest spectral line, taken for a steady tone: its frequency
// and level refined between lines where the line has a neighbour on each side.
struct SpectralPeak {
  bool Found = false;        // see PeakFinder::Find for when a line is named
  double FrequencyHz = 0.0;  // refined, see PeakFinder
  // The tone's: the line's, plus the loss at the offset; scaled where a scale was given.
  int32_t LevelHundredthsDb = 0;
  double LineSpacingHz = 0.0;  // of the spectrum it was found in
  // Within how many line spacings the frequency of a steady tone is promised
  // to lie of the true one, which sets the digits shown.
  double AccuracyLines = 0.0;
};

// Finds each channel's strongest line and refines the frequency and level of
// the tone it stands for through the main lobe of the window the spectrum was
// analysed with. Portable; holds the lobes of the windows met so far. GUI
// thread only.
class PeakFinder {
 public:
  PeakFinder();
  ~PeakFinder();

  // The strongest of the lines at or above FreqMin among the shownSize / 2
  // lines of `channel` (the lowest one of equal levels). It is named only
  // where it lies at least 20 dB above the floor and no lower than either
  // neighbour: the weaker neighbour of a tone on a line lies up to 10.4 dB
  // below it (Welch), so the lines the refinement reads stay clear of the
  // floor; without a window, whose neighbour then falls to the floor, a
  // floor 20 dB down reads as 0.09 lines and 0.12 dB.
  // With a neighbour on each side the line is moved towards its stronger
  // neighbour by the offset that the two lines' amplitude ratio gives in
  // `window`'s main lobe, and its level raised by the lobe's loss at that
  // offset: promised to 0.1 line (0.5 without a window, whose high side lobes
  // let leakage from other lines disturb the ratio). The DC line is no
  // neighbour: it is scaled differently and holds the tone's mirror image
  // too. At the spectrum's ends, which side the tone lies on is unknown: the
  // line's own frequency and level are given, promised to a whole line.
  // With a `scale`, the strongest line and its neighbours are compared as it
  // shows them (a frequency weighting may make another line the strongest),
  // the refinement reads the stored levels, and the level found is scaled at
  // the refined frequency.
  SpectralPeak Find(const SpectrumLevels& levels, int32_t channel, int32_t shownSize,
                    int32_t window, const LevelScale* scale = nullptr);

 private:
  const MainLobe& Lobe(int32_t window);

  std::array<std::unique_ptr<MainLobe>, kWindowCount> Lobes;
};
