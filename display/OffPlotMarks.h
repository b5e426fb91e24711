#pragma once

#include <cstdint>
#include <vector>

#include "display/ViewGeometry.h"

struct ShownMeasurement;

// Where a live trace leaves the plot: the runs of neighbouring columns on
// which it lies above the top or below the bottom of the range shown, each
// marked by a band two pixels deep along that edge (rows 0 and 1, or the
// last two rows), in the trace's colour. Only an edge that cuts into the
// scale's first level range (ScaleLevelRanges::Default) is marked: at that
// range the plot holds what the scale shows of a full-scale signal, and the
// trace is drawn as it lies. Lines at the analysis floor are never marked
// below. The levels themselves stay as they are: the readouts give them.
// Portable; GUI thread only.
class OffPlotMarks {
 public:
  struct Run {
    int32_t FromX;  // first column, view pixels
    int32_t ToX;    // last column
    int32_t Row;    // the band's upper row
  };

  // The lines the view places, as the trace draws them: with the maximum a
  // column's largest level, otherwise any of its lines.
  OffPlotMarks(const ViewGeometry& view, const ShownMeasurement& shown, int32_t channel,
               bool showMaximum);

  // Left to right, above-the-top runs and below-the-bottom runs apart.
  const std::vector<Run>& Runs() const { return Marked; }

 private:
  std::vector<Run> Marked;
};
