#include "display/ColumnReadout.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "display/ReadoutFormat.h"
#include "display/ReferenceSpectrum.h"

namespace {

constexpr double kColumnCentre = 0.5;

}  // namespace

ColumnReadout::ColumnReadout(const ViewGeometry& view, const SpectrumLevels& levels,
                             int32_t shownSize, const SpectrumLevels* held,
                             const ReferenceSpectrum* reference)
    : View(view), Levels(levels), Held(held), Reference(reference), ShownSize(shownSize) {}

double ColumnReadout::FrequencyHz(int32_t x) const {
  if (!(View.XScale() > 0.0)) return 0.0;
  return Range.FreqMin * std::pow(10.0, (x + kColumnCentre) / View.XScale());
}

double ColumnReadout::UncertaintyHz(int32_t x) const {
  if (!(View.XScale() > 0.0)) return 0.0;
  const double low = Range.FreqMin * std::pow(10.0, x / View.XScale());
  const double high = Range.FreqMin * std::pow(10.0, (x + 1) / View.XScale());
  return (high - low) / 2;
}

double ColumnReadout::LineFrequencyHz(int32_t line) const {
  return static_cast<double>(kSampleRateHz) / ShownSize * line;
}

bool ColumnReadout::LevelIn(const SpectrumLevels& levels, int32_t x, int32_t channel,
                            bool showMaximum, int32_t& levelHundredthsDb) const {
  const int32_t lines = View.BinCount();
  if (lines < 1 || ShownSize < 2) return false;
  const int32_t* columns = View.BinX();
  const double centreHz = FrequencyHz(x);

  int32_t first = static_cast<int32_t>(std::lower_bound(columns, columns + lines, x) - columns);
  int32_t last = static_cast<int32_t>(std::upper_bound(columns, columns + lines, x) - columns);
  if (first == last) {
    // No vertex on this column: the trace passes between the lines either side.
    int32_t nearest = first;
    if (first == lines ||
        (first > 0 && centreHz - LineFrequencyHz(first - 1) <= LineFrequencyHz(first) - centreHz))
      nearest = first - 1;
    if (!showMaximum) {
      levelHundredthsDb = levels[nearest][channel];
      return true;
    }
    const int32_t column = columns[nearest];
    first = static_cast<int32_t>(std::lower_bound(columns, columns + lines, column) - columns);
    last = static_cast<int32_t>(std::upper_bound(columns, columns + lines, column) - columns);
  }
  if (showMaximum) {
    int32_t loudest = levels[first][channel];
    for (int32_t i = first + 1; i < last; ++i) loudest = std::max(loudest, levels[i][channel]);
    levelHundredthsDb = loudest;
    return true;
  }
  const double spacingHz = LineFrequencyHz(1);
  const auto nearestLine = static_cast<int32_t>(std::lround(centreHz / spacingHz));
  levelHundredthsDb = levels[std::clamp(nearestLine, first, last - 1)][channel];
  return true;
}

std::wstring ColumnReadout::Text(int32_t x, bool showLeft, bool showRight, bool showMaximum) const {
  std::wstring text = FormatFrequency(FrequencyHz(x), LastDigitExponent(UncertaintyHz(x)));
  const struct {
    bool Shown;
    const wchar_t* Prefix;
  } channels[] = {{showLeft, L"  L "}, {showRight, L"  R "}};
  for (int32_t channel = 0; channel < 2; ++channel) {
    int32_t level = 0;
    if (!channels[channel].Shown || !Level(x, channel, showMaximum, level)) continue;
    text += channels[channel].Prefix + FormatLevel(level);
    int32_t other = 0;
    if (Held && LevelIn(*Held, x, channel, showMaximum, other))
      text += L" (max " + FormatLevelNumber(other) + L")";
    if (Reference && Reference->LevelAt(x, FrequencyHz(x), channel, showMaximum, other))
      text += L"  Ref " + FormatLevelNumber(other) + L"  \u0394 " +
              FormatLevelDifference(level - other);
  }
  return text;
}
