#include "recording/FileByteSource.h"

#include <algorithm>

#include "export/WholeFile.h"

namespace {

// ReadFile's count is a DWORD; larger requests are read in parts.
constexpr size_t kLargestReadBytes = size_t{1} << 30;

}  // namespace

FileByteSource::~FileByteSource() {
  if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
}

FileByteSource::Opening FileByteSource::Open(const std::wstring& path, std::wstring& why) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    why = L"Das ist ein Ordner, keine Wave-Datei.";
    return Opening::kFolder;
  }
  File = CreateFileW(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      why = L"Die Datei gibt es nicht.";
      return Opening::kMissing;
    }
    why = L"Die Datei l\u00E4sst sich nicht \u00F6ffnen: " + SystemErrorText(error);
    return Opening::kFailed;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(File, &size)) {
    why = L"Die Gr\u00F6\u00DFe der Datei l\u00E4sst sich nicht lesen: " +
          SystemErrorText(GetLastError());
    return Opening::kFailed;
  }
  Length = static_cast<uint64_t>(size.QuadPart);
  return Opening::kOpened;
}

bool FileByteSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
  if (File == INVALID_HANDLE_VALUE || offset > Length || count > Length - offset) return false;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = static_cast<DWORD>(std::min(count, kLargestReadBytes));
    DWORD read = 0;
    if (!ReadFile(File, bytes, wanted, &read, &at) || read != wanted) return false;
    bytes += read;
    offset += read;
    count -= read;
  }
  return true;
}
