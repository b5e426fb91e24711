#include <gtest/gtest.h>

#include <memory>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "display/ViewPainter.h"
#include "tests/display/DrawingColours.h"
#include "tests/display/TAxisFrameProbe.h"
#include "tests/display/TBitmapDC.h"
#include "windowing/TGdiObject.h"

namespace {

constexpr int32_t kShownSize = 2048;

// A visible, borderless top-level window at the screen's origin, so that its
// client area is as large as asked and nothing covers it.
void MakeVisibleHost(TWindow& host, int width, int height) {
  host.Attributes().Style = WS_POPUP | WS_VISIBLE;
  host.Attributes().W = width;
  host.Attributes().H = height;
}

void FillWithSpectrum(SpectrumLevels& levels) {
  for (int32_t i = 0; i < kMaxSpectrumLines; ++i) {
    levels[i] = {-3000 - (i % 37) * 150, -9000 + (i % 23) * 200};
  }
}

// The number of pixels that differ between two pictures of equal size.
int DifferingPixels(const TBitmapDC& a, const TBitmapDC& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) count += a.Pixel(x, y) != b.Pixel(x, y);
  return count;
}

class WindowPaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    Settings.ShowLeft = Settings.ShowRight = Settings.ShowMaximum = 1;
  }
  void TearDown() override { EXPECT_EQ(TGdiObject::LiveCount(), 0); }

  TWindow Host{nullptr, "display test"};
};

TEST_F(WindowPaintingTest, TheViewPaintsWhatTheBitmapShows) {
  constexpr int kWidthPx = 601, kHeightPx = 301;
  MakeVisibleHost(Host, kWidthPx, kHeightPx);
  auto* view = new TViewProbe(&Host);
  view->Attributes().W = kWidthPx;
  view->Attributes().H = kHeightPx;
  view->ShownSize = kShownSize;
  FillWithSpectrum(view->Levels());
  Host.Create();
  UpdateWindow(Host.GetHandle());

  auto geometry = std::make_unique<ViewGeometry>();
  geometry->Rescale(kWidthPx, kHeightPx, kShownSize, true);
  auto painter = std::make_unique<ViewPainter>();
  TBitmapDC expected(kWidthPx, kHeightPx);
  painter->DrawSpectrum(expected, *geometry, view->Levels());
  TBitmapDC shown(kWidthPx, kHeightPx);
  shown.CopyWindow(view->GetHandle());
  EXPECT_EQ(DifferingPixels(shown, expected), 0);
  EXPECT_EQ(shown.Pixel(300, 149), kGridGrey);

  // A new spectrum is drawn at once through a client device context.
  Settings.ShowLeft = 0;
  view->DrawThroughClientDC();
  painter->DrawSpectrum(expected, *geometry, view->Levels());
  shown.CopyWindow(view->GetHandle());
  EXPECT_EQ(DifferingPixels(shown, expected), 0);
}

class AxisFrameWindowTest : public WindowPaintingTest {
 protected:
  static constexpr int kWidthPx = 641, kHeightPx = 341;

  void SetUp() override {
    WindowPaintingTest::SetUp();
    MakeVisibleHost(Host, kWidthPx, kHeightPx);
    Frame = new TAxisFrameProbe(&Host);
    Frame->Attributes().W = kWidthPx;
    Frame->Attributes().H = kHeightPx;
    Frame->View().ShownSize = kShownSize;
    FillWithSpectrum(Frame->View().Levels());
    Host.Create();
    UpdateWindow(Host.GetHandle());
  }

  TAxisFrameProbe* Frame;  // owned by Host
};

TEST_F(AxisFrameWindowTest, TheViewSitsInsideTheFrameWithTheTicksBelowIt) {
  RECT view;
  GetWindowRect(Frame->View().GetHandle(), &view);
  MapWindowPoints(nullptr, Frame->GetHandle(), reinterpret_cast<POINT*>(&view), 2);
  EXPECT_EQ(view.left, 40);
  EXPECT_EQ(view.top, 10);
  EXPECT_EQ(view.right - view.left, 600);
  EXPECT_EQ(view.bottom - view.top, 310);

  TBitmapDC shown(kWidthPx, kHeightPx);
  shown.CopyWindow(Frame->GetHandle());
  const ViewGeometry& geometry = Frame->View().Geometry();
  for (const double hz : {10.0, 100.0, 1000.0, 10000.0, 20000.0}) {
    const int x = 40 + geometry.FreqToX(hz);
    for (int y = 319; y <= 322; ++y) EXPECT_EQ(shown.Pixel(x, y), kGridGrey) << x << ", " << y;
  }
  EXPECT_EQ(shown.Pixel(20, 200), kBlack);  // the left margin
  // The view painted over the frame: its -10 dB row, which no trace reaches.
  const int row = 10 + geometry.LevelToY(-10.0);
  EXPECT_EQ(row, 32);
  EXPECT_EQ(shown.Pixel(340, row), kGridGrey);
  EXPECT_EQ(shown.Pixel(340, row + 1), kBlack);
}

TEST_F(AxisFrameWindowTest, APartialRepaintChangesOnlyItsRectangle) {
  TBitmapDC full(kWidthPx, kHeightPx);
  full.CopyWindow(Frame->GetHandle());

  // Overpaint everything, then let the frame repaint the ticks and the label
  // of 1 kHz only.
  const HDC dc = GetDC(Frame->GetHandle());
  const HBRUSH marker = CreateSolidBrush(kUntouched);
  const RECT all{0, 0, kWidthPx, kHeightPx};
  FillRect(dc, &all, marker);
  DeleteObject(marker);
  ReleaseDC(Frame->GetHandle(), dc);
  const RECT update{370, 320, 420, 338};
  InvalidateRect(Frame->GetHandle(), &update, TRUE);
  UpdateWindow(Frame->GetHandle());

  TBitmapDC repainted(kWidthPx, kHeightPx);
  repainted.CopyWindow(Frame->GetHandle());
  int inside = 0, outside = 0, labelPixels = 0;
  for (int y = 0; y < kHeightPx; ++y) {
    for (int x = 0; x < kWidthPx; ++x) {
      const COLORREF pixel = repainted.Pixel(x, y);
      if (PtInRect(&update, POINT{x, y})) {
        inside += pixel != full.Pixel(x, y);
        labelPixels += pixel == kLabelGrey;
      } else {
        outside += pixel != kUntouched;
      }
    }
  }
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(labelPixels, 0);
  EXPECT_EQ(repainted.Pixel(398, 321), kGridGrey);
}

}  // namespace
