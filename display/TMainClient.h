#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/LevelTypes.h"
#include "capture/AnalysisDisplay.h"
#include "capture/CaptureDriver.h"
#include "display/ReferenceTrace.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "export/LevelTable.h"
#include "windowing/TWindow.h"

// The spectrum view: a child window that shows the latest spectrum, with the
// readout under the mouse and the peak values. It owns the capture driver
// that measures for it: the driver's device, timer and worker messages
// arrive at this window, which passes them on, and the driver hands back
// each spectrum to show and each box to open.
//
// Everything here belongs to the GUI thread.
//
// Large (several MiB): the parent creates it on the heap.
class TMainClient : public TWindow, public AnalysisDisplay {
 public:
  explicit TMainClient(TWindow* parent);
  ~TMainClient() override;

  // Records the close request and answers no, every time: the driver ends
  // the program once the buffer is back.
  bool CanClose() override;

  // Brings the view's scales up to date with its client size (and, when
  // forced, with ShownSize).
  void Rescale(bool forced);
  const ViewGeometry& Geometry() const { return View; }
  int32_t FreqToX(double frequencyHz) const { return View.FreqToX(frequencyHz); }
  int32_t LevelToY(double levelDb) const { return View.LevelToY(levelDb); }

  // Takes the readout under the mouse off the picture, redrawing only its
  // area; called when the pointer leaves the view or the frame loses the
  // activation.
  void HideReadout();

  // The view as on screen, without the readout under the mouse, into dc
  // (the peak values and the averaging's progress are in it, if shown).
  void DrawPicture(TDC& dc);

  // Whether a spectrum with lines is shown.
  bool HasSpectrum() const { return ShownFrames >= 2; }
  // The spectrum shown, a row per line with the levels as shown, the
  // header's size, window, averaging and level scale filled in.
  // REQUIRES: HasSpectrum().
  LevelTable ShownLevelTable();

  // The spectrum kept to compare with, drawn behind the traces; null for none.
  void SetReference(std::unique_ptr<ReferenceTrace> reference);
  bool HasReference() const { return Reference != nullptr; }

  // The calibration of the input measured from now on (dB SPL of a
  // full-scale sine, hundredths of a decibel), none when it has none.
  void SetCalibration(std::optional<int32_t> hundredthsDb) { Painter.SetCalibration(hundredthsDb); }
  // How much the level axis's labels read more than the plot's levels.
  int32_t AxisShiftHundredthsDb() { return Painter.CurrentScale().AxisShiftHundredthsDb(); }
  // A channel's strongest line in the spectrum shown, as a sine level.
  SpectralPeak SinePeak(int32_t channel) { return Painter.SinePeak(*Shown, channel); }

  // What tests and the axis frame may look at.
  int32_t ShownSize() const { return ShownFrames; }
  const SpectrumLevels& ShownLevels() const { return *Shown; }
  const SpectrumLevels& HeldLevels() const { return *ShownHeld; }

  CaptureDriver& Capture() { return *Driver; }
  const CaptureDriver& Capture() const { return *Driver; }

  void StopBeforeExceptionBox() override;

  // AnalysisDisplay
  void ShowSpectrum(const AnalysedSpectrum& spectrum) override;
  void ForgetHeldLevels() override { Painter.SetHeldLevels(nullptr); }
  void ShowErrorBox(const char* text) override;

  DECLARE_RESPONSE_TABLE();

 protected:
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  bool EraseBackground(HDC dc);
  void SizeChanged(UINT sizeType, SIZE size);
  LRESULT OnCaptureDone(WPARAM device, LPARAM header);
  LRESULT OnSpectrumReady();
  void OnTimer(UINT_PTR timerId);
  void OnPowerEvent(UINT powerEvent);
  void OnMouseMove(POINT pointer);
  LRESULT OnMouseLeave();
  void InvalidateReadout();
  void DrawSpectrum(TDC& dc);
  // The one place where a stored level becomes the level shown (and
  // exported and kept as the reference), and the name of that scale.
  double ShownLevelDb(int32_t channel, int32_t line);
  std::string ShownScaleName();

  std::unique_ptr<SpectrumLevels> Shown;
  std::unique_ptr<SpectrumLevels> ShownHeld;
  int32_t ShownFrames = 0;
  // The shown spectrum's weighting window and averaging (see AnalysedSpectrum).
  int32_t ShownWeighting = 0;
  int32_t ShownAverageCount = 0;
  int32_t ShownAverageLength = 0;
  std::unique_ptr<ReferenceTrace> Reference;
  ViewGeometry View;
  ViewPainter Painter;
  bool TrackingMouse = false;  // a WM_MOUSELEAVE is asked for
  // Last, so that it is made once the rest is there; the destructor ends it
  // first, while the window still exists.
  std::unique_ptr<CaptureDriver> Driver;
};
