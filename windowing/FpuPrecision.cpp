#include "windowing/FpuPrecision.h"

uint16_t X87ControlWord() {
  uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

void EnsureExtendedPrecision() {
  uint16_t word = X87ControlWord();
  if ((word & kX87PrecisionMask) == kX87Precision64) return;
  word = static_cast<uint16_t>((word & ~kX87PrecisionMask) | kX87Precision64);
  __asm__ volatile("fldcw %0" : : "m"(word));
}
