#include "display/ColumnReadout.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/levels/LevelScale.h"
#include "display/ReadoutFormat.h"
#include "display/ReferenceTrace.h"

namespace {

constexpr double kColumnCentre = 0.5;

}  // namespace

ColumnReadout::ColumnReadout(const ViewGeometry& view, const SpectrumLevels& levels,
                             int32_t shownSize, const SpectrumLevels* held, const LevelScale* scale,
                             const ReferenceTrace* reference)
    : View(view),
      Levels(levels),
      Held(held),
      Scale(scale),
      Reference(reference),
      ShownSize(shownSize) {}

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

int32_t ColumnReadout::Scaled(const SpectrumLevels& levels, int32_t line, int32_t channel) const {
  const int32_t stored = levels[line][channel];
  return Scale ? Scale->ScaledLevel(stored, line) : stored;
}

int32_t ColumnReadout::LineIn(const SpectrumLevels& levels, int32_t x, int32_t channel,
                              bool showMaximum) const {
  const int32_t lines = View.BinCount();
  if (lines < 1 || ShownSize < 2) return -1;
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
    if (!showMaximum) return nearest;
    const int32_t column = columns[nearest];
    first = static_cast<int32_t>(std::lower_bound(columns, columns + lines, column) - columns);
    last = static_cast<int32_t>(std::upper_bound(columns, columns + lines, column) - columns);
  }
  if (showMaximum) {
    int32_t loudest = first;
    for (int32_t i = first + 1; i < last; ++i)
      if (Scaled(levels, i, channel) > Scaled(levels, loudest, channel)) loudest = i;
    return loudest;
  }
  const double spacingHz = LineFrequencyHz(1);
  const auto nearestLine = static_cast<int32_t>(std::lround(centreHz / spacingHz));
  return std::clamp(nearestLine, first, last - 1);
}

std::wstring ColumnReadout::LevelText(const SpectrumLevels& levels, int32_t line, int32_t channel,
                                      bool withUnit) const {
  const int32_t stored = levels[line][channel];
  if (!Scale) return withUnit ? FormatLevel(stored) : FormatLevelNumber(stored);
  const bool atFloor = Scale->IsFloor(stored, line);
  const int32_t shown = Scale->ScaledLevel(stored, line);
  return withUnit ? FormatScaledLevel(shown, atFloor, Scale->Unit())
                  : FormatScaledLevelNumber(shown, atFloor);
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
    text += channels[channel].Prefix + LevelText(Levels, line, channel, true);
    const int32_t heldLine = Held ? LineIn(*Held, x, channel, showMaximum) : -1;
    if (heldLine >= 0) text += L" (max " + LevelText(*Held, heldLine, channel, false) + L")";
    int32_t reference = 0;
    if (Reference && Reference->LevelAt(x, FrequencyHz(x), channel, showMaximum, reference)) {
      const int32_t stored = Levels[line][channel];
      const int32_t live = Scale ? Scale->ScaledLevel(stored, line) : stored;
      text += L"  Ref " + FormatLevelNumber(reference) + L"  \u0394 " +
              FormatLevelDifference(live - reference);
    }
  }
  return text;
}
