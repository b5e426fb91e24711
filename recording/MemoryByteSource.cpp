#include "recording/MemoryByteSource.h"

#include <cstring>

MemoryByteSource::MemoryByteSource(const void* data, size_t size)
    : Data(static_cast<const unsigned char*>(data)), Length(size) {}

bool MemoryByteSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
  if (offset > Length || count > Length - offset) return false;
  if (count > 0) std::memcpy(buffer, Data + offset, count);
  return true;
}
