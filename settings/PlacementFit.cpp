#include "settings/PlacementFit.h"

#include <algorithm>
#include <cstdint>

namespace {

bool Reachable(const ScreenRect& window, const ScreenRect& area) {
  const int32_t bandBottom = std::min(window.Bottom, window.Top + kTitleBandHeightPx);
  const int32_t width = std::min(window.Right, area.Right) - std::max(window.Left, area.Left);
  const int32_t height = std::min(bandBottom, area.Bottom) - std::max(window.Top, area.Top);
  return width >= kMinReachableWidthPx && height >= kMinReachableHeightPx;
}

// Squared distance between the two rectangles; 0 when they overlap.
int64_t DistanceSquared(const ScreenRect& a, const ScreenRect& b) {
  const int64_t dx = std::max<int64_t>({0, int64_t{a.Left} - b.Right, int64_t{b.Left} - a.Right});
  const int64_t dy = std::max<int64_t>({0, int64_t{a.Top} - b.Bottom, int64_t{b.Top} - a.Bottom});
  return dx * dx + dy * dy;
}

// The start of a span of `length` placed at `start` and pushed inside [low, high).
int32_t PushInside(int32_t start, int32_t length, int32_t low, int32_t high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenRect FitOntoMonitors(const ScreenRect& window, const std::vector<ScreenRect>& workAreas) {
  if (workAreas.empty()) return window;
  for (const ScreenRect& area : workAreas)
    if (Reachable(window, area)) return window;
  const ScreenRect* nearest = &workAreas.front();
  for (const ScreenRect& area : workAreas)
    if (DistanceSquared(window, area) < DistanceSquared(window, *nearest)) nearest = &area;
  const int32_t width = std::min(window.Width(), nearest->Width());
  const int32_t height = std::min(window.Height(), nearest->Height());
  ScreenRect moved;
  moved.Left = PushInside(window.Left, width, nearest->Left, nearest->Right);
  moved.Top = PushInside(window.Top, height, nearest->Top, nearest->Bottom);
  moved.Right = moved.Left + width;
  moved.Bottom = moved.Top + height;
  return moved;
}
