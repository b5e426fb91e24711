#include "shell/StandardStreams.h"

#include <string>

#include "windowing/ProgramText.h"

namespace {

// A handle that leads to a file or a pipe, or to a device (NUL) other than
// a console: written as it is.
bool IsRedirected(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return true;
  DWORD mode = 0;
  return type == FILE_TYPE_CHAR && !GetConsoleMode(handle, &mode);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

}  // namespace

StandardStreams::StandardStreams() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  const bool outputRedirected = IsRedirected(output);
  const bool errorRedirected = IsRedirected(error);
  if (outputRedirected || IsConsole(output)) Output = {output, !outputRedirected};
  if (errorRedirected || IsConsole(error)) ErrorOutput = {error, !errorRedirected};
  if (Output.Handle != INVALID_HANDLE_VALUE && ErrorOutput.Handle != INVALID_HANDLE_VALUE) return;
  // Started from a console without a redirection: write on that console.
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
  ConsoleOutput = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (!IsConsole(ConsoleOutput)) return;
  if (Output.Handle == INVALID_HANDLE_VALUE) Output = {ConsoleOutput, true};
  if (ErrorOutput.Handle == INVALID_HANDLE_VALUE) ErrorOutput = {ConsoleOutput, true};
}

StandardStreams::~StandardStreams() {
  if (ConsoleOutput != INVALID_HANDLE_VALUE) CloseHandle(ConsoleOutput);
}

void StandardStreams::Write(const Stream& stream, const std::wstring& text) {
  if (stream.Handle == INVALID_HANDLE_VALUE || text.empty()) return;
  if (stream.Console) {
    DWORD written = 0;
    WriteConsoleW(stream.Handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = Utf8FromWide(text);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(stream.Handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                   &written, nullptr) ||
        written == 0)
      return;
    done += written;
  }
}
