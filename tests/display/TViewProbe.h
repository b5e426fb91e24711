#pragma once

#include <memory>

#include "analysis/LevelTypes.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "windowing/TWindow.h"

// A spectrum view window as the program has one: every paint rescales the
// geometry to the client area (unless unchanged) and draws the whole view.
class TViewProbe : public TWindow {
 public:
  explicit TViewProbe(TWindow* parent);

  void RescaleToClient();
  const ViewGeometry& Geometry() const { return *View; }
  SpectrumLevels& Levels() { return *ShownLevels; }
  void DrawThroughClientDC();

  int32_t ShownSize = 0;

 protected:
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> ShownLevels = std::make_unique<SpectrumLevels>();
  ViewPainter Painter;
};
