#include "display/FrequencySteps.h"

#include <cmath>
#include <cstdio>

#include "display/FrequencyDecades.h"

namespace {

constexpr double kHzPerKilohertz = 1000.0;
// A range at least this many decades wide is labelled by its decades.
constexpr double kDecadeLabelledSpan = 2.0;
// The finest step offered, in hertz: well below the narrowest range.
constexpr double kFinestStepHz = 0.01;
constexpr double kOneTwoFive[] = {1.0, 2.0, 5.0};
// Frequencies this close to the range's ends (relative) still belong to it.
constexpr double kEdgeTolerance = 1e-9;

bool Within(double frequencyHz, const ViewRange& range) {
  return frequencyHz >= range.LowHz() * (1 - kEdgeTolerance) &&
         frequencyHz <= range.HighHz() * (1 + kEdgeTolerance);
}

// Whether the labels, centred on their columns, keep the gap between them.
bool LabelsFit(const ViewGeometry& view, const std::vector<FrequencySteps::Label>& labels,
               const FrequencySteps::LabelWidth& labelWidth) {
  int32_t previousRight = 0;
  bool first = true;
  for (const FrequencySteps::Label& label : labels) {
    const int32_t centre = view.FreqToX(label.FrequencyHz);
    const int32_t width = labelWidth(label.Text);
    const int32_t left = centre - width / 2;
    if (!first && left - previousRight < FrequencySteps::kLabelGapPx) return false;
    previousRight = left + width;
    first = false;
  }
  return true;
}

// Leaves out the labels whose text would reach past the axis frame's right
// end (one column right of the view).
void DropClipped(const ViewGeometry& view, std::vector<FrequencySteps::Label>& labels,
                 const FrequencySteps::LabelWidth& labelWidth) {
  while (!labels.empty()) {
    const FrequencySteps::Label& last = labels.back();
    const int32_t right = view.FreqToX(last.FrequencyHz) + (labelWidth(last.Text) + 1) / 2;
    if (right <= view.ViewWidth() + 1) return;
    labels.pop_back();
  }
}

}  // namespace

std::string FrequencySteps::LabelText(double frequencyHz, double stepHz) {
  const bool kilo = frequencyHz >= kHzPerKilohertz * (1 - kEdgeTolerance);
  const double unit = kilo ? kHzPerKilohertz : 1.0;
  const double step = stepHz > 0.0 ? stepHz / unit : 1.0;
  int decimals = 0;
  while (decimals < 6 && step * std::pow(10.0, decimals) < 1 - kEdgeTolerance) ++decimals;
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, frequencyHz / unit);
  std::string result(text);
  if (result.find('.') != std::string::npos) {
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
  }
  for (char& c : result)
    if (c == '.') c = ',';
  return kilo ? result + "k" : result;
}

FrequencySteps::FrequencySteps(const ViewGeometry& view, const LabelWidth& labelWidth) {
  const ViewRange& range = view.Range();
  for (int32_t decade = 0; decade < kDecadeCount; ++decade)
    for (int32_t mark = 1; mark <= kMarksPerDecade; ++mark)
      Grid.push_back(mark * kDecadeStartHz[decade]);

  std::vector<Label> decades;
  for (int32_t decade = 1; decade < kDecadeCount; ++decade)
    if (Within(kDecadeStartHz[decade], range))
      decades.push_back({kDecadeStartHz[decade], LabelText(kDecadeStartHz[decade], 0.0)});
  const double spanDecades = std::log10(range.HighHz() / range.LowHz());
  if (spanDecades >= kDecadeLabelledSpan) {
    Texts = decades;
    return;
  }

  std::vector<Label> oneTwoFive;
  for (int32_t decade = 0; decade < kDecadeCount; ++decade)
    for (const double factor : kOneTwoFive) {
      const double frequencyHz = factor * kDecadeStartHz[decade];
      if (Within(frequencyHz, range))
        oneTwoFive.push_back({frequencyHz, LabelText(frequencyHz, 0.0)});
    }
  DropClipped(view, decades, labelWidth);
  DropClipped(view, oneTwoFive, labelWidth);
  Texts = decades;
  if (oneTwoFive.size() > Texts.size() && LabelsFit(view, oneTwoFive, labelWidth))
    Texts = oneTwoFive;

  // Steps from the range's width down to the finest: each finer one that
  // still reads gives more labels.
  double bestStep = 0.0;
  std::vector<Label> best;
  std::vector<double> bestGrid;
  const double power = std::pow(10.0, std::floor(std::log10(range.HighHz() - range.LowHz())));
  for (double scale = power; scale >= kFinestStepHz * (1 - kEdgeTolerance); scale /= 10) {
    for (const double factor : {5.0, 2.0, 1.0}) {
      const double step = factor * scale;
      const auto firstMultiple = static_cast<int64_t>(std::ceil(range.LowHz() / step - 1e-9));
      const auto lastMultiple = static_cast<int64_t>(std::floor(range.HighHz() / step + 1e-9));
      if (lastMultiple - firstMultiple > view.ViewWidth()) {
        scale = 0.0;  // a label per pixel and more
        break;
      }
      std::vector<Label> labels;
      std::vector<double> grid;
      for (int64_t multiple = firstMultiple; multiple <= lastMultiple; ++multiple) {
        const double frequencyHz = static_cast<double>(multiple) * step;
        labels.push_back({frequencyHz, LabelText(frequencyHz, step)});
        grid.push_back(frequencyHz);
      }
      DropClipped(view, labels, labelWidth);
      if (!LabelsFit(view, labels, labelWidth)) {
        scale = 0.0;  // finer steps crowd more
        break;
      }
      bestStep = step;
      best = std::move(labels);
      bestGrid = std::move(grid);
    }
  }
  if (best.size() > Texts.size() || (Texts.size() < 2 && !best.empty())) {
    Texts = std::move(best);
    Step = bestStep;
    DecadeMarks = false;
    Grid = std::move(bestGrid);
  }
}
