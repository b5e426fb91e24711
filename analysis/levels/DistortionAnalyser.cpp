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
};

// A harmonic's lines: its lobe, and its leakage above the share of the noise.
struct HarmonicLines {
  LineRun Lobe;
  LineRun Reach;
  bool Measured;
};

// std::ceil for x >= 0, inline (at SSE2 std::ceil is a library call).
int32_t CeilOfNonNegative(double x) {
  const auto whole = static_cast<int32_t>(x);
  return whole + (whole < x ? 1 : 0);
}

double Db(double ratio) {
  return kDbPerPowerDecade * std::log10(ratio);
}

}  // namespace

DistortionAnalyser::DistortionAnalyser()
    : Powers(static_cast<size_t>(kTopHundredths - kFloorHundredths) + 1),
      Histogram(static_cast<size_t>((kTopHundredths - kFloorHundredths) >> kHistogramShift) + 1),
      FloorHistogram(kFloatExponentBins) {
  for (size_t i = 0; i < Powers.size(); ++i)
    Powers[i] =
        std::pow(10.0, (static_cast<int32_t>(i) + kFloorHundredths) / kHundredthsPerPowerDecade);
}

DistortionAnalyser::~DistortionAnalyser() = default;

double DistortionAnalyser::Power(int32_t hundredths) const {
  const int32_t index = std::clamp(hundredths, kFloorHundredths, kTopHundredths) - kFloorHundredths;
  return Powers[static_cast<size_t>(index)];
}

int32_t DistortionAnalyser::ScallopLoss(int32_t window) {
  if (window != ScallopWindow) {
    ScallopHundredths =
        static_cast<int32_t>(std::lround(Peaks.Lobe(window).LossDb(0.5) * kHundredthsPerDb));
    ScallopWindow = window;
  }
  return ScallopHundredths;
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
  result.Measured = true;
  result.FundamentalHz = fundamental.FrequencyHz;
  result.NoiseWeighting = weighting ? weightingKind : 0;

  // The band THD+N and SNR are taken in.
  const int32_t bandLow = std::max(1, static_cast<int32_t>(std::ceil(kBandLowHz / spacingHz)));
  const int32_t bandHigh =
      std::min(lines - 1, static_cast<int32_t>(std::floor(kBandHighHz / spacingHz)));
  result.BandLowHz = kBandLowHz;
  result.BandHighHz = std::min(kBandHighHz, bandHigh * spacingHz);
  const int32_t bandLines = std::max(0, bandHigh - bandLow + 1);

  // The noise floor's mean from the median of every stride-th line of the
  // band (the median of exponentially distributed powers is ln 2 times their
  // mean). It only sets where the tones' leakage stops being left out (at a
  // hundredth of the noise); a decibel off moves that edge to lines whose
  // leakage is about that small either way, which changes the noise read by
  // far less than its last digit. Lines at the floor with their powers are
  // counted in FloorHistogram (the lowest), the others in Histogram.
  std::fill(Histogram.begin(), Histogram.end(), 0);
  if (FloorHistogramUsed) std::fill(FloorHistogram.begin(), FloorHistogram.end(), 0);
  const int32_t stride = std::max(1, bandLines / kMedianSampleLines);
  int32_t sampled = 0;
  int32_t floorSampled = 0;
  const int32_t bins = static_cast<int32_t>(Histogram.size());
  for (int32_t line = bandLow; line <= bandHigh; line += stride, ++sampled) {
    const int32_t level = clampedLevel(line);
    if (level <= kFloorHundredths && floorPowers) {
      ++FloorHistogram[static_cast<size_t>(BinaryExponentBin((*floorPowers)[line][channel]))];
      ++floorSampled;
    } else {
      ++Histogram[static_cast<size_t>((level - kFloorHundredths) >> kHistogramShift)];
    }
  }
  FloorHistogramUsed = floorSampled > 0;
  double meanNoise = Power(kFloorHundredths);
  int32_t seen = 0;
  bool medianFound = false;
  for (int32_t bin = 0; bin < kFloatExponentBins && 2 * floorSampled >= sampled && !medianFound;
       ++bin) {
    seen += FloorHistogram[static_cast<size_t>(bin)];
    if (2 * seen < sampled) continue;
    medianFound = true;
    // The middle of the bin's octave.
    meanNoise = std::ldexp(std::sqrt(2.0), bin - kFloatExponentBias) / kLn2;
  }
  seen = floorSampled;
  for (int32_t bin = 0; bin < bins && !medianFound; ++bin) {
    seen += Histogram[static_cast<size_t>(bin)];
    if (2 * seen < sampled) continue;
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
  const int32_t scallopHundredths = ScallopLoss(window);
  std::array<HarmonicLines, kHighestHarmonic> harmonicRuns{};
  double measuredPower = 0.0;
  double belowPower = 0.0;
  bool anyMeasured = false;
  for (int32_t order = 2; order <= kHighestHarmonic; ++order) {
    const double centre = order * toneLine;
    if (centre >= lines - 1) break;
    const int32_t radius = std::max(1, CeilOfNonNegative(order * fundamental.AccuracyLines));
    const int32_t middle = static_cast<int32_t>(centre + 0.5);
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
    const LineRun lobe{std::min(near.LowTrough, search.Low),
                       std::max(near.HighTrough, search.High)};
    harmonicRuns[static_cast<size_t>(order - 2)] = {
        lobe,
        {std::max(1, std::min(lobe.Low, strongest - harmonicReach + 1)),
         std::min(lines - 1, std::max(lobe.High, strongest + harmonicReach - 1))},
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

  // The band's lines, each counted once: as the fundamental's (left out,
  // to be filled with the noise's mean), as a harmonic's, or as noise. The
  // fundamental's main lobe is its own; a measured harmonic's lobe is the
  // harmonic's where the fundamental's leakage reaches it (that leakage lies
  // far below it there, else it reads masked); the rest of that leakage's
  // reach is the fundamental's, harmonics below the floor included; the
  // harmonics' leakage beyond it is theirs. Each end of one of these runs
  // changes the count of runs of its kind holding the lines from there on:
  // the ends cut the band into pieces whose lines are all of one kind.
  enum RunKind { kFundamentalLobe, kMeasuredLobe, kFundamentalReach, kHarmonicReach, kRunKinds };
  struct RunEdge {
    int32_t Line;
    int32_t Kind;
    int32_t Step;
  };
  std::array<RunEdge, 4 * kHighestHarmonic> edges{};
  int32_t edgeCount = 0;
  const auto addRun = [&](const LineRun& run, int32_t kind) {
    edges[static_cast<size_t>(edgeCount++)] = {run.Low, kind, +1};
    edges[static_cast<size_t>(edgeCount++)] = {run.High + 1, kind, -1};
  };
  addRun({lobe.LowTrough, lobe.HighTrough}, kFundamentalLobe);
  addRun(fundamentalRun, kFundamentalReach);
  // (Runs that would change no line's kind are left out: a lobe that the
  // fundamental's reach does not meet is within the harmonic's own reach,
  // and a reach within the fundamental's is the fundamental's.)
  const auto meet = [](const LineRun& a, const LineRun& b) {
    return a.Low <= b.High && b.Low <= a.High;
  };
  for (int32_t i = 0; i < result.HarmonicCount; ++i) {
    const HarmonicLines& harmonic = harmonicRuns[static_cast<size_t>(i)];
    if (harmonic.Measured && meet(harmonic.Lobe, fundamentalRun))
      addRun(harmonic.Lobe, kMeasuredLobe);
    if (harmonic.Reach.Low < fundamentalRun.Low || harmonic.Reach.High > fundamentalRun.High)
      addRun(harmonic.Reach, kHarmonicReach);
  }
  // Sorted by insertion: the harmonics' runs come nearly in order.
  for (int32_t i = 1; i < edgeCount; ++i) {
    const RunEdge edge = edges[static_cast<size_t>(i)];
    int32_t at = i;
    for (; at > 0 && edges[static_cast<size_t>(at - 1)].Line > edge.Line; --at)
      edges[static_cast<size_t>(at)] = edges[static_cast<size_t>(at - 1)];
    edges[static_cast<size_t>(at)] = edge;
  }
  // The walk every spectrum's distortion takes over the whole band: each
  // noise line's level read once, its power looked up. Lines go in turn to
  // four sets of sums, so that each sum waits only for every fourth line's.
  const double* const powers = Powers.data();
  const double* const lineFactors = factors.data();
  struct PowerSums {
    double Weighted = 0.0;
    double Unweighted = 0.0;
    double Floor = 0.0;  // of the lines at the floor whose power is unknown, weighted
  };
  const auto accumulate = [&](int32_t line, PowerSums& sums) {
    const int32_t level = stored(line);
    const double factor = lineFactors[line];
    double power = 0.0;
    if (level > kFloorHundredths) {
      power = powers[std::min(level, kTopHundredths) - kFloorHundredths];
    } else if (floorPowers) {
      power = (*floorPowers)[line][channel];
    } else {
      power = powers[0];
      sums.Floor += power * factor;
    }
    sums.Unweighted += power;
    sums.Weighted += power * factor;
  };
  PowerSums noiseSums[4];
  double harmonicLines = 0.0;
  double fundamentalWeights = 0.0;
  double harmonicWeights = 0.0;
  int32_t counted = 0;
  std::array<int32_t, kRunKinds> holding{};
  int32_t low = bandLow;
  for (int32_t edge = 0; edge <= edgeCount; ++edge) {
    const int32_t end = std::max(
        low, edge < edgeCount ? std::min(edges[static_cast<size_t>(edge)].Line, bandHigh + 1)
                              : bandHigh + 1);
    const bool fundamental = holding[kFundamentalLobe] > 0 ||
                             (holding[kMeasuredLobe] == 0 && holding[kFundamentalReach] > 0);
    const bool harmonic =
        !fundamental && (holding[kMeasuredLobe] > 0 || holding[kHarmonicReach] > 0);
    if (fundamental) {
      for (int32_t line = low; line < end; ++line) fundamentalWeights += lineFactors[line];
    } else if (harmonic) {
      PowerSums sums;
      for (int32_t line = low; line < end; ++line) {
        accumulate(line, sums);
        harmonicWeights += lineFactors[line];
      }
      harmonicLines += sums.Weighted;
    } else {
      int32_t line = low;
      for (; line + 3 < end; line += 4) {
        accumulate(line, noiseSums[0]);
        accumulate(line + 1, noiseSums[1]);
        accumulate(line + 2, noiseSums[2]);
        accumulate(line + 3, noiseSums[3]);
      }
      for (; line < end; ++line) accumulate(line, noiseSums[0]);
      counted += end - low;
    }
    low = end;
    if (edge < edgeCount)
      holding[static_cast<size_t>(edges[static_cast<size_t>(edge)].Kind)] +=
          edges[static_cast<size_t>(edge)].Step;
  }
  const double noise = (noiseSums[0].Weighted + noiseSums[1].Weighted) +
                       (noiseSums[2].Weighted + noiseSums[3].Weighted);
  const double noiseUnweighted = (noiseSums[0].Unweighted + noiseSums[1].Unweighted) +
                                 (noiseSums[2].Unweighted + noiseSums[3].Unweighted);
  const double floorPower =
      (noiseSums[0].Floor + noiseSums[1].Floor) + (noiseSums[2].Floor + noiseSums[3].Floor);
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
