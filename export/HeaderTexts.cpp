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
