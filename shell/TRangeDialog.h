#pragma once

#include <string>

#include "windowing/TDialog.h"

class TWindow;

// "Bereich": the range the view shows as typed limits, the frequencies in
// hertz and the levels in the scale's unit, each with a decimal comma.
// Anything that is no number, frequencies outside 10 Hz to the highest the
// view shows (half the spectrum's rate) or not rising, and a top level not above the bottom one
// keep the dialog open and say why. GUI thread only.
class TRangeDialog : public TDialog {
 public:
  struct Limits {
    double LowHz;
    double HighHz;
    double TopDb;
    double BottomDb;
  };

  // `shown`: the limits to start with; `unit`: the levels' unit ("dBFS");
  // `highestHz`: the highest frequency the view shows.
  TRangeDialog(TWindow* parent, const Limits& shown, std::string unit, double highestHz);

  // After Execute returned IDOK: the limits typed.
  const Limits& Typed() const { return Values; }

 protected:
  void SetupDialog() override;
  bool CanClose() override;

 private:
  void SayProblem(int control, const wchar_t* text);

  Limits Values;
  std::string Unit;
  double HighestHz;
};
