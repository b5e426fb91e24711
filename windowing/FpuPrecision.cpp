#include "windowing/FpuPrecision.h"

namespace {

constexpr uint16_t kEnsuredBits = kX87PrecisionMask | kX87RoundingMask | kX87ExceptionMasks;

}  // namespace

uint16_t X87ControlWord() {
  uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

void EnsureExtendedPrecision() {
  const uint16_t word = X87ControlWord();
  if ((word & kEnsuredBits) == (kX87DisplayWord & kEnsuredBits)) return;
  const uint16_t wanted =
      static_cast<uint16_t>((word & ~kEnsuredBits) | (kX87DisplayWord & kEnsuredBits));
  // Pending exception flags are cleared first: none may fire once loaded.
  __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(wanted));
}
