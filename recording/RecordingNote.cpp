#include "recording/RecordingNote.h"

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";
// Of a long name, the characters kept after the ellipsis: its type and a little more.
constexpr size_t kShortenedTailChars = 12;
constexpr uint64_t kTenthsPerMinute = 600;
constexpr uint64_t kTenthsPerHour = 36000;
constexpr int32_t kPermillePerPercent = 10;

}  // namespace

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/:");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ShortenedName(const std::wstring& name) {
  if (name.size() <= kLongestShownNameChars) return name;
  const size_t head = kLongestShownNameChars - kShortenedTailChars - 1;
  return name.substr(0, head) + kEllipsis + name.substr(name.size() - kShortenedTailChars);
}

std::wstring RecordingLengthText(uint64_t frames, int32_t rateHz) {
  if (rateHz <= 0) return L"";
  const uint64_t rate = static_cast<uint64_t>(rateHz);
  // Whole tenths, rounded half up; frames stay far below 2^63 / 20.
  const uint64_t tenths = (frames * 20 + rate) / (2 * rate);
  const auto twoDigits = [](uint64_t value) {
    return (value < 10 ? L"0" : L"") + std::to_wstring(value);
  };
  const std::wstring tenth = L"," + std::to_wstring(tenths % 10);
  if (tenths < kTenthsPerMinute) return std::to_wstring(tenths / 10) + tenth + L" s";
  const std::wstring seconds = twoDigits(tenths % kTenthsPerMinute / 10) + tenth;
  if (tenths < kTenthsPerHour)
    return std::to_wstring(tenths / kTenthsPerMinute) + L":" + seconds + L" min";
  return std::to_wstring(tenths / kTenthsPerHour) + L":" +
         twoDigits(tenths % kTenthsPerHour / kTenthsPerMinute) + L":" + seconds + L" h";
}

std::wstring RecordingNoteText(const std::wstring& path, const WaveFormat& format) {
  std::wstring note = ShortenedName(FileNameOf(path)) + L", " +
                      RecordingLengthText(format.FrameCount, format.SampleRateHz) + L", " +
                      std::to_wstring(format.SampleRateHz) + L" Hz";
  if (format.Truncated) note += L", abgeschnitten";
  return note;
}

std::wstring AnalysingNoteText(const std::wstring& path, int32_t permilleDone) {
  return L"Analysiere " + ShortenedName(FileNameOf(path)) + L" " + kEllipsis + L" " +
         std::to_wstring(permilleDone / kPermillePerPercent) + L" %";
}
