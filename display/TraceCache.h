#pragma once

#include <cstdint>

#include "analysis/LevelTypes.h"
#include "display/TraceVertices.h"
#include "display/ViewGeometry.h"

// One trace's polyline kept from one drawing to the next, as TraceVertices
// builds it (thinned to at most four vertices per column without the
// maximum): built anew only when what it is drawn from differs from what it
// was built for, that is the view's layout (its size, range and columns),
// the levels' number (ShownMeasurement's LevelsNumber or HeldNumber), the
// channel, the maximum drawing or the axis shift. Levels numbered 0 are
// taken as unknown and built every time. Portable; GUI thread only.
class TraceCache {
 public:
  // The polyline of `channel` of `levels`, numbered `levelsNumber`, in `view`.
  const TraceVertices& Trace(const ViewGeometry& view, const SpectrumLevels& levels,
                             uint64_t levelsNumber, int32_t channel, bool showMaximum,
                             int32_t plotShiftHundredthsDb);

  // How often Trace built the polyline anew.
  uint64_t BuildCount() const { return Builds; }

 private:
  struct Source {
    uint64_t Layout = 0;
    uint64_t LevelsNumber = 0;
    int32_t Channel = -1;
    bool ShowMaximum = false;
    int32_t PlotShift = 0;
    bool operator==(const Source& other) const {
      return Layout == other.Layout && LevelsNumber == other.LevelsNumber &&
             Channel == other.Channel && ShowMaximum == other.ShowMaximum &&
             PlotShift == other.PlotShift;
    }
  };

  TraceVertices Vertices;
  Source Built;  // Layout 0: nothing built
  uint64_t Builds = 0;
};
