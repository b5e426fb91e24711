#include "recording/CommandLineParser.h"

#include <cstring>

#include "analysis/WeightingWindow.h"
#include "analysis/levels/LevelChoice.h"
#include "export/HeaderTexts.h"
#include "settings/SettingsTable.h"

namespace {

constexpr const char* kUsageHint = "Frelox.exe /? nennt die Optionen.";

struct NamedValue {
  const char* Name;
  int32_t Value;
};

constexpr NamedValue kLevelScaleNames[] = {
    {"unkorrigiert", kScaleUncorrected}, {"sinus", kScaleSine}, {"dichte", kScaleNoiseDensity}};
constexpr NamedValue kWeightingNames[] = {{"A", kWeightingA}, {"C", kWeightingC}};
constexpr NamedValue kOffsetNames[] = {{"ein", 1}, {"aus", 0}};

enum class Option { kAnalyse, kSpectrum, kPicture, kPoints, kWindow, kScale, kWeighting, kOffset };
constexpr NamedValue kOptionNames[] = {
    {"analysieren", static_cast<int32_t>(Option::kAnalyse)},
    {"spektrum", static_cast<int32_t>(Option::kSpectrum)},
    {"bild", static_cast<int32_t>(Option::kPicture)},
    {"punkte", static_cast<int32_t>(Option::kPoints)},
    {"fenster", static_cast<int32_t>(Option::kWindow)},
    {"pegel", static_cast<int32_t>(Option::kScale)},
    {"bewertung", static_cast<int32_t>(Option::kWeighting)},
    {"offset", static_cast<int32_t>(Option::kOffset)},
};
constexpr size_t kOptionCount = sizeof kOptionNames / sizeof kOptionNames[0];

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool EndsWith(const std::string& text, const char* ending) {
  const size_t length = std::strlen(ending);
  return text.size() > length && SameText(text.substr(text.size() - length), ending);
}

const SettingDefinition& Setting(const char* storedName) {
  for (const SettingDefinition& setting : kSettings)
    if (std::strcmp(setting.StoredName, storedName) == 0) return setting;
  throw std::logic_error(storedName);
}

int32_t FirstStartValue(const char* storedName) {
  return Setting(storedName).Default;
}

template <size_t N>
const NamedValue* Find(const NamedValue (&names)[N], const std::string& text) {
  for (const NamedValue& named : names)
    if (SameText(text, named.Name)) return &named;
  return nullptr;
}

// The option an argument names ("/punkte", "-PUNKTE"), or null.
const NamedValue* OptionNamed(const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return nullptr;
  return Find(kOptionNames, argument.substr(1));
}

bool IsUsageRequest(const std::string& argument) {
  return argument == "/?" || argument == "-?";
}

ParsedCommandLine Refused(const std::string& reason) {
  ParsedCommandLine parsed;
  parsed.Action = CommandLineAction::kRefuse;
  parsed.Error = reason + "\n" + kUsageHint + "\n";
  return parsed;
}

// Reads one option's value into the request; an empty answer means it was good.
std::string TakeValue(Option option, const std::string& name, const std::string& value,
                      RecordingRequest& request) {
  const std::string bad = "Der Wert \"" + value + "\" passt nicht zu " + name + ": ";
  switch (option) {
    case Option::kAnalyse:
      request.RecordingPath = value;
      return "";
    case Option::kSpectrum:
      if (!EndsWith(value, ".txt") && !EndsWith(value, ".csv"))
        return bad + "der Name endet auf .txt oder .csv.";
      request.SpectrumPath = value;
      request.SpectrumAsCsv = EndsWith(value, ".csv");
      return "";
    case Option::kPicture:
      if (!EndsWith(value, ".png")) return bad + "der Name endet auf .png.";
      request.PicturePath = value;
      return "";
    case Option::kPoints: {
      const bool digits = !value.empty() && value.size() <= 6 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      const int32_t points = digits ? std::stoi(value) : 0;
      if (!digits || points == 0 || !Setting("FftSize").IsLegal(points))
        return bad + "1024, 2048, 4096, ... bis 262144.";
      request.Analysis.FftSize = points;
      return "";
    }
    case Option::kWindow:
      for (int32_t window = 0; window < kWindowCount; ++window) {
        if (SameText(value, WindowName(window))) {
          request.Analysis.Weighting = window;
          return "";
        }
      }
      return bad + "Aus, Dreieck, Hanning, Welch, Hamming, Blackman oder Parzen.";
    case Option::kScale:
      if (const NamedValue* scale = Find(kLevelScaleNames, value)) {
        request.LevelScale = scale->Value;
        return "";
      }
      return bad + "sinus, dichte oder unkorrigiert.";
    case Option::kWeighting:
      if (const NamedValue* weighting = Find(kWeightingNames, value)) {
        request.FrequencyWeighting = weighting->Value;
        return "";
      }
      return bad + "A oder C.";
    case Option::kOffset:
      if (const NamedValue* offset = Find(kOffsetNames, value)) {
        request.Analysis.AutoOffset = offset->Value;
        return "";
      }
      return bad + "ein oder aus.";
  }
  return bad;
}

}  // namespace

ParsedCommandLine CommandLineParser::Parse(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  if (arguments.empty()) return parsed;
  for (const std::string& argument : arguments) {
    if (IsUsageRequest(argument)) {
      parsed.Action = CommandLineAction::kShowUsage;
      return parsed;
    }
  }

  RecordingRequest& request = parsed.Request;
  request.Analysis.FftSize = FirstStartValue("FftSize");
  request.Analysis.Weighting = FirstStartValue("Weighting");
  request.Analysis.AutoOffset = FirstStartValue("AutoOffset");
  request.LevelScale = FirstStartValue("LevelScale");
  request.FrequencyWeighting = FirstStartValue("FrequencyWeighting");

  bool given[kOptionCount] = {};
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const NamedValue* option = OptionNamed(argument);
    if (option == nullptr) {
      if (argument.size() > 1 && (argument[0] == '/' || argument[0] == '-'))
        return Refused("Unbekannte Option \"" + argument + "\".");
      return Refused("Das Argument \"" + argument + "\" steht ohne Option.");
    }
    const std::string name = std::string("/") + option->Name;
    if (given[option->Value]) return Refused(name + " ist zweimal angegeben.");
    given[option->Value] = true;
    if (i + 1 == arguments.size() || OptionNamed(arguments[i + 1]) != nullptr)
      return Refused("Nach " + name + " fehlt der Wert.");
    const std::string fault =
        TakeValue(static_cast<Option>(option->Value), name, arguments[++i], request);
    if (!fault.empty()) return Refused(fault);
  }
  if (!given[static_cast<int32_t>(Option::kAnalyse)])
    return Refused("Es fehlt /analysieren mit der Aufnahme (einer Wave-Datei).");
  parsed.Action = CommandLineAction::kAnalyse;
  return parsed;
}

std::string CommandLineParser::UsageText() {
  const std::string points = std::to_string(FirstStartValue("FftSize"));
  const std::string window = WindowName(FirstStartValue("Weighting"));
  const std::string offset = FirstStartValue("AutoOffset") ? "ein" : "aus";
  return "Aufruf: Frelox.exe /analysieren AUFNAHME.wav [/spektrum AUS.txt|AUS.csv]\n"
         "         [/bild AUS.png] [/punkte 8192] [/fenster Blackman]\n"
         "         [/pegel sinus|dichte|unkorrigiert] [/bewertung A|C] [/offset ein|aus]\n"
         "\n"
         "Analysiert eine Aufnahme ohne Fenster: das gemittelte Spektrum aller Bl\xF6"
         "cke\n"
         "(je einer alle halbe Blockl\xE4nge). Die Standardausgabe nennt je Kanal die\n"
         "st\xE4rkste Linie: Kanal, Frequenz in Hz, Pegel und Einheit, durch Tabulatoren\n"
         "getrennt, mit Dezimalpunkt.\n"
         "\n"
         "  /analysieren  die Wave-Datei: PCM mit 8, 16, 24 oder 32 Bit oder Gleitkomma\n"
         "                mit 32 Bit, Mono oder Stereo, 8000 bis 192000 Hz\n"
         "  /spektrum     schreibt das Spektrum als Text mit Tabulatoren (.txt) oder\n"
         "                als CSV f\xFCr Tabellenkalkulation (.csv)\n"
         "  /bild         schreibt das Bild des Spektrums als PNG-Datei\n"
         "  /punkte       St\xFCtzpunkte je Block, 1024 bis 262144 (ohne Angabe " +
         points +
         ")\n"
         "  /fenster      Bewertungsfenster: Aus, Dreieck, Hanning, Welch, Hamming,\n"
         "                Blackman, Parzen (ohne Angabe " +
         window +
         ")\n"
         "  /pegel        sinus (dBFS), dichte (dB/Hz) oder unkorrigiert (dB, ohne Angabe)\n"
         "  /bewertung    Frequenzbewertung A oder C (ohne Angabe keine)\n"
         "  /offset       automatische Offsetkorrektur ein oder aus (ohne Angabe " +
         offset +
         ")\n"
         "\n"
         "Optionen auch mit - statt /, gro\xDF oder klein geschrieben.\n"
         "Exit-Status: 0 fertig, 2 falsche Argumente, 3 Datei nicht lesbar oder abgelehnt.\n";
}
