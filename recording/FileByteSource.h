#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "recording/ByteSource.h"

// A recording's bytes from a file on disk, read where they are asked for;
// other programs may go on reading, writing or deleting the file meanwhile.
// Windows only; one thread at a time.
class FileByteSource : public ByteSource {
 public:
  enum class Opening { kOpened, kMissing, kFolder, kFailed };

  FileByteSource() = default;
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  // Opens the file at `path` for reading; anything but kOpened comes with
  // the reason in German in `why`.
  Opening Open(const std::wstring& path, std::wstring& why);

  // The file's size when it was opened.
  uint64_t Size() const override { return Length; }
  bool ReadAt(uint64_t offset, void* buffer, size_t count) override;

 private:
  HANDLE File = INVALID_HANDLE_VALUE;
  uint64_t Length = 0;
};
