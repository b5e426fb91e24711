#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Files written and read whole, with the system's own texts for failures.
// Paths are UTF-16, as the system's wide functions take them, so that any
// name the file system allows can be used. Windows only; any thread.

// The system's text for a Win32 error code (or an HRESULT), without the
// line break it ends in; the number when the system has none.
std::wstring SystemErrorText(DWORD error);

// Writes `bytes` as the file at `path`: first into a new file beside it in
// the same folder, flushed to the disk, which then takes the target's place.
// An existing target is replaced with ReplaceFileW, so that the file keeps
// its security, attributes and streams; where the file system cannot do
// that (some network shares), by a move. When anything fails (no right to
// write there, a full disk, a path too long, a read-only target), the new
// file is deleted, the old one is left in its place, and `why` says why.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes, std::wstring& why);

// The most bytes ReadWholeFile reads: far more than the largest spectrum file.
constexpr int64_t kMaxReadFileBytes = int64_t{64} << 20;

// What became of a read.
enum class FileReading {
  Read,      // the bytes hold the whole file
  Missing,   // no such file, or no such folder on a volume that is there
  TooLarge,  // larger than kMaxReadFileBytes
  // Cannot be read now, but may later: in use, no access, a drive or share
  // that is not there, fewer bytes than the file had.
  Failed,
};

// Reads the file at `path` into `bytes`, while other programs may hold it
// open for reading, writing or deleting. Anything but Read comes with the
// reason in `why`: the system's text, or one of its own.
FileReading ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& why);
