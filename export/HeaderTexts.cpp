#include "export/HeaderTexts.h"

#include "analysis/PowerAverager.h"
#include "analysis/WeightingWindow.h"

namespace {

constexpr const char* kWindowNames[kWindowCount] = {"Aus",     "Dreieck",  "Hanning", "Welch",
                                                    "Hamming", "Blackman", "Parzen"};

// At least two digits, a leading zero where needed.
std::string TwoDigits(int32_t value) {
  return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string WindowName(int32_t weighting) {
  if (weighting < 0 || weighting >= kWindowCount) return std::to_string(weighting);
  return kWindowNames[weighting];
}

std::string AveragingText(int32_t count, int32_t length) {
  if (length == PowerAverager::kOff) return "Aus";
  const std::string averaged = ", " + std::to_string(count) + " gemittelt";
  if (length == PowerAverager::kContinuous) return "Fortlaufend" + averaged;
  return std::to_string(length) + " Messungen (exponentiell)" + averaged;
}

std::string DateTimeText(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second) {
  return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day) + " " +
         TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

std::string Windows1252Text(const std::wstring& text) {
  constexpr wchar_t kLatin1Last = 0xFF;
  constexpr wchar_t kEnDash = 0x2013;
  constexpr char kEnDash1252 = '\x96';
  std::string result;
  for (const wchar_t c : text) {
    if (c <= kLatin1Last && (c < 0x80 || c >= 0xA0))
      result += static_cast<char>(c);
    else if (c == kEnDash)
      result += kEnDash1252;
    else if (c == L'\u2264')
      result += "<=";
    else if (c == L'\u2265')
      result += ">=";
    else if (c >= L'\u2080' && c <= L'\u2089')
      result += static_cast<char>('0' + (c - L'\u2080'));
    else if (c >= L'\u2074' && c <= L'\u2079')
      result += static_cast<char>('0' + (c - L'\u2070'));
    else
      result += '?';
  }
  return result;
}
