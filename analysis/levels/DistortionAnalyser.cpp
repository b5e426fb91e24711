#include "analysis/levels/DistortionAnalyser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/levels/LevelScale.h"

namespace {

// Stored levels, hundredths of a decibel: the analysis floor, and above
// anything a transform or a weighting gives.
constexpr int32_t kFloorHundredths = -14000;
constexpr int32_t kTopHundredths = 2000;
constexpr int32_t kHundredthsPerDb = 100;
constexpr double kHundredthsPerPowerDecade = 1000.0;
constexpr double kLn2 = 0.6931471805599453;
// A harmonic is measured where its line lies this far above the floor near it.
constexpr int32_t kMeasuredAboveFloorHundredths =
    static_cast<int32_t>(PeakFinder::kPeakAboveNoiseDb * kHundredthsPerDb);
// A harmonic's line is the window's where the fundamental's leakage reaches
// this share of its power (a tenth of its amplitude).
constexpr double kHarmonicLeakageShare = 0.01;
// Figures whose bounds lie further apart than this share (0.05 dB) are
// shown as bounds.
constexpr double kBoundShare = 0.012;
constexpr double kDbPerPowerDecade = 10.0;
// The band's levels are counted in bins of 2^kHistogramShift hundredths
// (1.28 dB) for the median.
constexpr int32_t kHistogramShift = 7;
// A float's biased binary exponent: the bins of the powers below the floor.
constexpr int32_t kFloatExponentBins = 256;
constexpr int32_t kFloatExponentBias = 127;
constexpr int32_t kFloatMantissaBits = 23;
int32_t BinaryExponentBin(float power) {
  uint32_t bits = 0;
  std::memcpy(&bits, &power, sizeof bits);
  return static_cast<int32_t>((bits >> kFloatMantissaBits) & (kFloatExponentBins - 1));
}
// The harmonics' floor: the median of this many lines beyond each side of
// their lobe (fewer than the peak's: nine of them are judged per spectrum).
constexpr int32_t kHarmonicFloorLines = 16;

// A run of lines, both ends included.
struct LineRun {
  int32_t Low;
  int32_t High;
  bool Measured = false;  // a harmonic's run: the harmonic is measured
  bool Holds(int32_t line) const { return line >= Low && line <= High; }
};

double Db(double ratio) {
  return kDbPerPowerDecade * std::log10(ratio);
}

}  // namespace

DistortionAnalyser::DistortionAnalyser()
    : Powers(static_cast<size_t>(kTopHundredths - kFloorHundredths) + 1),
      Histogram(2 *
                (static_cast<size_t>((kTopHundredths - kFloorHundredths) >> kHistogramShift) + 1)),
      FloorHistogram(kFloatExponentBins),
      Blocks(static_cast<size_t>(kMaxSpectrumLines / kBlockLines) + 1) {
  for (size_t i = 0; i < Powers.size(); ++i)
    Powers[i] =
        std::pow(10.0, (static_cast<int32_t>(i) + kFloorHundredths) / kHundredthsPerPowerDecade);
}

DistortionAnalyser::~DistortionAnalyser() = default;

double DistortionAnalyser::Power(int32_t hundredths) const {
  const int32_t index = std::clamp(hundredths, kFloorHundredths, kTopHundredths) - kFloorHundredths;
  return Powers[static_cast<size_t>(index)];
}

const WindowLeakage& DistortionAnalyser::Leakage(int32_t window) {
  const int32_t index = std::clamp(window, 0, kWindowCount - 1);
  if (!Leakages[index]) Leakages[index] = std::make_unique<WindowLeakage>(WindowTable[index]);
  return *Leakages[index];
}

const WindowGain& DistortionAnalyser::Gain(int32_t window, int32_t size) {
  if (window != GainWindow || size != GainSize) {
    CurrentGain = MeasureWindowGain(WindowTable[std::clamp(window, 0, kWindowCount - 1)], size);
    GainWindow = window;
    GainSize = size;
  }
  return CurrentGain;
}

const std::vector<double>& DistortionAnalyser::WeightFactors(const LevelScale* weighting,
                                                             int32_t kind, int32_t lines,
                                                             int32_t rateHz) {
  if (!weighting) kind = 0;
  if (kind != FactorsKind || lines != FactorsLines || rateHz != FactorsRateHz) {
    Factors.assign(static_cast<size_t>(lines), 1.0);
    if (weighting)
      for (int32_t line = 0; line < lines; ++line)
        Factors[static_cast<size_t>(line)] = Power(weighting->ScaledLevel(0, line));
    FactorsKind = kind;
    FactorsLines = lines;
    FactorsRateHz = rateHz;
  }
  return Factors;
}

ChannelDistortion DistortionAnalyser::Analyse(const SpectrumLevels& levels,
                                              const SpectrumFloorPowers* floorPowers,
                                              int32_t channel, int32_t shownSize, int32_t window,
                                              const SpectralPeak& peak, const LevelScale* weighting,
                                              int32_t weightingKind) {
  ChannelDistortion result;
  const int32_t lines = std::min(shownSize / 2, kMaxSpectrumLines);
  if (!peak.Found || peak.Line < 1 || peak.Line >= lines || lines < 4) return result;
  const auto stored = [&](int32_t line) { return levels[line][channel]; };
  // The peak's spectrum's own rate (a recording's may be other than the input's).
  const auto rate = static_cast<int32_t>(std::lround(peak.LineSpacingHz * shownSize));
  const SpectralPeak fundamental =
      Peaks.Refine(levels, channel, peak.Line, shownSize, window, nullptr, rate);
  const double spacingHz = fundamental.LineSpacingHz;
  const double toneLine = fundamental.FrequencyHz / spacingHz;
  const double tonePower = Power(fundamental.LevelHundredthsDb);
  const WindowLeakage& leakage = Leakage(window);
  const std::vector<double>& factors = WeightFactors(weighting, weightingKind, lines, rate);
  const auto clampedLevel = [&](int32_t line) {
    return std::clamp(stored(line), kFloorHundredths, kTopHundredths);
  };
  // A line's power, weighted, and whether it lies at the floor with its
  // power unknown; `level`: its clamped level.
  const auto powerAt = [&](int32_t line, int32_t level, double& weighted, bool& hidden) {
    const bool atFloor = level <= kFloorHundredths;
    const double power = atFloor && floorPowers
                             ? static_cast<double>((*floorPowers)[line][channel])
                             : Powers[static_cast<size_t>(level - kFloorHundredths)];
    weighted = power * factors[static_cast<size_t>(line)];
    hidden = atFloor && !floorPowers;
    return power;
  };
  const auto linePower = [&](int32_t line, double& weighted, bool& hidden) {
    return powerAt(line, clampedLevel(line), weighted, hidden);
  };
  result.Measured = true;
  result.FundamentalHz = fundamental.FrequencyHz;
  result.NoiseWeighting = weighting ? weightingKind : 0;

  // The band's lines in blocks, each block's powers summed (so that no sum
  // over the band has the fundamental to take out again), and the noise
  // floor's mean from their median (the median of exponentially distributed
  // powers is ln 2 times their mean).
  const int32_t bandLow = std::max(1, static_cast<int32_t>(std::ceil(kBandLowHz / spacingHz)));
  const int32_t bandHigh =
      std::min(lines - 1, static_cast<int32_t>(std::floor(kBandHighHz / spacingHz)));
  result.BandLowHz = kBandLowHz;
  result.BandHighHz = std::min(kBandHighHz, bandHigh * spacingHz);
  const int32_t bandLines = std::max(0, bandHigh - bandLow + 1);
  const int32_t blocks = (bandLines + kBlockLines - 1) / kBlockLines;
  // Lines at the floor with their powers counted in FloorHistogram (the
  // lowest), the others in Histogram.
  std::fill(Histogram.begin(), Histogram.end(), 0);
  if (FloorHistogramUsed) std::fill(FloorHistogram.begin(), FloorHistogram.end(), 0);
  int32_t floorLines = 0;
  // The loop every spectrum's distortion walks whole: each line's level read
  // once, its power looked up. Alternate lines go to two histograms and two
  // sets of sums, so that neighbours in the same bin do not wait for each
  // other's increment.
  const int32_t bins = static_cast<int32_t>(Histogram.size()) / 2;
  int32_t* const histograms[2] = {Histogram.data(), Histogram.data() + bins};
  const double* const powers = Powers.data();
  const double* const lineFactors = factors.data();
  const auto accumulate = [&](int32_t line, int32_t* histogram, BlockPowers& sums) {
    const int32_t level = stored(line);
    const double factor = lineFactors[line];
    double power = 0.0;
    if (level > kFloorHundredths) {
      const int32_t index = std::min(level, kTopHundredths) - kFloorHundredths;
      power = powers[index];
      ++histogram[index >> kHistogramShift];
    } else if (floorPowers) {
      power = (*floorPowers)[line][channel];
      ++FloorHistogram[static_cast<size_t>(BinaryExponentBin((*floorPowers)[line][channel]))];
      ++floorLines;
    } else {
      power = powers[0];
      ++histogram[0];
      sums.Floor += power * factor;
    }
    sums.Unweighted += power;
    sums.Weighted += power * factor;
  };
  for (int32_t block = 0; block < blocks; ++block) {
    const int32_t first = bandLow + block * kBlockLines;
    const int32_t end = std::min(bandHigh + 1, first + kBlockLines);
    BlockPowers sums[2];
    int32_t line = first;
    for (; line + 1 < end; line += 2) {
      accumulate(line, histograms[0], sums[0]);
      accumulate(line + 1, histograms[1], sums[1]);
    }
    if (line < end) accumulate(line, histograms[0], sums[0]);
    Blocks[static_cast<size_t>(block)] = {sums[0].Weighted + sums[1].Weighted,
                                          sums[0].Unweighted + sums[1].Unweighted,
                                          sums[0].Floor + sums[1].Floor};
  }
  FloorHistogramUsed = floorLines > 0;
  double meanNoise = Power(kFloorHundredths);
  int32_t seen = 0;
  bool medianFound = false;
  for (int32_t bin = 0; bin < kFloatExponentBins && 2 * floorLines >= bandLines && !medianFound;
       ++bin) {
    seen += FloorHistogram[static_cast<size_t>(bin)];
    if (2 * seen < bandLines) continue;
    medianFound = true;
    // The middle of the bin's octave.
    meanNoise = std::ldexp(std::sqrt(2.0), bin - kFloatExponentBias) / kLn2;
  }
  seen = floorLines;
  for (int32_t bin = 0; bin < bins && !medianFound; ++bin) {
    seen += histograms[0][bin] + histograms[1][bin];
    if (2 * seen < bandLines) continue;
    medianFound = true;
    if (bin > 0)
      meanNoise =
          Power(kFloorHundredths + (bin << kHistogramShift) + (1 << kHistogramShift) / 2) / kLn2;
  }
  const double excludeAbove = kLeakageShareOfNoise * meanNoise;

  // The fundamental's lines: its main lobe, and its leakage above the share of the noise.
  // (Only the walk's ends are needed.)
  const PeakFinder::LobeClearance lobe =
      Peaks.ClearanceNear(levels, channel, peak.Line, shownSize, 1, 0);
  const int32_t reach = leakage.ReachBelow(tonePower, excludeAbove, lines);
  const LineRun fundamentalRun{
      std::max(1, std::min(lobe.LowTrough, static_cast<int32_t>(std::floor(toneLine)) - reach + 1)),
      std::min(lines - 1,
               std::max(lobe.HighTrough, static_cast<int32_t>(std::ceil(toneLine)) + reach - 1))};

  // The harmonics below the top.
  const int32_t scallopHundredths =
      static_cast<int32_t>(std::lround(Peaks.Lobe(window).LossDb(0.5) * kHundredthsPerDb));
  std::array<LineRun, kHighestHarmonic> harmonicRuns{};
  double measuredPower = 0.0;
  double belowPower = 0.0;
  bool anyMeasured = false;
  for (int32_t order = 2; order <= kHighestHarmonic; ++order) {
    const double centre = order * toneLine;
    if (centre >= lines - 1) break;
    const int32_t radius =
        std::max(1, static_cast<int32_t>(std::ceil(order * fundamental.AccuracyLines)));
    const int32_t middle = static_cast<int32_t>(std::lround(centre));
    const LineRun search{std::max(1, middle - radius), std::min(lines - 1, middle + radius)};
    int32_t strongest = search.Low;
    for (int32_t line = search.Low + 1; line <= search.High; ++line)
      if (stored(line) > stored(strongest)) strongest = line;
    HarmonicReading& harmonic = result.Harmonics[static_cast<size_t>(result.HarmonicCount++)];
    harmonic.Order = order;
    const PeakFinder::LobeClearance near = Peaks.ClearanceNear(
        levels, channel, strongest, shownSize, kHarmonicFloorLines, kMeasuredAboveFloorHundredths);
    double power = 0.0;
    if (near.ClearOfFloor) {
      const SpectralPeak refined =
          Peaks.Refine(levels, channel, strongest, shownSize, window, nullptr, rate);
      harmonic.State = HarmonicReading::Reading::Measured;
      harmonic.FrequencyHz = refined.FrequencyHz;
      harmonic.LevelHundredthsDb = refined.LevelHundredthsDb - fundamental.LevelHundredthsDb;
      power = Power(refined.LevelHundredthsDb);
      measuredPower += power;
      anyMeasured = true;
    } else {
      harmonic.State = HarmonicReading::Reading::Below;
      harmonic.FrequencyHz = order * fundamental.FrequencyHz;
      const int32_t bound = stored(strongest) + scallopHundredths;
      harmonic.LevelHundredthsDb = bound - fundamental.LevelHundredthsDb;
      power = Power(bound);
      belowPower += power;
    }
    if (tonePower * leakage.EnvelopePower(strongest - toneLine) >=
        kHarmonicLeakageShare * Power(stored(strongest))) {
      harmonic.State = HarmonicReading::Reading::Masked;
      result.ThdMasked = true;
    }
    const int32_t harmonicReach = leakage.ReachBelow(power, excludeAbove, lines);
    harmonicRuns[static_cast<size_t>(order - 2)] = {
        std::max(1, std::min({near.LowTrough, search.Low, strongest - harmonicReach + 1})),
        std::min(lines - 1,
                 std::max({near.HighTrough, search.High, strongest + harmonicReach - 1})),
        harmonic.State == HarmonicReading::Reading::Measured};
  }
  if (result.HarmonicCount > 0) {
    double thd = measuredPower;
    if (!anyMeasured || belowPower > kBoundShare * measuredPower) {
      result.ThdBelow = true;
      thd += belowPower;
    }
    thd /= tonePower;
    result.ThdDb = Db(thd);
    result.ThdPercent = 100.0 * std::sqrt(thd);
  }

  // The band's powers: the noise counted, the harmonics' lines, the
  // excluded lines' weights (to be filled with the noise's mean). Blocks
  // clear of the fundamental's run count as they were summed; the
  // harmonics' runs are taken out of the sums after (they are far weaker
  // than the fundamental, whose power would swamp the noise's digits).
  double noise = 0.0;
  double noiseUnweighted = 0.0;
  double floorPower = 0.0;
  double harmonicLines = 0.0;
  double fundamentalWeights = 0.0;
  double harmonicWeights = 0.0;
  int32_t counted = 0;
  const auto weightAt = [&](int32_t line) { return factors[static_cast<size_t>(line)]; };
  std::sort(harmonicRuns.begin(), harmonicRuns.begin() + result.HarmonicCount,
            [](const LineRun& a, const LineRun& b) { return a.Low < b.Low; });
  // A measured harmonic's lines are its own where the fundamental's run
  // reaches them: the fundamental's leakage there lies far below it (else
  // it reads masked). Those of one below the floor stay the fundamental's.
  const auto inHarmonic = [&](int32_t line) {
    for (int32_t i = 0; i < result.HarmonicCount; ++i) {
      const LineRun& run = harmonicRuns[static_cast<size_t>(i)];
      if (run.Measured && run.Holds(line)) return true;
    }
    return false;
  };
  bool measuredInFundamental = false;
  for (int32_t i = 0; i < result.HarmonicCount; ++i) {
    const LineRun& run = harmonicRuns[static_cast<size_t>(i)];
    measuredInFundamental |=
        run.Measured && run.Low <= fundamentalRun.High && run.High >= fundamentalRun.Low;
  }
  const auto fundamentalHolds = [&](int32_t line) {
    return fundamentalRun.Holds(line) && !(measuredInFundamental && inHarmonic(line));
  };
  for (int32_t block = 0; block < blocks; ++block) {
    const int32_t first = bandLow + block * kBlockLines;
    const int32_t end = std::min(bandHigh + 1, first + kBlockLines);
    if (fundamentalRun.Low > end - 1 || fundamentalRun.High < first) {
      const BlockPowers& sums = Blocks[static_cast<size_t>(block)];
      noise += sums.Weighted;
      noiseUnweighted += sums.Unweighted;
      floorPower += sums.Floor;
      counted += end - first;
      continue;
    }
    for (int32_t line = first; line < end; ++line) {
      if (fundamentalHolds(line)) {
        fundamentalWeights += weightAt(line);
        continue;
      }
      double weighted = 0.0;
      bool atFloor = false;
      noiseUnweighted += linePower(line, weighted, atFloor);
      noise += weighted;
      if (atFloor) floorPower += weighted;
      ++counted;
    }
  }
  int32_t taken = bandLow - 1;  // the harmonics' lines up to here are taken out
  for (int32_t i = 0; i < result.HarmonicCount; ++i) {
    const LineRun& run = harmonicRuns[static_cast<size_t>(i)];
    for (int32_t line = std::max(run.Low, taken + 1); line <= std::min(run.High, bandHigh);
         ++line) {
      if (fundamentalHolds(line)) continue;
      double weighted = 0.0;
      bool atFloor = false;
      noiseUnweighted -= linePower(line, weighted, atFloor);
      noise -= weighted;
      if (atFloor) floorPower -= weighted;
      --counted;
      harmonicLines += weighted;
      harmonicWeights += weightAt(line);
    }
    taken = std::max(taken, std::min(run.High, bandHigh));
  }
  noise = std::max(noise, 0.0);
  noiseUnweighted = std::max(noiseUnweighted, 0.0);
  // What the fundamental leaks, at most, into the lines counted on either side.
  double leaked = 0.0;
  if (fundamentalRun.High < bandHigh)
    leaked += leakage.PowerBeyond(
        std::max(1, static_cast<int32_t>(std::floor(fundamentalRun.High + 1 - toneLine))));
  if (fundamentalRun.Low > bandLow)
    leaked += leakage.PowerBeyond(
        std::max(1, static_cast<int32_t>(std::floor(toneLine - (fundamentalRun.Low - 1)))));
  leaked *= tonePower;
  if (counted == 0 || 4 * counted < bandLines || leaked >= kMaskingShare * noiseUnweighted) {
    result.NoiseMasked = true;
    return result;
  }
  const double meanCounted = noiseUnweighted / counted;
  const double bandwidth = Gain(window, shownSize).NoiseBandwidthLines;
  const double fundamentalFill = fundamentalWeights * meanCounted;
  const double harmonicFill = harmonicWeights * meanCounted;
  result.ThdPlusNoiseDb = Db((noise + harmonicLines + fundamentalFill) / bandwidth / tonePower);
  result.SnrDb = Db(tonePower * bandwidth / (noise + fundamentalFill + harmonicFill));
  result.NoiseBounded = floorPower > kBoundShare * noise;
  return result;
}
