#pragma once

#include <windows.h>

// The colours the display draws with, and one it never uses, which marks
// pixels that no drawing touched.
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGridGrey = RGB(80, 80, 80);
constexpr COLORREF kLeftGreen = RGB(0, 255, 0);
constexpr COLORREF kRightRed = RGB(255, 0, 0);
constexpr COLORREF kLabelGrey = RGB(192, 192, 192);
constexpr COLORREF kLeftReferenceGreen = RGB(160, 255, 160);
constexpr COLORREF kRightReferenceRed = RGB(255, 160, 160);
constexpr COLORREF kUntouched = RGB(1, 2, 3);
