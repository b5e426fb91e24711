#include "capture/WaveInError.h"

#include <cstdio>

namespace {

// 200 characters of text and the terminating zero.
constexpr UINT kErrorTextChars = 201;

}  // namespace

std::string WaveInErrorText(MMRESULT code) {
  char text[kErrorTextChars] = {};
  const MMRESULT result = SystemCalls().waveInGetErrorTextA(code, text, kErrorTextChars);
  text[kErrorTextChars - 1] = '\0';
  if (result != MMSYSERR_NOERROR || text[0] == '\0') {
    std::snprintf(text, sizeof(text), "Wave input error %u.", static_cast<unsigned>(code));
  }
  return text;
}
