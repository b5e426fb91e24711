#pragma once

#include <cstdint>
#include <vector>

// A capture as the sound card would deliver it: kMaxFftSize interleaved
// stereo frames of tones over a noise floor, with a small DC offset per
// channel. The same every run.
const std::vector<int16_t>& TestCaptureFrames();

// The first n samples of the capture's left channel in full-scale units.
std::vector<double> TestChannel(int32_t n);
