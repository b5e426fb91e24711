#include "analysis/levels/PeakFinder.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/levels/LevelScale.h"

namespace {

constexpr double kAccuracyLinesWithoutWindow = 0.5;
constexpr double kAccuracyLinesWithWindow = 0.1;
constexpr double kAccuracyLinesUnrefined = 1.0;
constexpr double kHundredthsPerDb = 100.0;
// Stored levels are hundredths of a decibel; amplitude = 10^(dB / 20).
constexpr double kHundredthsPerAmplitudeDecade = 2000.0;

// The level promised to a tenth of a decibel, or near the ends to half a
// decibel: the tone's mirror image (at minus its frequency, or mirrored at
// half the sampling rate, twice its distance from that end away) adds to the
// lines the refinement reads, by an amount that depends on the tone's phase.
constexpr double kLevelAccuracyTenthsDb = 0.05;
constexpr double kLevelAccuracyNearEdgeDb = 0.5;

// Per window: from how many lines off the nearer end (0 Hz or half the
// sampling rate) a refined level holds a tenth of a decibel, and what the
// level of a line at either end, unrefined, is promised to (its scalloping
// loss and the mirror image's share). About a quarter above the largest
// errors of a scan of lines 0.5 to 40 from both ends in steps of 1/20 line
// at 8 phases (docs/measurements.md); they depend on lines, not on the size.
struct EdgeAccuracy {
  double TenthsFromLines;
  double UnrefinedDb;
};
constexpr EdgeAccuracy kEdgeAccuracy[kWindowCount] = {
    {14.0, 9.0},  // Aus: the side lobes fall as 1 / distance
    {5.0, 4.0},   // Dreieck
    {2.0, 4.0},   // Hanning
    {5.0, 3.0},   // Welch
    {2.0, 4.0},   // Hamming
    {2.0, 6.0},   // Blackman
    {5.0, 4.0},   // Parzen
};

// Where a walk from the strongest line down its lobe on one side ended.
struct LobeSide {
  int32_t Trough;       // the last line that still fell
  int32_t NextLobeTop;  // the highest level of the next lobe, read up to kNextLobeLines on
};

// Walks from `top` in direction `step` (+1 or -1) over lines 1 .. lines - 1.
template <typename LevelOf>
LobeSide WalkDown(const LevelOf& level, int32_t top, int32_t step, int32_t lines) {
  const auto inside = [&](int32_t line) { return line >= 1 && line < lines; };
  int32_t trough = top;
  while (inside(trough + step) && level(trough + step) < level(trough)) trough += step;
  int32_t highest = level(trough);
  int32_t line = trough;
  for (int32_t i = 0; i < PeakFinder::kNextLobeLines && inside(line + step); ++i) {
    if (level(line + step) < level(line)) break;
    line += step;
    highest = std::max(highest, level(line));
  }
  return {trough, highest};
}

}  // namespace

PeakFinder::PeakFinder() = default;
PeakFinder::~PeakFinder() = default;

const MainLobe& PeakFinder::Lobe(int32_t window) {
  const int32_t index = std::clamp(window, 0, kWindowCount - 1);
  if (!Lobes[index]) Lobes[index] = std::make_unique<MainLobe>(WindowTable[index]);
  return *Lobes[index];
}

SpectralPeak PeakFinder::Find(const SpectrumLevels& levels, int32_t channel, int32_t shownSize,
                              int32_t window, const LevelScale* scale, int32_t sampleRateHz,
                              const PeakBand& band) {
  SpectralPeak peak;
  const int32_t lines = std::min(shownSize / 2, kMaxSpectrumLines);
  if (lines < 2) return peak;
  peak.LineSpacingHz = static_cast<double>(sampleRateHz) / shownSize;
  int32_t lowest = std::max(1, static_cast<int32_t>(std::ceil(Range.FreqMin / peak.LineSpacingHz)));
  // The band's ends judged by the lines' own frequencies (line j at j *
  // sampleRateHz / shownSize), whatever the division's rounding.
  const auto lineHz = [&](int32_t line) {
    return static_cast<double>(sampleRateHz) * line / shownSize;
  };
  const auto firstAbove = [&](double frequencyHz, bool included) {
    int32_t line = std::clamp(static_cast<int32_t>(frequencyHz / peak.LineSpacingHz), 0, lines);
    while (line > 0 &&
           (included ? lineHz(line - 1) >= frequencyHz : lineHz(line - 1) > frequencyHz))
      --line;
    while (line < lines && (included ? lineHz(line) < frequencyHz : lineHz(line) <= frequencyHz))
      ++line;
    return line;
  };
  if (band.LowHz > 0.0) lowest = std::max(lowest, firstAbove(band.LowHz, true));
  const int32_t end = band.HighHz < lineHz(lines) ? firstAbove(band.HighHz, false) : lines;
  if (lowest >= end) return peak;

  const auto stored = [&](int32_t line) { return levels[line][channel]; };
  const auto shown = [&](int32_t line) {
    return scale ? scale->ScaledLevel(stored(line), line) : stored(line);
  };
  int32_t strongest = lowest;
  int32_t strongestShown = shown(lowest);
  for (int32_t i = lowest + 1; i < end; ++i) {
    const int32_t level = shown(i);
    if (level > strongestShown) {
      strongest = i;
      strongestShown = level;
    }
  }

  const int32_t level = stored(strongest);
  const LobeSide below = WalkDown(stored, strongest, -1, lines);
  const LobeSide above = WalkDown(stored, strongest, +1, lines);
  if (below.NextLobeTop > level || above.NextLobeTop > level) return peak;
  if (!NoiseFloorAtMost(
          levels, channel, below.Trough, above.Trough, lines, kFloorBandLines,
          level - static_cast<int32_t>(std::lround(kPeakAboveNoiseDb * kHundredthsPerDb))))
    return peak;

  return Refine(levels, channel, strongest, shownSize, window, scale, sampleRateHz);
}

SpectralPeak PeakFinder::Refine(const SpectrumLevels& levels, int32_t channel, int32_t line,
                                int32_t shownSize, int32_t window, const LevelScale* scale,
                                int32_t sampleRateHz) {
  SpectralPeak peak;
  const int32_t lines = std::min(shownSize / 2, kMaxSpectrumLines);
  peak.LineSpacingHz = static_cast<double>(sampleRateHz) / shownSize;
  const auto stored = [&](int32_t at) { return levels[at][channel]; };
  const int32_t level = stored(line);
  peak.Found = true;
  peak.Line = line;
  peak.FrequencyHz = line * peak.LineSpacingHz;
  peak.LevelHundredthsDb = scale ? scale->ScaledLevel(level, line) : level;
  const bool hasLower = line - 1 >= 1;
  const bool hasUpper = line + 1 < lines;
  if (!hasLower || !hasUpper) {
    peak.AccuracyLines = kAccuracyLinesUnrefined;
    peak.LevelAccuracyDb = LevelAccuracyDb(window, line, lines, false);
    return peak;
  }
  const bool upper = stored(line + 1) >= stored(line - 1);
  const int32_t neighbour = upper ? line + 1 : line - 1;
  const double ratio = std::pow(10.0, (stored(neighbour) - level) / kHundredthsPerAmplitudeDecade);
  const MainLobe& lobe = Lobe(window);
  const double offsetLines = lobe.OffsetForRatio(ratio);
  const double toneLine = line + (upper ? offsetLines : -offsetLines);
  peak.FrequencyHz = toneLine * peak.LineSpacingHz;
  const int32_t toneLevel =
      level + static_cast<int32_t>(std::lround(lobe.LossDb(offsetLines) * kHundredthsPerDb));
  peak.LevelHundredthsDb = scale ? scale->ScaledLevelAt(toneLevel, peak.FrequencyHz) : toneLevel;
  peak.AccuracyLines =
      window == kWindowOff ? kAccuracyLinesWithoutWindow : kAccuracyLinesWithWindow;
  peak.LevelAccuracyDb = LevelAccuracyDb(window, toneLine, lines, true);
  return peak;
}

PeakFinder::LobeClearance PeakFinder::ClearanceNear(const SpectrumLevels& levels, int32_t channel,
                                                    int32_t line, int32_t shownSize,
                                                    int32_t floorLines, int32_t marginHundredths) {
  const int32_t lines = std::min(shownSize / 2, kMaxSpectrumLines);
  const auto stored = [&](int32_t at) { return levels[at][channel]; };
  const LobeSide below = WalkDown(stored, line, -1, lines);
  const LobeSide above = WalkDown(stored, line, +1, lines);
  return {below.Trough, above.Trough,
          NoiseFloorAtMost(levels, channel, below.Trough, above.Trough, lines, floorLines,
                           stored(line) - marginHundredths)};
}

bool PeakFinder::NoiseFloorAtMost(const SpectrumLevels& levels, int32_t channel, int32_t lowTrough,
                                  int32_t highTrough, int32_t lines, int32_t floorLines,
                                  int32_t limit) const {
  const int32_t band = std::clamp(floorLines, 1, kFloorBandLines);
  const int32_t lowFirst = std::max(1, lowTrough - band);
  const int32_t highLast = std::min(lines - 1, highTrough + band);
  const int32_t count = std::max(0, lowTrough - lowFirst) + std::max(0, highLast - highTrough);
  int32_t atMost = 0;
  for (int32_t line = lowFirst; line < lowTrough; ++line)
    atMost += levels[line][channel] <= limit ? 1 : 0;
  for (int32_t line = highTrough + 1; line <= highLast; ++line)
    atMost += levels[line][channel] <= limit ? 1 : 0;
  // The median is the element count / 2 of the sorted levels.
  if (count == 0) return std::lround(Range.LevelMin * kHundredthsPerDb) <= limit;
  return atMost >= count / 2 + 1;
}

double PeakFinder::LevelAccuracyDb(int32_t window, double toneLine, int32_t lines, bool refined) {
  const EdgeAccuracy& edge = kEdgeAccuracy[std::clamp(window, 0, kWindowCount - 1)];
  if (!refined) return edge.UnrefinedDb;
  const double fromEdgeLines = std::min(toneLine, lines - toneLine);
  return fromEdgeLines >= edge.TenthsFromLines ? kLevelAccuracyTenthsDb : kLevelAccuracyNearEdgeDb;
}
