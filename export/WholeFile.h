#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Files written and read whole, with the system's own texts for failures.
// Windows only; any thread.

// The system's text for a Win32 error code (or an HRESULT), without the
// line break it ends in; the number when the system has none.
std::string SystemErrorText(DWORD error);

// Writes `bytes` as the file at `path`: first into a new file beside it in
// the same folder, flushed to the disk, which then replaces the target in
// one move. When anything fails (no right to write there, a full disk, a
// path too long, a read-only target), the new file is deleted, the target
// is left as it was, and `why` holds the system's text.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& why);

// The most bytes ReadWholeFile reads: far more than the largest spectrum file.
constexpr int64_t kMaxReadFileBytes = int64_t{64} << 20;

// Reads the file at `path` into `bytes`. False with the system's text in
// `why` when it cannot be read, or with a text of its own when it is larger
// than kMaxReadFileBytes.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& why);
