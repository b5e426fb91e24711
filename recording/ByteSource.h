#pragma once

#include <cstddef>
#include <cstdint>

// Where a recording's bytes come from: on Windows an open file handle, in
// tests and benchmarks memory. The reader asks only for bytes the source
// holds, in pieces of bounded size.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // The number of bytes the source holds.
  virtual uint64_t Size() const = 0;

  // Copies the `count` bytes from `offset` on into `buffer`. False when they
  // could not all be read (a read error). REQUIRES: offset + count <= Size().
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
};
