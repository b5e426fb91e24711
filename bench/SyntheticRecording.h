#pragma once

#include <cstdint>
#include <vector>

#include "recording/ByteSource.h"

// The bytes of a 16-bit stereo wave file at 44100 Hz of any length, made up
// as they are asked for: a 44-byte header, then a second of tones over noise
// repeated. Holds one second of samples, whatever the file's length.
class SyntheticRecording : public ByteSource {
 public:
  explicit SyntheticRecording(uint64_t frames);

  uint64_t Size() const override { return kHeaderBytes + DataBytes; }
  bool ReadAt(uint64_t offset, void* buffer, size_t count) override;

 private:
  static constexpr uint64_t kHeaderBytes = 44;
  static constexpr uint64_t kBytesPerFrame = 4;

  uint64_t DataBytes;
  std::vector<unsigned char> Header;
  std::vector<unsigned char> Second;  // one second of frames, as stored
};
