#include "bench/SyntheticRecording.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/LevelTypes.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kLeftToneHz = 1234.0;
constexpr double kRightToneHz = 4321.0;
constexpr double kToneAmplitude = 8000.0;
constexpr double kNoiseAmplitude = 200.0;

void Put(std::vector<unsigned char>& bytes, uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

SyntheticRecording::SyntheticRecording(uint64_t frames) : DataBytes(frames * kBytesPerFrame) {
  const char* riff = "RIFF";
  Header.assign(riff, riff + 4);
  Put(Header, 36 + DataBytes, 4);
  for (const char* id : {"WAVE", "fmt "}) Header.insert(Header.end(), id, id + 4);
  Put(Header, 16, 4);
  Put(Header, 1, 2);
  Put(Header, 2, 2);
  Put(Header, kSampleRateHz, 4);
  Put(Header, kSampleRateHz * kBytesPerFrame, 4);
  Put(Header, kBytesPerFrame, 2);
  Put(Header, 16, 2);
  Header.insert(Header.end(), {'d', 'a', 't', 'a'});
  Put(Header, DataBytes, 4);

  uint32_t state = 1;
  for (int32_t j = 0; j < kSampleRateHz; ++j) {
    for (double toneHz : {kLeftToneHz, kRightToneHz}) {
      state = state * 1664525u + 1013904223u;
      const double noise = kNoiseAmplitude * ((state >> 8) / 16777216.0 - 0.5);
      const double value = kToneAmplitude * std::sin(kTwoPi * toneHz * j / kSampleRateHz) + noise;
      Put(Second, static_cast<uint16_t>(static_cast<int16_t>(std::lround(value))), 2);
    }
  }
}

bool SyntheticRecording::ReadAt(uint64_t offset, void* buffer, size_t count) {
  unsigned char* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    size_t piece;
    if (offset < kHeaderBytes) {
      piece = static_cast<size_t>(std::min<uint64_t>(count, kHeaderBytes - offset));
      std::memcpy(out, Header.data() + offset, piece);
    } else {
      const uint64_t inSecond = (offset - kHeaderBytes) % Second.size();
      piece = static_cast<size_t>(std::min<uint64_t>(count, Second.size() - inSecond));
      std::memcpy(out, Second.data() + inSecond, piece);
    }
    out += piece;
    offset += piece;
    count -= piece;
  }
  return true;
}
