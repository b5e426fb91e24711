#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/RecordingAnalyser.h"

// The program's exit status after a command-line analysis.
constexpr int32_t kExitAnalysed = 0;
constexpr int32_t kExitBadArguments = 2;
constexpr int32_t kExitRecordingRefused = 3;  // the file cannot be read or is refused

// What the command line asks for.
enum class CommandLineAction {
  kStartWindow,  // no arguments: the program starts as usual
  kShowUsage,    // "/?": print UsageText() and end with kExitAnalysed
  kAnalyse,      // analyse Request's recording without a window
  kRefuse,       // bad arguments: print Error and end with kExitBadArguments
};

// A recording to analyse from a script. What is not given is the first
// start's setting, whatever the menu chose last: a script's result does not
// depend on who used the program before.
struct RecordingRequest {
  std::string RecordingPath;         // "/analysieren"
  std::string SpectrumPath;          // "/spektrum", empty for none
  bool SpectrumAsCsv = false;        // the name ends in .csv (else .txt)
  std::string PicturePath;           // "/bild", empty for none
  RecordingAnalysisChoice Analysis;  // "/punkte", "/fenster", "/offset"
  int32_t LevelScale = 0;            // "/pegel": a LevelScaleKind
  int32_t FrequencyWeighting = 0;    // "/bewertung": a FrequencyWeightingKind
};

struct ParsedCommandLine {
  CommandLineAction Action = CommandLineAction::kStartWindow;
  RecordingRequest Request;
  // kRefuse: the fault and where to find the usage, in UTF-8: the arguments
  // are quoted as given, the parser's own words are ASCII.
  std::string Error;
};

// Reads the program's arguments (without the program's own name; texts in
// UTF-8, file names passed on as given): "/analysieren AUFNAHME.wav"
// [/spektrum AUS.txt|AUS.csv] [/bild AUS.png] [/punkte N] [/fenster NAME]
// [/pegel sinus|dichte|unkorrigiert] [/bewertung A|C] [/offset ein|aus], or
// "/?". Option names and values in any case, with '-' for '/' too; each
// option at most once.
class CommandLineParser {
 public:
  static ParsedCommandLine Parse(const std::vector<std::string>& arguments);
  // The text "/?" prints, lines ending in '\n' (Windows-1252).
  static std::string UsageText();
};
