#pragma once

#include <cstdint>

// The display's long double arithmetic needs the x87 unit set as a Windows
// process's main thread starts: 64-bit significands, rounding to nearest,
// every exception masked (control word 0x37F). The control word is per
// thread (a thread made by CreateThread starts with 53-bit significands),
// and a DLL loaded into the GUI thread (an input method, a hook) may change
// it, so the GUI thread ensures it before each such computation.
constexpr uint16_t kX87PrecisionMask = 0x0300;
constexpr uint16_t kX87Precision64 = 0x0300;
constexpr uint16_t kX87RoundingMask = 0x0C00;  // 0: to nearest
constexpr uint16_t kX87ExceptionMasks = 0x003F;
constexpr uint16_t kX87DisplayWord = 0x037F;

uint16_t X87ControlWord();
// Sets precision, rounding and exception masks as above; leaves the other
// bits alone. Cheap when they already are.
void EnsureExtendedPrecision();
