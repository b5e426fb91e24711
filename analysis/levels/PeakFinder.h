#pragma once

#include <array>
#include <cstdint>
#include <limits>
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
  // Within how many decibels the level of a steady tone is promised to lie
  // of the true one: 0.05 (tenths hold) except near the spectrum's ends,
  // where the tone's mirror image (below 0 Hz, above half the sampling
  // rate) overlaps its main lobe.
  double LevelAccuracyDb = 0.0;
  int32_t Line = 0;  // the strongest line, which the refinement started from
};

// The frequencies a peak is looked for at, both ends included: by default
// all of them.
struct PeakBand {
  double LowHz = 0.0;
  double HighHz = std::numeric_limits<double>::infinity();
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
  // lines of `channel` whose frequency lies in `band` (the lowest one of
  // equal levels); none is named where the band holds no such line. It is named only
  // where it is the top of its own main lobe and stands clear of the noise:
  //  - Walking down from it on each side to the first line that no longer
  //    falls, and on up the next lobe (at most kNextLobeLines lines), no line
  //    is higher than it: otherwise it is a side lobe (or the skirt) of a
  //    stronger line, e.g. of a tone below FreqMin.
  //  - Its level lies at least kPeakAboveNoiseDb above the spectrum's noise
  //    floor near it: the median of up to kFloorBandLines lines beyond each
  //    end of that walk (a floor of the analysis floor alone is the analysis
  //    floor). The strongest of 131072 lines of white noise lies about 12 dB
  //    above that median; the weaker neighbour of a tone on a line lies up to
  //    10.4 dB below it (Welch), so the lines the refinement reads stay clear
  //    of the noise.
  // The walk and the floor read the stored levels: a frequency weighting
  // tilts a lobe. The DC line takes no part: it is scaled differently and
  // holds the tone's mirror image too.
  // With a neighbour on each side the line is moved towards its stronger
  // neighbour by the offset that the two lines' amplitude ratio gives in
  // `window`'s main lobe, and its level raised by the lobe's loss at that
  // offset: promised to 0.1 line (0.5 without a window, whose high side lobes
  // let leakage from other lines disturb the ratio). At the spectrum's ends,
  // which side the tone lies on is unknown: the line's own frequency and
  // level are given, promised to a whole line and to the window's
  // scalloping loss and the mirror image's share (LevelAccuracyDb).
  // With a `scale`, the strongest line is the strongest as it shows them (a
  // frequency weighting may make another line the strongest), and the level
  // found is scaled at the refined frequency. Line j lies at j *
  // sampleRateHz / shownSize. O(lines).
  SpectralPeak Find(const SpectrumLevels& levels, int32_t channel, int32_t shownSize,
                    int32_t window, const LevelScale* scale = nullptr,
                    int32_t sampleRateHz = kSampleRateHz, const PeakBand& band = {});

  // The tone that line `line` of `channel` stands for, refined as Find
  // refines the strongest line, whether or not it is a peak (Found is set).
  // REQUIRES: 1 <= line < shownSize / 2.
  SpectralPeak Refine(const SpectrumLevels& levels, int32_t channel, int32_t line,
                      int32_t shownSize, int32_t window, const LevelScale* scale = nullptr,
                      int32_t sampleRateHz = kSampleRateHz);

  // The lines on each side of `line` where the walk down its lobe ends (the
  // last lines that still fall), and whether the line lies at least
  // `marginHundredths` above the noise floor near it as Find judges a peak
  // against: the median of the stored levels of up to `floorLines` lines
  // beyond each end, found by counting the lines at or below the level less
  // the margin.
  struct LobeClearance {
    int32_t LowTrough;
    int32_t HighTrough;
    bool ClearOfFloor;
  };
  LobeClearance ClearanceNear(const SpectrumLevels& levels, int32_t channel, int32_t line,
                              int32_t shownSize, int32_t floorLines, int32_t marginHundredths);

  // The window's main lobe, tabulated on first use.
  const MainLobe& Lobe(int32_t window);

  static constexpr int32_t kNextLobeLines = 4;
  static constexpr int32_t kFloorBandLines = 64;
  static constexpr double kPeakAboveNoiseDb = 20.0;

 private:
  // Whether the median of the stored levels of up to floorLines (at most
  // kFloorBandLines) lines below lowTrough and above highTrough lies at or
  // below `limit`: more than half of them do. O(lines counted), no copy.
  bool NoiseFloorAtMost(const SpectrumLevels& levels, int32_t channel, int32_t lowTrough,
                        int32_t highTrough, int32_t lines, int32_t floorLines, int32_t limit) const;
  // What the level of a tone at `toneLine` of `lines` is promised to, refined or not.
  static double LevelAccuracyDb(int32_t window, double toneLine, int32_t lines, bool refined);

  std::array<std::unique_ptr<MainLobe>, kWindowCount> Lobes;
};
