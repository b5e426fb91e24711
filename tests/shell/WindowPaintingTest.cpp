// The program's axis frame and spectrum view, painted by the system and read
// back pixel by pixel.
#include <cmath>
#include <functional>
#include <utility>

#include "analysis/MeasurementSettings.h"
#include "display/ViewComposition.h"
#include "export/LevelTable.h"
#include "measurement/ReferenceLevels.h"
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

// The first pixel from the top of a column that a trace coloured, and its
// colour; -1 and black where no trace reaches the column.
std::pair<int, COLORREF> TopTracePixel(const TBitmapDC& picture, int x) {
  for (int y = 0; y < picture.Height(); ++y) {
    const COLORREF pixel = picture.Pixel(x, y);
    if (pixel == kLeftGreen || pixel == kRightRed) return {y, pixel};
  }
  return {-1, kBlack};
}

// Paints a window's whole client area in the marker colour, so that what a
// repaint draws stands out.
void Overpaint(HWND window, int widthPx, int heightPx) {
  const HDC dc = GetDC(window);
  const HBRUSH marker = CreateSolidBrush(kUntouched);
  const RECT all{0, 0, widthPx, heightPx};
  FillRect(dc, &all, marker);
  DeleteObject(marker);
  ReleaseDC(window, dc);
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
};

// The tones read -12.25 dB under the Hanning window. In the 600 x 310 view
// that is row 27; line 256 (5512.5 Hz) lies on column 491, line 128
// (2756.25 Hz) on 437. The decades 100 Hz, 1 kHz and 10 kHz lie on columns
// 179, 358 and 537, the rows of 0 and -10 dB are 0 and 22.
TEST_F(WindowPaintingTest, TheViewPaintsTheShownMeasurementAndDrawsANewOneAtOnce) {
  ASSERT_EQ(View().ShownSize(), kShownSize);
  InvalidateRect(View().GetHandle(), nullptr, TRUE);
  UpdateWindow(View().GetHandle());
  TBitmapDC shown(kViewWidthPx, kViewHeightPx);
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(TopTracePixel(shown, 491), std::make_pair(27, kLeftGreen));
  EXPECT_EQ(TopTracePixel(shown, 437), std::make_pair(27, kRightRed));
  for (const int x : {179, 358, 537}) EXPECT_EQ(shown.Pixel(x, 10), kGridGrey) << x;
  EXPECT_EQ(shown.Pixel(180, 10), kBlack);
  EXPECT_EQ(shown.Pixel(300, 0), kGridGrey);
  EXPECT_EQ(shown.Pixel(300, 22), kGridGrey);
  EXPECT_EQ(shown.Pixel(300, 23), kBlack);

  // A new spectrum is drawn at once, without a paint: the left trace is gone.
  Settings.ShowLeft = 0;
  ShowSpectrum();
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(TopTracePixel(shown, 491).second, kRightRed);
  EXPECT_EQ(TopTracePixel(shown, 437), std::make_pair(27, kRightRed));
  int green = 0;
  for (int y = 0; y < kViewHeightPx; ++y)
    for (int x = 0; x < kViewWidthPx; ++x) green += shown.Pixel(x, y) == kLeftGreen;
  EXPECT_EQ(green, 0);
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
  // The scales of the 601 x 301 view: the double nearest to 600 / log10(2205),
  // and the one nearest to 300 / 140, just below it.
  EXPECT_EQ(geometry.XScale(), 179.45757545516415);
  EXPECT_EQ(geometry.YScale(), 300.0 / 140.0);
  const int32_t* columns = geometry.BinX();
  EXPECT_EQ(columns[0], -358);
  EXPECT_EQ(columns[1], 59);
  EXPECT_EQ(columns[2], 113);
  EXPECT_EQ(columns[kShownSize / 2 - 1], 599);
  TBitmapDC shown(kSmallWidthPx, kSmallHeightPx);
  shown.CopyWindow(View().GetHandle());
  EXPECT_EQ(shown.Pixel(300, 149), kGridGrey);  // -70 dB
  EXPECT_EQ(shown.Pixel(300, 150), kBlack);
  EXPECT_EQ(TopTracePixel(shown, 491), std::make_pair(26, kLeftGreen));
}

TEST_F(WindowPaintingTest, APartialRepaintChangesOnlyItsRectangle) {
  TBitmapDC full(kWidthPx, kHeightPx);
  full.CopyWindow(Client().GetHandle());

  // Overpaint everything, then let the frame repaint the ticks and the label
  // of 1 kHz only.
  const HWND frame = Client().GetHandle();
  Overpaint(frame, kWidthPx, kHeightPx);
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

// "Bild &kopieren": the axis frame with the view as on screen, on the
// clipboard as a bottom-up 24-bit bitmap: with the peak values; calibrated,
// with a reference taken uncalibrated in another scale (its labels moved by
// the calibration on screen and in the picture alike); and with a reference
// that cannot be converted, named in its own unit in the corner. Without a
// reference, the command line's picture of the same spectrum (/bild) is
// the screen's too, in each scale's whole range.
TEST_F(WindowPaintingTest, TheClipboardsPictureHasThePixelsOnScreen) {
  Measurement& measured = App->Measuring();
  const auto peaksShown = [] { Settings.ShowPeaks = 1; };
  const auto sineLevels = [&] { Command(CMD_SCALE_SINE); };
  const auto calibrated = [&] {
    Command(CMD_SCALE_UNCORRECTED);
    Command(CMD_REFERENCE_TAKE);
    measured.SetCalibrations({{*measured.OpenInputName(), 10002}});
    Command(CMD_SCALE_SINE);
    ASSERT_EQ(View().Shown().AxisShiftHundredthsDb, 10002);
    ASSERT_TRUE(View().ReferenceComparable());
  };
  const auto otherUnit = [&] {
    LevelTable file;
    file.Header.LevelScale = "dBFS";  // no window or size: not convertible to dB SPL
    file.FrequenciesHz = {100.0, 1000.0, 10000.0};
    file.Levels = {{-3000, -4000}, {-2000, -3000}, {-5000, -6000}};
    View().SetReference(ReferenceLevels::FromTable(file));
    ASSERT_FALSE(View().ReferenceComparable());
  };
  const struct {
    const char* Name;
    std::function<void()> Prepare;
  } states[] = {{"peak values", peaksShown},
                {"sine levels", sineLevels},
                {"calibrated", calibrated},
                {"other unit", otherUnit}};
  for (const auto& state : states) {
    SCOPED_TRACE(state.Name);
    state.Prepare();
    InvalidateRect(Client().GetHandle(), nullptr, TRUE);
    UpdateWindow(Client().GetHandle());
    UpdateWindow(View().GetHandle());
    TBitmapDC shown(kWidthPx, kHeightPx);
    shown.CopyWindow(Client().GetHandle());
    if (!View().Shown().Choice.CalibrationHundredthsDb) {
      TBitmapDC scripted(kWidthPx, kHeightPx);
      DrawSpectrumPicture(scripted, {kWidthPx, kHeightPx}, View().Shown());
      EXPECT_EQ(scripted.DifferingPixels(shown, nullptr), 0);
    }
    Command(CMD_COPY_PICTURE);

    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE data = GetClipboardData(CF_DIB);
    const auto* header = data ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(data)) : nullptr;
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, kWidthPx);
    EXPECT_EQ(header->biHeight, kHeightPx);
    ASSERT_EQ(header->biBitCount, 24);
    const auto* rows = reinterpret_cast<const uint8_t*>(header + 1);
    const int stride = (kWidthPx * 3 + 3) / 4 * 4;
    int differing = 0, peakBox = 0;
    for (int y = 0; y < kHeightPx; ++y) {
      for (int x = 0; x < kWidthPx; ++x) {
        const uint8_t* bgr = rows + (kHeightPx - 1 - y) * stride + 3 * x;
        differing += RGB(bgr[2], bgr[1], bgr[0]) != shown.Pixel(x, y);
        // The peak values' box, framed in grey, top right in the view.
        peakBox += x > 340 && y < 60 && RGB(bgr[2], bgr[1], bgr[0]) == kLabelGrey;
      }
    }
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(differing, 0);
    EXPECT_GT(peakBox, 0);
    EXPECT_EQ(TGdiObject::LiveCount(), 0);
  }
}

// A frame shrunk to nothing has no picture: the commands say so, and the
// program goes on.
TEST_F(WindowPaintingTest, AWindowWithoutAreaRefusesThePictureInABox) {
  ResizeAxisFrame(kWidthPx, 0);
  Command(CMD_COPY_PICTURE);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  ShowSpectrum();  // measuring goes on
}

}  // namespace

// A mouse move redraws the readout's area only, marker and box; the frame's
// deactivation takes the readout off, redrawing that area as it was.
TEST_F(WindowPaintingTest, TheReadoutRedrawsOnlyItsAreaAndGoesWithTheActivation) {
  const HWND view = View().GetHandle();
  TBitmapDC plain(kViewWidthPx, kViewHeightPx);
  plain.CopyWindow(view);
  SetActiveWindow(Frame().GetHandle());
  Overpaint(view, kViewWidthPx, kViewHeightPx);
  SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
  UpdateWindow(view);
  TBitmapDC shown(kViewWidthPx, kViewHeightPx);
  shown.CopyWindow(view);
  int redrawn = 0, frame = 0;
  for (int y = 0; y < kViewHeightPx; ++y) {
    EXPECT_NE(shown.Pixel(300, y), kUntouched) << y;
    for (int x = 0; x < kViewWidthPx; ++x) {
      redrawn += shown.Pixel(x, y) != kUntouched;
      frame += shown.Pixel(x, y) == kLabelGrey;
    }
  }
  EXPECT_GT(frame, 100);
  EXPECT_LT(redrawn, kViewWidthPx * kViewHeightPx / 10);

  Overpaint(view, kViewWidthPx, kViewHeightPx);
  SendMessageA(Frame().GetHandle(), WM_ACTIVATE, WA_INACTIVE, 0);
  UpdateWindow(view);
  shown.CopyWindow(view);
  int restored = 0;
  for (int y = 0; y < kViewHeightPx; ++y) {
    for (int x = 0; x < kViewWidthPx; ++x) {
      if (shown.Pixel(x, y) == kUntouched) continue;
      ++restored;
      EXPECT_EQ(shown.Pixel(x, y), plain.Pixel(x, y)) << x << ", " << y;
    }
  }
  EXPECT_EQ(restored, redrawn);
}
