#include "export/WholeFile.h"

#include <algorithm>

namespace {

constexpr const char* kTemporaryPrefix = "frx";

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

// The folder a path names its file in; "." for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || path[slash - 1] == ':') return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// Writes all of bytes; the chunks stay below what a DWORD counts.
bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr size_t kChunkBytes = size_t{1} << 30;
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunkBytes));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written != chunk) return false;
    bytes.remove_prefix(chunk);
  }
  return true;
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

std::string SystemErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "Fehler " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& why) {
  char temporary[MAX_PATH] = {};
  // Makes the new file, empty, under a name of its own in the target's folder.
  if (!GetTempFileNameA(FolderOf(path).c_str(), kTemporaryPrefix, 0, temporary)) {
    why = SystemErrorText(GetLastError());
    return false;
  }
  FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  bool written = file.Valid() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
  DWORD error = written ? ERROR_SUCCESS : GetLastError();
  if (!file.Close() && written) {
    written = false;
    error = GetLastError();
  }
  // Windows refuses to move a file over a read-only one; some systems that
  // run Windows programs do not, so the program refuses it itself.
  if (written && IsReadOnly(path)) {
    written = false;
    error = ERROR_ACCESS_DENIED;
  }
  if (written &&
      !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    written = false;
    error = GetLastError();
  }
  if (!written) {
    DeleteFileA(temporary);
    why = SystemErrorText(error);
  }
  return written;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& why) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size)) {
    why = SystemErrorText(GetLastError());
    return false;
  }
  if (size.QuadPart > kMaxReadFileBytes) {
    why =
        "gr\xF6\xDF"
        "er als " +
        std::to_string(kMaxReadFileBytes >> 20) + " MiB";
    return false;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size())) {
    why = SystemErrorText(GetLastError());
    return false;
  }
  return true;
}
