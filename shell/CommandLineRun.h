#pragma once

#include <string>
#include <vector>

#include "recording/CommandLineParser.h"
#include "shell/StandardStreams.h"

// The program's arguments (without its own name) as the system passed them.
std::vector<std::wstring> ProgramArguments();

// The arguments in UTF-8, as CommandLineParser reads them.
std::vector<std::string> Utf8Arguments(const std::vector<std::wstring>& arguments);

// Carries out what the command line asks for other than starting the window
// (REQUIRES: parsed.Action is not kStartWindow), without a window and without
// a display: the usage text, the refusal of bad arguments, or the analysis
// of a recording with its spectrum file and picture written as the menu
// writes them and each channel's strongest line on standard output. Every
// fault goes to standard error in German. Returns the exit status
// (kExitAnalysed, kExitBadArguments, kExitRecordingRefused).
int RunCommandLine(const ParsedCommandLine& parsed, StandardStreams& streams);
