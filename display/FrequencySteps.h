#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/ViewGeometry.h"

// The frequencies of the grid's columns and of the axis labels for the range
// a view shows, spaced so that the labels read: at two decades and more the
// decades ("10", "100", "1k", "10k") over a grid of 1 to 9 times each decade;
// narrower, the densest of 1-2-5 times each decade ("20", "50", "2k") or
// multiples of a step of 1, 2 or 5 times a power of ten ("1,02k", "1,04k")
// whose labels neither overlap nor reach past the axis frame's right end.
// Portable; GUI thread only.
class FrequencySteps {
 public:
  // The width in pixels of a label's text as drawn.
  using LabelWidth = std::function<int32_t(const std::string& text)>;

  // Room kept free between two neighbouring labels, in pixels.
  static constexpr int32_t kLabelGapPx = 6;

  struct Label {
    double FrequencyHz;
    std::string Text;
  };

  // The view's range and scales as its last Rescale left them.
  FrequencySteps(const ViewGeometry& view, const LabelWidth& labelWidth);

  // Whether the labels are decades: the full range's axis, whose grid and
  // ticks are the marks 1 to 9 of every decade from 1 Hz to 90 kHz.
  bool Decades() const { return DecadeMarks && Step == 0.0; }
  // Whether the grid holds the marks 1 to 9 of every decade from 1 Hz to
  // 90 kHz (decades or 1-2-5 labels); otherwise GridHz() holds the step's
  // multiples within the range.
  bool DecadeGrid() const { return DecadeMarks; }
  // The step of the labels' multiples in hertz; 0 for decades and 1-2-5 labels.
  double StepHz() const { return Step; }

  const std::vector<double>& GridHz() const { return Grid; }
  // Ordered by frequency.
  const std::vector<Label>& Labels() const { return Texts; }

  // The label of a frequency: kilohertz from 1 kHz on ("1k", "1,2k"), with
  // the decimals a step of stepHz needs, trailing zeros left out; a decimal
  // comma.
  static std::string LabelText(double frequencyHz, double stepHz);

 private:
  std::vector<double> Grid;
  std::vector<Label> Texts;
  bool DecadeMarks = true;
  double Step = 0.0;
};
