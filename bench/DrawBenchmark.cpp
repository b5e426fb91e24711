// Times the spectrum view's drawing as the program does it for every arriving
// spectrum: a forced rescale when the transform size changed, and one
// DrawSpectrum through a client device context of a real window, without and
// with the held maximum, with the readouts (the peak values and the readout
// under the mouse); and a
// mouse move: the readout's old and new area measured and the view drawn
// clipped to them, as the paint after the move does; and the drawing with a
// reference of the largest transform's 131072 lines behind the traces, and
// that reference placed anew on the view's columns (after a resize); and the
// worst case, everything on at once (held maximum, reference, readouts),
// drawn again without new levels, with new live levels, and with a new held
// maximum too. Each
// at the full range and zoomed deep, to 1000 Hz to 1100 Hz. Prints the
// mean, the fastest and the slowest call of each.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "bench/CallTimer.h"
#include "display/ReferenceTrace.h"
#include "display/TraceVertices.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "display/ViewRange.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TClientDC.h"
#include "windowing/TWindow.h"

namespace {

constexpr int kWindowWidthPx = 1000;
constexpr int kWindowHeightPx = 600;
constexpr int32_t kMeasuredSizes[] = {1024,  2048,  4096,   8192,       16384,
                                      32768, 65536, 131072, kMaxFftSize};
// The mouse moves to and fro between these view points.
constexpr PixelPoint kPointerPath[] = {{400, 300}, {420, 310}};
constexpr int32_t kHeldAboveHundredthsDb = 600;
// The deep zoom: a tenth of an octave or so around 1 kHz.
constexpr double kZoomLowHz = 1000.0;
constexpr double kZoomHighHz = 1100.0;
// Levels numbers of the benchmark's own, far above those the builder gives.
uint64_t BenchLevelsNumbers = uint64_t{1} << 48;

// A noise floor around -100 dB that falls towards high frequencies, with a
// spread of +-12 dB from line to line and a few tones: a trace that zig-zags
// as a measured one does. The same every run.
void FillWithTestSpectrum(SpectrumLevels& levels) {
  constexpr int32_t kFloorHundredthsDb = -10000;
  constexpr int32_t kSpreadHundredthsDb = 2400;
  constexpr int32_t kTonePeriodLines = 9973;
  constexpr int32_t kToneHundredthsDb = -1200;
  uint32_t state = 12345;
  for (int32_t i = 0; i < kMaxSpectrumLines; ++i) {
    for (int32_t channel = 0; channel < 2; ++channel) {
      state = state * 1664525u + 1013904223u;
      const int32_t spread = static_cast<int32_t>(state >> 8) % kSpreadHundredthsDb;
      const int32_t slope = -i / (kMaxSpectrumLines / 2000);
      levels[i][channel] = kFloorHundredthsDb + slope + spread - kSpreadHundredthsDb / 2;
    }
    if (i % kTonePeriodLines == 100) levels[i] = {kToneHundredthsDb, kToneHundredthsDb - 600};
  }
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The region the paint after a mouse move draws in: the readout's area
// before and after the move.
HRGN ReadoutRegion(const ReadoutArea& before, const ReadoutArea& after) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (const RECT* rect : {&before.Marker, &before.Box, &after.Marker, &after.Box}) {
    HRGN part = CreateRectRgnIndirect(rect);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  return region;
}

void PrintRow(const char* operation, int32_t points, const char* maximum, int32_t count,
              const CallTimer& timer) {
  std::printf("%-16s %7d  %-7s %7d  %7d  %12.1f  %12.1f  %12.1f\n", operation, points, maximum,
              count, timer.CallCount(), timer.MeanMicroseconds(), timer.MinMicroseconds(),
              timer.MaxMicroseconds());
}

}  // namespace

int main() {
  EnsureExtendedPrecision();
  Range = kFixedDisplayRange;
  Settings.ShowLeft = Settings.ShowRight = 1;

  TWindow window(nullptr, "Frelox drawing benchmark");
  window.Attributes().Style = WS_POPUP | WS_VISIBLE;
  window.Attributes().W = kWindowWidthPx;
  window.Attributes().H = kWindowHeightPx;
  window.Create();
  PumpMessages();
  RECT client;
  GetClientRect(window.GetHandle(), &client);

  auto levels = std::make_unique<SpectrumLevels>();
  FillWithTestSpectrum(*levels);
  // A held maximum a few dB above the live spectrum.
  auto held = std::make_unique<SpectrumLevels>(*levels);
  for (LevelPair& line : *held)
    line = {line[0] + kHeldAboveHundredthsDb, line[1] + kHeldAboveHundredthsDb};
  auto view = std::make_unique<ViewGeometry>();
  auto painter = std::make_unique<ViewPainter>();
  auto trace = std::make_unique<TraceVertices>();
  auto shown = std::make_unique<ShownMeasurement>();
  ShownMeasurementBuilder builder;
  std::vector<double> referenceFrequencies(kMaxSpectrumLines);
  for (int32_t line = 0; line < kMaxSpectrumLines; ++line)
    referenceFrequencies[line] = static_cast<double>(kSampleRateHz) * line / kMaxFftSize;
  ReferenceTrace reference(referenceFrequencies,
                           std::vector<LevelPair>(levels->begin(), levels->end()));

  std::printf("Spectrum view drawing, window client area %ld x %ld pixels, both channels\n",
              client.right, client.bottom);
  std::printf(
      "count: spectral lines placed (Rescale), vertices drawn of the left trace "
      "(DrawSpectrum and the rows below it)\n\n");
  std::printf("%-16s %7s  %-7s %7s  %7s  %12s  %12s  %12s\n", "operation", "points", "maximum",
              "count", "calls", "mean [us]", "min [us]", "max [us]");
  {
    // Two widths in turn: each placement is one after a resize.
    auto narrower = std::make_unique<ViewGeometry>();
    view->Rescale(client.right, client.bottom, kMaxFftSize, true);
    narrower->Rescale(client.right - 1, client.bottom, kMaxFftSize, true);
    int32_t step = 0;
    CallTimer timer;
    timer.Run([&] { reference.Place(++step % 2 ? *narrower : *view); });
    PrintRow("Place reference", kMaxFftSize, "-", reference.LineCount(), timer);
  }
  ViewRange zoomed;
  zoomed.SetFrequencies(kZoomLowHz, kZoomHighHz, 0.0);
  for (const bool zoom : {false, true}) {
    std::printf("\n%s\n", zoom ? "zoomed to 1000 Hz to 1100 Hz" : "full range");
    view->SetRange(zoom ? zoomed : ViewRange());
    for (const int32_t points : kMeasuredSizes) {
      AnalysedLevels analysed;
      analysed.Size = points;
      analysed.Window = kWindowHanning;
      analysed.Levels = levels.get();
      analysed.Held = held.get();
      analysed.HeldValid = true;
      builder.Build(analysed, LevelChoice{}, *shown);
      CallTimer timer;
      timer.Run([&] { view->Rescale(client.right, client.bottom, points, true); });
      PrintRow("Rescale forced", points, "-", view->EndBin() - view->FirstBin(), timer);

      for (const int32_t maximum : {1, 0}) {
        Settings.ShowMaximum = maximum;
        const char* maximumText = maximum ? "on" : "off";
        // What DrawTrace draws of the left channel: without the maximum, the
        // thinned polyline.
        int32_t vertices = trace->Build(*view, *levels, 0, maximum != 0);
        if (!maximum) vertices = trace->ThinColumns();
        TClientDC dc(window.GetHandle());
        const auto draw = [&](const char* operation) {
          timer.Run([&] {
            painter->DrawSpectrum(dc, *view, *shown);
            GdiFlush();
          });
          PrintRow(operation, points, maximumText, vertices, timer);
          PumpMessages();
        };
        draw("DrawSpectrum");
        Settings.HoldMaximum = 1;
        draw("+ held maximum");
        Settings.HoldMaximum = 0;

        painter->ShowReadoutAt(kPointerPath[0]);
        Settings.ShowPeaks = 1;
        draw("+ readouts");
        int32_t step = 0;
        timer.Run([&] {
          const ReadoutArea before = painter->MeasureReadout(dc, *view, *shown);
          painter->ShowReadoutAt(kPointerPath[++step % 2]);
          const ReadoutArea after = painter->MeasureReadout(dc, *view, *shown);
          const HRGN region = ReadoutRegion(before, after);
          SelectClipRgn(dc.GetHandle(), region);
          painter->DrawSpectrum(dc, *view, *shown);
          SelectClipRgn(dc.GetHandle(), nullptr);
          DeleteObject(region);
          GdiFlush();
        });
        PrintRow("mouse move", points, maximumText, vertices, timer);
        PumpMessages();
        painter->HideReadout();
        Settings.ShowPeaks = 0;

        painter->SetReference(&reference);
        draw("+ reference");
        Settings.HoldMaximum = 1;
        Settings.ShowPeaks = 1;
        painter->ShowReadoutAt(kPointerPath[0]);
        draw("all on");
        // New live levels at each drawing, as a new spectrum brings them:
        // the live traces built anew, the held maximum's and the
        // reference's drawn as they are; then the held maximum new too.
        const uint64_t levelsNumber = shown->LevelsNumber;
        const uint64_t heldNumber = shown->HeldNumber;
        timer.Run([&] {
          shown->LevelsNumber = ++BenchLevelsNumbers;
          painter->DrawSpectrum(dc, *view, *shown);
          GdiFlush();
        });
        PrintRow("all on, new live", points, maximumText, vertices, timer);
        PumpMessages();
        timer.Run([&] {
          shown->LevelsNumber = ++BenchLevelsNumbers;
          shown->HeldNumber = ++BenchLevelsNumbers;
          painter->DrawSpectrum(dc, *view, *shown);
          GdiFlush();
        });
        PrintRow("all on, all new", points, maximumText, vertices, timer);
        PumpMessages();
        shown->LevelsNumber = levelsNumber;
        shown->HeldNumber = heldNumber;
        painter->HideReadout();
        Settings.HoldMaximum = 0;
        Settings.ShowPeaks = 0;
        painter->SetReference(nullptr);
      }
    }
  }
  return 0;
}
