#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "recording/ByteSource.h"

// Wave files written byte by byte, independently of the reader.
using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& bytes, uint64_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A block: its name, its size, its body and a pad byte after an odd body.
inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes bytes(id, id + 4);
  Put(bytes, body.size(), 4);
  bytes.insert(bytes.end(), body.begin(), body.end());
  if (body.size() % 2) bytes.push_back(0);
  return bytes;
}

struct WaveHeader {
  uint16_t Tag = 1;  // 0xFFFE: extensible, with SubTag in its GUID
  uint16_t SubTag = 1;
  uint16_t Channels = 2;
  uint32_t RateHz = 44100;
  uint16_t Bits = 16;
};

inline Bytes FormatBody(const WaveHeader& h) {
  Bytes body;
  const uint16_t align = static_cast<uint16_t>(h.Channels * h.Bits / 8);
  Put(body, h.Tag, 2);
  Put(body, h.Channels, 2);
  Put(body, h.RateHz, 4);
  Put(body, uint64_t{h.RateHz} * align, 4);
  Put(body, align, 2);
  Put(body, h.Bits, 2);
  if (h.Tag == 0xFFFE) {
    Put(body, 22, 2);
    Put(body, h.Bits, 2);
    Put(body, h.Channels == 1 ? 0x4 : 0x3, 4);
    Put(body, h.SubTag, 2);
    const uint8_t suffix[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    body.insert(body.end(), suffix, suffix + 14);
  }
  return body;
}

// RIFF/WAVE with `before` (whole blocks) between the format and the data block.
inline Bytes WaveFile(const WaveHeader& header, const Bytes& data, const Bytes& before = {}) {
  Bytes body = {'W', 'A', 'V', 'E'};
  const Bytes fmt = Chunk("fmt ", FormatBody(header));
  body.insert(body.end(), fmt.begin(), fmt.end());
  body.insert(body.end(), before.begin(), before.end());
  const Bytes dataChunk = Chunk("data", data);
  body.insert(body.end(), dataChunk.begin(), dataChunk.end());
  Bytes file = {'R', 'I', 'F', 'F'};
  Put(file, body.size(), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// 16-bit interleaved samples as a data block's bytes.
inline Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes bytes;
  for (int16_t s : samples) Put(bytes, static_cast<uint16_t>(s), 2);
  return bytes;
}

// Holds exactly a file's bytes; any request beyond them fails the test.
class StrictSource : public ByteSource {
 public:
  explicit StrictSource(Bytes bytes) : Data(std::move(bytes)) {}
  uint64_t Size() const override { return Data.size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t count) override {
    const bool inside = offset <= Data.size() && count <= Data.size() - offset;
    EXPECT_TRUE(inside) << "read of " << count << " bytes at " << offset << " of " << Data.size();
    if (inside && count > 0) std::memcpy(buffer, Data.data() + offset, count);
    return inside;
  }

 private:
  Bytes Data;
};
