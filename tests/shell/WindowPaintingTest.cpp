// The program's axis frame and spectrum view, painted by the system and read
// back pixel by pixel.
#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/MeasurementSettings.h"
#include "display/ViewPainter.h"
#include "tests/display/DrawingColours.h"
#include "tests/display/TBitmapDC.h"
#include "tests/shell/ShellFixture.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TGdiObject.h"

namespace {

constexpr int32_t kShownSize = 2048;
constexpr double kTwoPi = 6.283185307179586;

// A tone on line frames / 8 (left) and frames / 16 (right).
void FillTones(int16_t* samples, int32_t frames) {
  for (int32_t j = 0; j < frames; ++j) {
    samples[2 * j] = static_cast<int16_t>(16000 * std::sin(kTwoPi * j / 8.0));
    samples[2 * j + 1] = static_cast<int16_t>(16000 * std::sin(kTwoPi * j / 16.0));
  }
}

// The number of pixels that differ between two pictures of equal size.
int DifferingPixels(const TBitmapDC& a, const TBitmapDC& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) count += a.Pixel(x, y) != b.Pixel(x, y);
  return count;
}

// The axis frame of the program at 641 x 341 pixels (the view 600 x 310),
// showing a spectrum.
class WindowPaintingTest : public ShellTest {
 protected:
  static constexpr int kWidthPx = 641, kHeightPx = 341;
  static constexpr int kViewWidthPx = 600, kViewHeightPx = 310;

  void SetUp() override {
    ShellTest::SetUp();
    Build();
    Write(Settings.IntervalMs, 50);
    SetWindowPos(Frame().GetHandle(), nullptr, 0, 0, 1100, 700, SWP_NOZORDER | SWP_NOMOVE);
    ResizeAxisFrame(kWidthPx, kHeightPx);
    ShowSpectrum();
    UpdateWindow(Frame().GetHandle());
  }
  void TearDown() override {
    App.reset();
    EXPECT_EQ(TGdiObject::LiveCount(), 0);
  }
  void ResizeAxisFrame(int width, int height) {
    SetWindowPos(Client().GetHandle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
  }
  // Returns the queued capture and waits until its spectrum has been drawn.
  void ShowSpectrum() {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(Fake.QueuedFrames(), FillTones));
    ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued > queued; }));
  }
  // The view as a fresh geometry of its size shows the shown spectrum.
  void DrawExpectedView(TBitmapDC& expected) {
    auto geometry = std::make_unique<ViewGeometry>();
    geometry->Rescale(expected.Width(), expected.Height(), kShownSize, true);
    Painter->DrawSpectrum(expected, *geometry, View().ShownLevels());
  }

  std::unique_ptr<ViewPainter> Painter = std::make_unique<ViewPainter>();
};

TEST_F(WindowPaintingTest, TheViewPaintsWhatTheBitmapShows) {
  ASSERT_EQ(View().ShownSize(), kShownSize);
  InvalidateRect(View().GetHandle(), nullptr, TRUE);
  UpdateWindow(View().GetHandle());
  TBitmapDC expected(kViewWidthPx, kViewHeightPx);
  DrawExpectedView(expected);
  TBitmapDC shown(kViewWidthPx, kViewHeightPx);
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(DifferingPixels(shown, expected), 0);

  // A new spectrum is drawn at once, without a paint.
  Settings.ShowLeft = 0;
  ShowSpectrum();
  DrawExpectedView(expected);
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(DifferingPixels(shown, expected), 0);
}

TEST_F(WindowPaintingTest, TheViewSitsInsideTheFrameWithTheTicksBelowIt) {
  RECT view;
  GetWindowRect(View().GetHandle(), &view);
  MapWindowPoints(nullptr, Client().GetHandle(), reinterpret_cast<POINT*>(&view), 2);
  EXPECT_EQ(view.left, 40);
  EXPECT_EQ(view.top, 10);
  EXPECT_EQ(view.right - view.left, kViewWidthPx);
  EXPECT_EQ(view.bottom - view.top, kViewHeightPx);

  TBitmapDC shown(kWidthPx, kHeightPx);
  shown.CopyWindow(Client().GetHandle());
  const ViewGeometry& geometry = View().Geometry();
  for (const double hz : {10.0, 100.0, 1000.0, 10000.0, 20000.0}) {
    const int x = 40 + geometry.FreqToX(hz);
    for (int y = 320; y <= 322; ++y) EXPECT_EQ(shown.Pixel(x, y), kGridGrey) << x << ", " << y;
  }
  EXPECT_EQ(shown.Pixel(20, 200), kBlack);  // the left margin
  // The view painted over the frame: its -10 dB row, which no trace reaches.
  const int row = 10 + geometry.LevelToY(-10.0);
  EXPECT_EQ(row, 32);
  EXPECT_EQ(shown.Pixel(340, row), kGridGrey);
  EXPECT_EQ(shown.Pixel(340, row + 1), kBlack);
}

// Resizing moves every tick and the trace at the same paint: the axis frame
// and the view each rescale before they draw.
TEST_F(WindowPaintingTest, APaintAfterAResizeDrawsWithTheNewSize) {
  constexpr int kWiderPx = 1001, kTallerPx = 521;  // the view: 960 x 490
  const int32_t oldTickX = View().FreqToX(1000.0);
  ResizeAxisFrame(kWiderPx, kTallerPx);
  UpdateWindow(Client().GetHandle());
  const ViewGeometry& geometry = View().Geometry();
  ASSERT_EQ(geometry.ViewWidth(), 960);
  ASSERT_NE(geometry.FreqToX(1000.0), oldTickX);
  TBitmapDC frame(kWiderPx, kTallerPx);
  frame.CopyWindow(Client().GetHandle());
  for (const double hz : {10.0, 100.0, 1000.0, 10000.0, 20000.0}) {
    const int x = 40 + geometry.FreqToX(hz);
    for (int y = 500; y <= 502; ++y) EXPECT_EQ(frame.Pixel(x, y), kGridGrey) << x << ", " << y;
  }

  // The view alone shrinks: its own paint rescales, with the x87 unit as the
  // display needs it even where something on this thread rounded upwards
  // (which puts -70 dB on row 150 of this size instead of 149).
  constexpr int kSmallWidthPx = 601, kSmallHeightPx = 301;
  const auto loadControlWord = [](uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word)); };
  loadControlWord(0x0B7F);
  SetWindowPos(View().GetHandle(), nullptr, 0, 0, kSmallWidthPx, kSmallHeightPx,
               SWP_NOZORDER | SWP_NOMOVE);
  UpdateWindow(View().GetHandle());
  loadControlWord(kX87DisplayWord);
  ViewGeometry reference;
  reference.Rescale(kSmallWidthPx, kSmallHeightPx, kShownSize, true);
  EXPECT_EQ(geometry.XScale(), reference.XScale());
  EXPECT_EQ(geometry.YScale(), reference.YScale());
  EXPECT_TRUE(std::equal(reference.BinX(), reference.BinX() + kShownSize / 2, geometry.BinX()));
  TBitmapDC expected(kSmallWidthPx, kSmallHeightPx);
  DrawExpectedView(expected);
  EXPECT_EQ(expected.Pixel(300, 149), kGridGrey);
  TBitmapDC shown(kSmallWidthPx, kSmallHeightPx);
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(DifferingPixels(shown, expected), 0);
}

TEST_F(WindowPaintingTest, APartialRepaintChangesOnlyItsRectangle) {
  TBitmapDC full(kWidthPx, kHeightPx);
  full.CopyWindow(Client().GetHandle());

  // Overpaint everything, then let the frame repaint the ticks and the label
  // of 1 kHz only.
  const HWND frame = Client().GetHandle();
  const HDC dc = GetDC(frame);
  const HBRUSH marker = CreateSolidBrush(kUntouched);
  const RECT all{0, 0, kWidthPx, kHeightPx};
  FillRect(dc, &all, marker);
  DeleteObject(marker);
  ReleaseDC(frame, dc);
  const RECT update{370, 320, 420, 338};
  InvalidateRect(frame, &update, TRUE);
  UpdateWindow(frame);

  TBitmapDC repainted(kWidthPx, kHeightPx);
  repainted.CopyWindow(frame);
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
