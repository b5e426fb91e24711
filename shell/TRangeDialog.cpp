#include "shell/TRangeDialog.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "display/ReadoutFormat.h"
#include "display/ViewRange.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const wchar_t* kNoFrequencyText = L"Bitte Frequenzen wie 1000 oder 1234,5 eingeben.";
constexpr const wchar_t* kNoLevelText = L"Bitte Pegel wie -140 oder 12,5 eingeben.";
// Around the highest frequency of the spectrum shown.
constexpr const wchar_t* kFrequencyOrderStart = L"Die Frequenzen müssen zwischen 10 und ";
constexpr const wchar_t* kFrequencyOrderEnd = L" Hz liegen, die erste unter der zweiten.";
constexpr const wchar_t* kLevelOrderText = L"Der obere Pegel muss über dem unteren liegen.";
constexpr int kMaxTypedCharacters = 64;
// Shown to the thousandth of a hertz and the tenth of a decibel at most.
constexpr int kFrequencyDecimals = 3;
constexpr int kLevelDecimals = 1;

// "1234,5": a number with up to `decimals` decimals, trailing zeros left out.
std::wstring Typable(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string digits(text);
  if (digits.find('.') != std::string::npos) {
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (digits == "-0") digits = "0";
  std::wstring result(digits.begin(), digits.end());
  for (wchar_t& c : result)
    if (c == L'.') c = L',';
  return result;
}

}  // namespace

TRangeDialog::TRangeDialog(TWindow* parent, const Limits& shown, std::string unit, double highestHz)
    : TDialog(parent, IDD_RANGE), Values(shown), Unit(std::move(unit)), HighestHz(highestHz) {}

void TRangeDialog::SetupDialog() {
  const HWND dialog = GetHandle();
  SetDlgItemTextW(dialog, IDC_RANGE_LOW, Typable(Values.LowHz, kFrequencyDecimals).c_str());
  SetDlgItemTextW(dialog, IDC_RANGE_HIGH, Typable(Values.HighHz, kFrequencyDecimals).c_str());
  SetDlgItemTextW(dialog, IDC_RANGE_TOP, Typable(Values.TopDb, kLevelDecimals).c_str());
  SetDlgItemTextW(dialog, IDC_RANGE_BOTTOM, Typable(Values.BottomDb, kLevelDecimals).c_str());
  SetDlgItemTextA(dialog, IDC_RANGE_TOP_UNIT, Unit.c_str());
  SetDlgItemTextA(dialog, IDC_RANGE_BOTTOM_UNIT, Unit.c_str());
}

void TRangeDialog::SayProblem(int control, const wchar_t* text) {
  SetDlgItemTextW(GetHandle(), IDC_RANGE_PROBLEM, text);
  // Through the dialog manager, which moves the default button's frame too.
  SendMessageW(GetHandle(), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(GetDlgItem(GetHandle(), control)), TRUE);
  SendDlgItemMessageW(GetHandle(), control, EM_SETSEL, 0, -1);
}

bool TRangeDialog::CanClose() {
  const auto typed = [&](int control) {
    wchar_t text[kMaxTypedCharacters] = {};
    GetDlgItemTextW(GetHandle(), control, text, kMaxTypedCharacters);
    return std::wstring(text);
  };
  const std::optional<double> low = ParseFrequency(typed(IDC_RANGE_LOW));
  if (!low) {
    SayProblem(IDC_RANGE_LOW, kNoFrequencyText);
    return false;
  }
  const std::optional<double> high = ParseFrequency(typed(IDC_RANGE_HIGH));
  if (!high) {
    SayProblem(IDC_RANGE_HIGH, kNoFrequencyText);
    return false;
  }
  if (*low < ViewRange::kLowestHz || *high > HighestHz || !(*low < *high)) {
    const std::wstring order =
        kFrequencyOrderStart + Typable(HighestHz, kFrequencyDecimals) + kFrequencyOrderEnd;
    SayProblem(*low < ViewRange::kLowestHz ? IDC_RANGE_LOW : IDC_RANGE_HIGH, order.c_str());
    return false;
  }
  const std::optional<int32_t> top = ParseLevel(typed(IDC_RANGE_TOP));
  if (!top) {
    SayProblem(IDC_RANGE_TOP, kNoLevelText);
    return false;
  }
  const std::optional<int32_t> bottom = ParseLevel(typed(IDC_RANGE_BOTTOM));
  if (!bottom) {
    SayProblem(IDC_RANGE_BOTTOM, kNoLevelText);
    return false;
  }
  if (*top <= *bottom) {
    SayProblem(IDC_RANGE_TOP, kLevelOrderText);
    return false;
  }
  constexpr double kDbPerHundredth = 0.01;
  Values = {*low, *high, *top * kDbPerHundredth, *bottom * kDbPerHundredth};
  return true;
}
