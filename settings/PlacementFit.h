#pragma once

#include <vector>

#include "settings/ScreenRect.h"

// How much of a window's top band (where its title bar is) must lie on one
// monitor for the user to reach it with the mouse.
constexpr int32_t kTitleBandHeightPx = 20;
constexpr int32_t kMinReachableWidthPx = 40;
constexpr int32_t kMinReachableHeightPx = 10;

// The window's rectangle if the user can reach it on one of the monitors'
// work areas (all in the same coordinates); otherwise moved, and shrunk
// where it is larger, into the work area nearest to it (the first of equally
// near ones). Without any work area the rectangle is returned as it is.
ScreenRect FitOntoMonitors(const ScreenRect& window, const std::vector<ScreenRect>& workAreas);
