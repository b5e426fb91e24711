#pragma once

#include <cstddef>
#include <cstdint>

#include "recording/ByteSource.h"

// The bytes of a file held in memory, not owned: they must outlive the source.
class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const void* data, size_t size);

  uint64_t Size() const override { return Length; }
  // False for a range beyond the bytes held, without reading any of it.
  bool ReadAt(uint64_t offset, void* buffer, size_t count) override;

 private:
  const unsigned char* Data;
  size_t Length;
};
