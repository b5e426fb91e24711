#pragma once

#include <cstdint>

// How a wave file's samples are coded.
enum class SampleEncoding {
  kInteger,  // PCM: 8 bit unsigned, 16, 24 and 32 bit signed, little-endian
  kFloat,    // IEEE 754 single precision
};

// What the header of a readable wave file says, checked.
struct WaveFormat {
  int32_t Channels = 0;       // 1 (mono, read as the left channel) or 2
  int32_t SampleRateHz = 0;   // 8000 to 192000
  int32_t BitsPerSample = 0;  // the container's: 8, 16, 24 or 32
  SampleEncoding Encoding = SampleEncoding::kInteger;
  int32_t BytesPerFrame = 0;  // Channels * BitsPerSample / 8
  uint64_t DataOffset = 0;    // of the first frame in the file
  uint64_t FrameCount = 0;    // the whole frames the file holds
  // The data block claims more bytes than the file holds (a recording cut
  // off, e.g. by a crash): FrameCount counts the frames that are there.
  bool Truncated = false;
  bool Rf64 = false;  // an RF64 file, its sizes taken from the ds64 block
};
