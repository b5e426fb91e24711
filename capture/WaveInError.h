#pragma once

#include <string>

#include "capture/SystemApi.h"

// The platform's readable text for a wave input error code, at most 200
// characters. Should the platform have no text for it, a short text that
// names the code.
std::string WaveInErrorText(MMRESULT code);
