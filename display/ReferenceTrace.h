#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/LevelTypes.h"
#include "display/TraceVertices.h"
#include "display/ViewGeometry.h"
#include "measurement/ReferenceLevels.h"

// A spectrum kept to compare the live one with: lines of its own (a
// transform of another size, or a file's rows) with their frequencies and
// the levels shown when it was kept, in hundredths of a decibel. Places its
// lines on the view's columns and builds its traces as the live ones are
// built, each anew only when the view's scales or the maximum drawing have
// changed: drawing it costs the drawing alone. Portable; GUI thread only.
class ReferenceTrace {
 public:
  // REQUIRES: as many levels as frequencies, the frequencies non-negative
  // and strictly increasing.
  ReferenceTrace(std::vector<double> frequenciesHz, std::vector<LevelPair> levels);
  // A reference as the view's scale shows it (see ReferenceLevels): its
  // floor lines named as such, its unit and whether it may be compared.
  ReferenceTrace(std::vector<double> frequenciesHz, ConvertedReference converted);

  // Whether its levels are in the view's scale; if not, they are named in
  // their own unit and no difference is shown.
  bool Comparable() const { return IsComparable; }
  const std::string& Unit() const { return LevelUnit; }

  int32_t LineCount() const { return static_cast<int32_t>(FrequenciesHz.size()); }

  // Puts each line of the range `view` shows, and those just outside it, on
  // the column of its frequency in `view`; lines below the live trace's DC
  // column (0.01 x FreqMin) lie on it. Needs the x87
  // precision control at 64 bits, as ViewGeometry does.
  void Place(const ViewGeometry& view);

  // The polyline of `channel`'s trace, as TraceVertices builds a live one:
  // with the maximum one vertex per column, otherwise every line, thinned to
  // at most four per column; its levels drawn `plotShiftHundredthsDb` lower
  // (the level scale's axis shift). REQUIRES: placed in this view.
  const TraceVertices& Trace(const ViewGeometry& view, int32_t channel, bool showMaximum,
                             int32_t plotShiftHundredthsDb = 0);

  // The level of `channel` on column x whose centre frequency is centreHz,
  // by the live readout's rule: with the maximum the largest of the column's
  // lines, otherwise the line nearest to the centre among them; on a column
  // without a line, that of the line nearest by frequency (with the maximum,
  // its column's largest). False without lines. REQUIRES: placed.
  // `atFloor`, where given, tells whether that line lies at the analysis floor.
  bool LevelAt(int32_t x, double centreHz, int32_t channel, bool showMaximum,
               int32_t& levelHundredthsDb, bool* atFloor = nullptr) const;

 private:
  std::vector<double> FrequenciesHz;
  std::vector<LevelPair> Levels;
  std::vector<uint8_t> Floors;  // ShownMeasurement's kFloor bits per line; empty: none
  bool IsComparable = true;
  std::string LevelUnit;
  std::vector<int32_t> Columns;  // valid from PlacedFirst to below PlacedEnd
  int32_t PlacedFirst = 0;
  int32_t PlacedEnd = 0;
  // The view's layout the columns were placed for; 0: not placed.
  uint64_t PlacedLayout = 0;
  // Each channel's polyline and what it was built for: the view's scales
  // (0: not built) and the maximum drawing.
  struct BuiltTrace {
    TraceVertices Vertices;
    uint64_t Layout = 0;
    bool ShowMaximum = false;
    int32_t PlotShift = 0;
  };
  BuiltTrace Traces[2];
};
