#pragma once

#include <windows.h>

#include <string>

// Standard output and standard error of the program started from a script
// or a console. A GUI program gets no console of its own: a stream that is
// redirected (a file or a pipe) is written where it leads, in UTF-8; one
// that is not is written on the console the program was started from
// (attached for it), as UTF-16 text, which the console shows whatever its
// code page; without either the text is dropped. Windows only; main thread.
class StandardStreams {
 public:
  StandardStreams();
  ~StandardStreams();
  StandardStreams(const StandardStreams&) = delete;
  StandardStreams& operator=(const StandardStreams&) = delete;

  void Out(const std::wstring& text) { Write(Output, text); }
  void Error(const std::wstring& text) { Write(ErrorOutput, text); }

 private:
  struct Stream {
    HANDLE Handle = INVALID_HANDLE_VALUE;
    bool Console = false;  // WriteConsoleW; otherwise UTF-8 bytes by WriteFile
  };

  static void Write(const Stream& stream, const std::wstring& text);

  Stream Output;
  Stream ErrorOutput;
  HANDLE ConsoleOutput = INVALID_HANDLE_VALUE;  // CONOUT$ of the attached console, owned
};
