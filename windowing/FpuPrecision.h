#pragma once

#include <cstdint>

// The x87 precision control is per thread on Windows: a process's main thread
// starts with 64-bit significands, a thread made by CreateThread with 53. The
// display's long double mapping needs 64 bits, so the GUI thread sets it.
constexpr uint16_t kX87PrecisionMask = 0x0300;
constexpr uint16_t kX87Precision64 = 0x0300;

uint16_t X87ControlWord();
void EnsureExtendedPrecision();
