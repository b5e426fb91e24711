#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/PowerAverager.h"
#include "analysis/WeightTable.h"
#include "recording/RecordingResult.h"
#include "recording/WaveFileReader.h"

// How a recording is analysed: the menu's size, window and offset correction.
struct RecordingAnalysisChoice {
  int32_t FftSize = 2048;  // a power of two from kMinFftSize to kMaxFftSize
  int32_t Weighting = 0;   // a WeightingWindow
  int32_t AutoOffset = 1;  // 1: the DC offset is removed as in the live analysis
};

// Told the fraction of the recording done (0 to 1) now and then; answering
// false cancels the analysis.
using AnalysisProgress = std::function<bool(double fractionDone)>;

// Analyses a whole recording as the live analysis would analyse it block by
// block: consecutive blocks of FftSize frames, each starting half a block
// after the one before, each channel through the program's own per-channel
// arithmetic (ChannelAnalysis), the DC offset estimate carried from block to
// block as from cycle to cycle. The powers are averaged as "&Fortlaufend"
// averages them, and each line's highest block is held. For 16-bit samples the
// average is bit for bit what the live analysis shows after the same blocks
// with "&Fortlaufend" averaging, the held maximum what it holds after them
// without averaging. Frames after the last whole block (less than half a
// block) are not analysed; a recording shorter than one block is refused.
//
// Holds its own work arrays (about 20 MiB at most): it may run on any one
// thread beside the live analysis.
class RecordingAnalyser {
 public:
  enum class Outcome { kDone, kCancelled, kRefused };

  RecordingAnalyser();
  ~RecordingAnalyser();

  // REQUIRES: reader.Open() succeeded and nothing has been read from it;
  // `choice` holds a size and a window the menu offers.
  // kDone: `spectrum` holds the result. kCancelled: `progress` answered
  // false. kRefused: Error() says why (Windows-1252); `spectrum` is left as
  // it was in both.
  Outcome Analyse(WaveFileReader& reader, const RecordingAnalysisChoice& choice,
                  const AnalysisProgress& progress, RecordingResult& spectrum);

  const std::string& Error() const { return ErrorText; }

 private:
  void AnalyseBlock(int32_t channels, int32_t n, const double* weights, bool first, bool last,
                    int32_t autoOffset, RecordingResult& result);

  std::vector<double> Frames;  // the block in hand, interleaved
  std::vector<double> Input;   // one channel's weighted samples
  std::vector<double> Re;
  std::vector<double> Im;
  std::vector<std::array<double, 2>> HeldMagnitudes;  // per line, left then right
  std::unique_ptr<PowerAverager> Averager;
  WeightTable Weights;
  int16_t Offsets[2] = {0, 0};
  std::string ErrorText;
};
