#pragma once

#include <string>
#include <string_view>

// The program's own texts (captions, messages, the spectrum files' faults)
// are Windows-1252 byte strings, as its menu is. A text that joins one with
// something of the user's, a path, is UTF-16 instead; this converts the
// program's part, whatever the system's code page is. Windows only.
std::wstring WideProgramText(std::string_view windows1252);

// A UTF-16 text (a path, an argument) as a program text, a character that
// Windows-1252 lacks as '?'.
std::string ProgramTextFromWide(std::wstring_view wide);

// UTF-8, as scripts and the command line's parser take texts, and back.
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);
