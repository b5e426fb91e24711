#pragma once

#include <cstdint>
#include <string>

#include "recording/WaveFormat.h"

// What the view's corner says of a recording: while it is analysed, and
// while its spectrum is shown. Portable.

// The file's own name, without its folder.
std::wstring FileNameOf(const std::wstring& path);

// `name` as the corner shows it: one of more than kLongestShownNameChars
// characters keeps its start and its end (the type) with an ellipsis between.
constexpr size_t kLongestShownNameChars = 40;
std::wstring ShortenedName(const std::wstring& name);

// `frames` at `rateHz` rounded to the nearest tenth of a second, a decimal
// comma: "12,3 s" below a minute, "3:25,4 min" below an hour, "1:02:03,4 h".
std::wstring RecordingLengthText(uint64_t frames, int32_t rateHz);

// "AUFNAHME.wav, 3:25,4 min, 48000 Hz", and ", abgeschnitten" for a file
// cut off (what it holds was analysed).
std::wstring RecordingNoteText(const std::wstring& path, const WaveFormat& format);

// "Analysiere AUFNAHME.wav … 42 %": the whole percents done.
std::wstring AnalysingNoteText(const std::wstring& path, int32_t permilleDone);
