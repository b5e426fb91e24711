#include "display/ColumnReadout.h"

#include <algorithm>
#include <cmath>

#include "display/ReadoutFormat.h"
#include "display/ReferenceTrace.h"
#include "measurement/ShownMeasurement.h"

namespace {

constexpr double kColumnCentre = 0.5;

}  // namespace

ColumnReadout::ColumnReadout(const ViewGeometry& view, const ShownMeasurement& shown, bool withHeld,
                             const ReferenceTrace* reference)
    : View(view),
      Shown(shown),
      Levels(*shown.Levels),
      Held(withHeld && shown.HeldValid ? shown.Held.get() : nullptr),
      Reference(reference),
      ShownSize(shown.Size) {}

double ColumnReadout::FrequencyHz(int32_t x) const {
  if (!(View.XScale() > 0.0)) return 0.0;
  return View.Range().LowHz() * std::pow(10.0, (x + kColumnCentre) / View.XScale());
}

double ColumnReadout::UncertaintyHz(int32_t x) const {
  if (!(View.XScale() > 0.0)) return 0.0;
  const double lowHz = View.Range().LowHz();
  const double low = lowHz * std::pow(10.0, x / View.XScale());
  const double high = lowHz * std::pow(10.0, (x + 1) / View.XScale());
  return (high - low) / 2;
}

double ColumnReadout::LineFrequencyHz(int32_t line) const {
  return static_cast<double>(kSampleRateHz) / ShownSize * line;
}

int32_t ColumnReadout::LineIn(const SpectrumLevels& levels, int32_t x, int32_t channel,
                              bool showMaximum) const {
  // Only the lines placed in the view are looked at; indices below are
  // relative to the first of them.
  const int32_t placed = View.FirstBin();
  const int32_t lines = View.EndBin() - placed;
  if (lines < 1 || ShownSize < 2) return -1;
  const int32_t* columns = View.BinX() + placed;
  const double centreHz = FrequencyHz(x);
  const auto lineHz = [&](int32_t line) { return LineFrequencyHz(placed + line); };

  int32_t first = static_cast<int32_t>(std::lower_bound(columns, columns + lines, x) - columns);
  int32_t last = static_cast<int32_t>(std::upper_bound(columns, columns + lines, x) - columns);
  if (first == last) {
    // No vertex on this column: the trace passes between the lines either side.
    int32_t nearest = first;
    if (first == lines || (first > 0 && centreHz - lineHz(first - 1) <= lineHz(first) - centreHz))
      nearest = first - 1;
    if (!showMaximum) return placed + nearest;
    const int32_t column = columns[nearest];
    first = static_cast<int32_t>(std::lower_bound(columns, columns + lines, column) - columns);
    last = static_cast<int32_t>(std::upper_bound(columns, columns + lines, column) - columns);
  }
  if (showMaximum) {
    int32_t loudest = placed + first;
    for (int32_t i = placed + first + 1; i < placed + last; ++i)
      if (levels[i][channel] > levels[loudest][channel]) loudest = i;
    return loudest;
  }
  const double spacingHz = LineFrequencyHz(1);
  const auto nearestLine = static_cast<int32_t>(std::lround(centreHz / spacingHz));
  return std::clamp(nearestLine, placed + first, placed + last - 1);
}

std::wstring ColumnReadout::Text(int32_t x, bool showLeft, bool showRight, bool showMaximum) const {
  std::wstring text = FormatFrequency(FrequencyHz(x), LastDigitExponent(UncertaintyHz(x)));
  const struct {
    bool Shown;
    const wchar_t* Prefix;
  } channels[] = {{showLeft, L"  L "}, {showRight, L"  R "}};
  for (int32_t channel = 0; channel < 2; ++channel) {
    if (!channels[channel].Shown) continue;
    const int32_t line = LineIn(Levels, x, channel, showMaximum);
    if (line < 0) continue;
    const bool atFloor = Shown.AtFloor(line, channel);
    text +=
        channels[channel].Prefix + FormatScaledLevel(Levels[line][channel], atFloor, Shown.Unit);
    const int32_t heldLine = Held ? LineIn(*Held, x, channel, showMaximum) : -1;
    if (heldLine >= 0)
      text += L" (max " +
              FormatScaledLevelNumber((*Held)[heldLine][channel],
                                      Shown.HeldAtFloor(heldLine, channel)) +
              L")";
    int32_t reference = 0;
    bool referenceAtFloor = false;
    if (!Reference ||
        !Reference->LevelAt(x, FrequencyHz(x), channel, showMaximum, reference, &referenceAtFloor))
      continue;
    if (!Reference->Comparable()) {
      text += L"  Ref " + FormatScaledLevel(reference, referenceAtFloor, Reference->Unit());
      continue;
    }
    text += L"  Ref " + FormatScaledLevelNumber(reference, referenceAtFloor);
    // Against a floor line the difference is not known.
    if (!atFloor && !referenceAtFloor)
      text += L"  \u0394 " + FormatLevelDifference(Levels[line][channel] - reference);
  }
  return text;
}
