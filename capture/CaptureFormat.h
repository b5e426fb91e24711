#pragma once

#include <cstdint>

#include "analysis/LevelTypes.h"
#include "capture/SystemApi.h"

// The one recording format: PCM, stereo, 44100 frames per second, 16 bits.
// A frame is the left then the right sample, signed 16-bit little-endian.
constexpr int32_t kRecordingChannels = 2;
constexpr int32_t kRecordingBitsPerSample = 16;
constexpr int32_t kBytesPerFrame = kRecordingChannels * kRecordingBitsPerSample / 8;

// The sample block holds exactly one capture of the largest transform.
constexpr int32_t kSampleBlockBytes = kMaxFftSize * kBytesPerFrame;
static_assert(kSampleBlockBytes == 1048576, "the sample block is 1 MiB");

// The recording format as the device expects it.
WAVEFORMATEX RecordingFormat();
