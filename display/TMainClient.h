#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "display/ReferenceTrace.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "display/ViewPlacement.h"
#include "display/ViewRange.h"
#include "measurement/MeasurementListener.h"
#include "measurement/ReferenceLevels.h"
#include "measurement/ShownMeasurement.h"
#include "windowing/TWindow.h"

class Measurement;

// The spectrum view: a child window that shows the measurement's spectrum
// (ShownMeasurement), with the readout under the mouse, the peak values and a
// kept reference; and the one composition of the view with its axes, which
// the axis frame paints around it on screen and a picture takes whole.
//
// Everything here belongs to the GUI thread.
class TMainClient : public TWindow, public MeasurementListener {
 public:
  // Shows what `measurement` measures; the measurement outlives the view.
  TMainClient(TWindow* parent, Measurement& measurement);
  ~TMainClient() override;

  // Brings the view's scales up to date with its client size (and, when
  // forced, with the spectrum's size).
  void Rescale(bool forced);
  const ViewGeometry& Geometry() const { return View; }
  int32_t FreqToX(double frequencyHz) const { return View.FreqToX(frequencyHz); }
  int32_t LevelToY(double levelDb) const { return View.LevelToY(levelDb); }

  // The range shown. The frequencies are shared by all scales; each scale
  // (ScaleLevelRanges' slots) keeps levels of its own, which the view
  // switches to when a spectrum of that scale arrives. Levels here are as
  // shown (plot levels plus the scale's axis shift).
  const ViewRange& RangeShown() const { return View.Range(); }
  double ShownTopDb() const;
  double ShownBottomDb() const;
  // The narrowest frequency span the view zooms to: a few lines of the
  // spectrum measured.
  double NarrowestSpanHz() const;
  // 10 Hz to half the spectrum's rate and the scale's first level range.
  void ShowFullRange();
  // Limits typed by the user, levels as shown; pulled within the bounds
  // (ViewRange::SetFrequencies, SetLevels).
  void ShowRange(double lowHz, double highHz, double topDb, double bottomDb);
  // Each slot's levels, in plot levels (as ViewRange holds them).
  const std::array<ScaleLevelRanges::Levels, ScaleLevelRanges::kSlotCount>& SlotLevels() const {
    return Slots;
  }
  // The range to start with: frequencies and each slot's levels.
  void StartWith(double lowHz, double highHz,
                 const std::array<ScaleLevelRanges::Levels, ScaleLevelRanges::kSlotCount>& slots);
  // Called after the user changed the range: by the mouse (at the end of a
  // drag, at each wheel step), a double click, or through ShowRange.
  void OnRangeChanged(std::function<void()> changed) { RangeChanged = std::move(changed); }

  // Takes the readout under the mouse off the picture, redrawing only its
  // area; called when the pointer leaves the view or the frame loses the
  // activation.
  void HideReadout();

  // The axis frame's margins around the view, in the axis frame's pixels
  // (`area`: what to blacken), labelled in the shown spectrum's scale.
  // Where the level labels of the range and scale shown need another left
  // margin than the view has (LevelLabelMarginPx), asks for it first.
  void DrawAxes(TDC& dc, const RECT& area);
  // Called with the left margin the view is to have in the axis frame; the
  // axis frame places the view there and paints anew.
  void OnMarginNeeded(std::function<void(int32_t)> needed) { MarginNeeded = std::move(needed); }
  // The left margin the level labels need in an axis frame frameHeightPx
  // high, at the range and scale shown; taken as the one asked for.
  int32_t MarginFor(int32_t frameHeightPx);
  // The axis frame with the view at `viewOrigin` in it, as on screen but
  // without the readout under the mouse, into dc (`frame`: the whole area).
  void DrawComposition(TDC& dc, const RECT& frame, POINT viewOrigin);

  // The spectrum shown; none with lines while !HasSpectrum().
  const ShownMeasurement& Shown() const { return *Spectrum; }
  bool HasSpectrum() const { return Spectrum->HasLines(); }

  // The spectrum kept to compare with, drawn behind the traces in the
  // view's scale where it converts to it; none when empty.
  void SetReference(std::optional<ReferenceLevels> reference);
  bool HasReference() const { return Reference.has_value(); }

  // A line of text in the top left corner, under the unit, from the next
  // drawing on (on screen and in pictures); none when empty.
  void SetCornerNote(std::wstring note);
  const std::wstring& CornerNote() const { return Painter.CornerNote(); }
  // Whether the reference shown may be compared with the levels shown.
  bool ReferenceComparable() const { return Trace && Trace->Comparable(); }

  // What tests may look at.
  int32_t ShownSize() const { return Spectrum->Size; }
  const SpectrumLevels& ShownLevels() const { return *Spectrum->Levels; }
  const SpectrumLevels& HeldLevels() const { return *Spectrum->Held; }

  // MeasurementListener: drawn at once.
  void SpectrumShown(const ShownMeasurement& shown) override;

  DECLARE_RESPONSE_TABLE();

 protected:
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  bool EraseBackground(HDC dc);
  void SizeChanged(UINT sizeType, SIZE size);
  void OnMouseMove(POINT pointer);
  LRESULT OnMouseLeave();
  LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnDoubleClick(WPARAM wParam, LPARAM lParam);
  LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
  // Shows `range` and repaints the view with its axes; tells the frame when
  // `tell`.
  void ApplyRange(const ViewRange& range, bool tell);
  // The slot of the spectrum shown, its levels switched to when it changed.
  void FollowScale();
  // The frequencies reach up to half the rate of the spectrum shown.
  void FollowRate();
  // The whole range at the shown spectrum's rate.
  ViewRange WholeRange() const;
  void InvalidateReadout();
  // The reference in the shown spectrum's choice, converted anew when that changed.
  void ConvertReference();

  Measurement& Measured;
  const ShownMeasurement* Spectrum;
  std::optional<ReferenceLevels> Reference;
  // The reference as the view shows it, and the choice it was converted for.
  std::unique_ptr<ReferenceTrace> Trace;
  LevelChoice TraceChoice;
  int32_t LaidOutSize = 0;                // the spectrum size the view's scales were last forced to
  int32_t LaidOutRateHz = kSampleRateHz;  // and its rate
  ViewGeometry View;
  ViewPainter Painter;
  bool TrackingMouse = false;  // a WM_MOUSELEAVE is asked for
  std::array<ScaleLevelRanges::Levels, ScaleLevelRanges::kSlotCount> Slots;
  int32_t Slot = ScaleLevelRanges::kUncorrectedSlot;
  std::function<void()> RangeChanged;
  std::function<void(int32_t)> MarginNeeded;
  int32_t Margin = kViewLeftPx;
  // A drag with the left button: where it began and the range then.
  bool Dragging = false;
  bool DragMoved = false;
  POINT DragStart{0, 0};
  ViewRange DragRange;
};
