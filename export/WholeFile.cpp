#include "export/WholeFile.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kTemporaryPrefix = L"frx";
constexpr const wchar_t* kBackupPrefix = L"frb";
constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// Closes the handle when it goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : Handle(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return Handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return Handle; }
  bool Close() {
    const bool closed = !Valid() || CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE Handle;
};

bool Failure(DWORD error, std::wstring& why) {
  why = SystemErrorText(error);
  return false;
}

bool IsSlash(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The folder a path names its file in; "." for a bare name.
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// The root of the volume a full path lies on ("C:\", "\\server\share\");
// empty for any other form.
std::wstring VolumeRootOf(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsSlash(path[2])) return path.substr(0, 3);
  if (path.size() < 3 || !IsSlash(path[0]) || !IsSlash(path[1]) || path[2] == L'?') return {};
  const size_t serverEnd = path.find_first_of(L"\\/", 2);
  if (serverEnd == std::wstring::npos || serverEnd == 2) return {};
  const size_t shareEnd = path.find_first_of(L"\\/", serverEnd + 1);
  if (shareEnd == serverEnd + 1) return {};
  return (shareEnd == std::wstring::npos ? path : path.substr(0, shareEnd)) + L"\\";
}

// A file that is gone for good, not one on a stick that is unplugged or a
// share not yet connected: those report a missing path too.
bool IsGone(const std::wstring& path, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND) return true;
  if (error != ERROR_PATH_NOT_FOUND) return false;
  const std::wstring root = VolumeRootOf(path);
  return !root.empty() && GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// "nur 123 von 456 Bytes geschrieben": a transfer that stopped short
// without a system error.
std::wstring ShortTransferText(uint64_t done, uint64_t total, const wchar_t* what) {
  return L"nur " + std::to_wstring(done) + L" von " + std::to_wstring(total) + L" Bytes " + what;
}

// Writes all of bytes; the chunks stay below what a DWORD counts.
bool WriteAll(HANDLE file, std::string_view bytes, std::wstring& why) {
  constexpr size_t kChunkBytes = size_t{1} << 30;
  const size_t total = bytes.size();
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunkBytes));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
      return Failure(GetLastError(), why);
    if (written != chunk) {
      why = ShortTransferText(total - bytes.size() + written, total, L"geschrieben");
      return false;
    }
    bytes.remove_prefix(chunk);
  }
  return true;
}

// Fills the empty file `name` with bytes, flushed to the disk.
bool WriteNewFile(const wchar_t* name, std::string_view bytes, std::wstring& why) {
  FileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failure(GetLastError(), why);
  if (!WriteAll(file.Get(), bytes, why)) return false;
  if (!FlushFileBuffers(file.Get()) || !file.Close()) return Failure(GetLastError(), why);
  return true;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// ReplaceFileW failures after which the target is still in its place and
// a move may do what the replacement could not (it loses what ReplaceFileW
// keeps): the file systems that do not offer it, or a target deleted since.
bool MoveMayReplace(DWORD replaceError) {
  switch (replaceError) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
      return true;
    default:
      return false;
  }
}

// Puts `replacement` in the place of `target`. With a backup name given,
// ReplaceFileW leaves the old file under one of the two names whatever
// fails, so that it is never lost.
bool PutInPlace(const std::wstring& replacement, const std::wstring& target, std::wstring& why) {
  if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetLastError() == ERROR_FILE_NOT_FOUND) {
    return MoveFileExW(replacement.c_str(), target.c_str(), kMoveFlags) ||
           Failure(GetLastError(), why);
  }
  wchar_t backup[MAX_PATH] = {};
  if (!GetTempFileNameW(FolderOf(target).c_str(), kBackupPrefix, 0, backup))
    return Failure(GetLastError(), why);
  DeleteFileW(backup);  // only its name is needed
  if (ReplaceFileW(target.c_str(), replacement.c_str(), backup, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    DeleteFileW(backup);
    return true;
  }
  const DWORD replaceError = GetLastError();
  if (replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    // The old file is under the backup's name, the new one under its own.
    if (MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(backup);
      return true;
    }
    const DWORD moveError = GetLastError();
    if (MoveFileExW(backup, target.c_str(), MOVEFILE_WRITE_THROUGH)) return Failure(moveError, why);
    why = SystemErrorText(moveError) + L"\nDie alte Datei hei\u00DFt jetzt " + backup;
    return false;
  }
  // The old file is in its place: a backup that may have been made goes.
  if (Exists(target)) DeleteFileW(backup);
  if (!MoveMayReplace(replaceError)) return Failure(replaceError, why);
  return MoveFileExW(replacement.c_str(), target.c_str(), kMoveFlags) ||
         Failure(GetLastError(), why);
}

}  // namespace

std::wstring SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length ? std::wstring(text, length) : L"Fehler " + std::to_wstring(error);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes, std::wstring& why) {
  wchar_t temporary[MAX_PATH] = {};
  // Makes the new file, empty, under a name of its own in the target's folder.
  if (!GetTempFileNameW(FolderOf(path).c_str(), kTemporaryPrefix, 0, temporary))
    return Failure(GetLastError(), why);
  bool written = WriteNewFile(temporary, bytes, why);
  // Windows refuses to replace a read-only file; some systems that run
  // Windows programs do not, so the program refuses it itself.
  if (written && IsReadOnly(path)) written = Failure(ERROR_ACCESS_DENIED, why);
  if (written) written = PutInPlace(temporary, path, why);
  if (!written) DeleteFileW(temporary);
  return written;
}

FileReading ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& why) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    why = SystemErrorText(error);
    return IsGone(path, error) ? FileReading::Missing : FileReading::Failed;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) {
    why = SystemErrorText(GetLastError());
    return FileReading::Failed;
  }
  if (size.QuadPart > kMaxReadFileBytes) {
    why = L"gr\u00F6\u00DFer als " + std::to_wstring(kMaxReadFileBytes >> 20) + L" MiB";
    return FileReading::TooLarge;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  if (bytes.empty()) return FileReading::Read;
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    why = SystemErrorText(GetLastError());
    return FileReading::Failed;
  }
  if (read != bytes.size()) {
    why = ShortTransferText(read, bytes.size(), L"gelesen");
    return FileReading::Failed;
  }
  return FileReading::Read;
}
