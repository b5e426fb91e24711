#include "shell/CommandLineRun.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "display/ViewComposition.h"
#include "export/LevelFileWriter.h"
#include "export/PictureBitmap.h"
#include "export/PictureTransfer.h"
#include "export/WholeFile.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "recording/FileByteSource.h"
#include "recording/PeakReport.h"
#include "recording/RecordingAnalyser.h"
#include "recording/RecordingLevels.h"
#include "recording/RecordingNote.h"
#include "settings/SettingsTable.h"
#include "shell/ExportTable.h"
#include "windowing/ProgramText.h"

namespace {

// The picture's size: the axis frame of a window's client area of this size.
constexpr SIZE kPictureSizePx{1000, 600};

// The file's own name, without its folder, as a header states the input
// (Windows-1252; a character it lacks becomes '?').
std::string HeaderName(const std::wstring& path) {
  return ProgramTextFromWide(FileNameOf(path));
}

// "what: path", then the reason, on standard error.
void Fail(StandardStreams& streams, const char* what, const std::wstring& path,
          const std::wstring& why) {
  streams.Error(WideProgramText(what) + L": " + path + L"\n" + why + L"\n");
}

// The process-wide range and settings as a first start has them, the
// request's choices in them: what the peak finder and the picture read.
void StoreRequestedSettings(const RecordingRequest& request) {
  Range = kFixedDisplayRange;
  StoreDefaultSettings();
  Write(Settings.FftSize, request.Analysis.FftSize);
  Write(Settings.Weighting, request.Analysis.Weighting);
  Write(Settings.AutoOffset, request.Analysis.AutoOffset);
  Settings.LevelScale = request.LevelScale;
  Settings.FrequencyWeighting = request.FrequencyWeighting;
}

int Analyse(const RecordingRequest& request, StandardStreams& streams) {
  StoreRequestedSettings(request);
  const char* const notAnalysed = "Aufnahme nicht analysiert";
  const std::wstring path = WideFromUtf8(request.RecordingPath);
  std::wstring why;
  FileByteSource source;
  if (source.Open(path, why) != FileByteSource::Opening::kOpened) {
    Fail(streams, notAnalysed, path, why);
    return kExitRecordingRefused;
  }
  WaveFileReader reader(source);
  if (!reader.Open()) {
    Fail(streams, notAnalysed, path, WideProgramText(reader.Error()));
    return kExitRecordingRefused;
  }
  RecordingAnalyser analyser;
  RecordingResult spectrum;
  if (analyser.Analyse(reader, request.Analysis, {}, spectrum) !=
      RecordingAnalyser::Outcome::kDone) {
    Fail(streams, notAnalysed, path, WideProgramText(analyser.Error()));
    return kExitRecordingRefused;
  }
  if (spectrum.Truncated)
    streams.Error(
        path + L"\n" +
        WideProgramText("Die Datei ist abgeschnitten: analysiert, so weit sie reicht.\n"));

  const AnalysedLevels levels = LevelsOfRecording(spectrum, HeaderName(path));
  const LevelChoice choice{request.LevelScale, request.FrequencyWeighting, std::nullopt};
  ShownMeasurementBuilder builder;
  const auto shown = std::make_unique<ShownMeasurement>();
  builder.Build(levels, choice, *shown);
  streams.Out(WideProgramText(PeakReportText(ChannelPeakLines(*shown, spectrum.Channels))));

  int status = kExitAnalysed;
  if (!request.SpectrumPath.empty()) {
    const std::wstring spectrumPath = WideFromUtf8(request.SpectrumPath);
    const SpectrumFileType type =
        request.SpectrumAsCsv ? SpectrumFileType::SpreadsheetCsv : SpectrumFileType::TabText;
    if (!WriteWholeFile(spectrumPath, WriteSpectrumFile(ExportTableOf(*shown), type), why)) {
      Fail(streams, "Spektrum nicht exportiert", spectrumPath, why);
      status = kExitRecordingRefused;
    }
  }
  if (!request.PicturePath.empty()) {
    const std::wstring picturePath = WideFromUtf8(request.PicturePath);
    PictureBitmap picture(kPictureSizePx.cx, kPictureSizePx.cy);
    DrawSpectrumPicture(picture, kPictureSizePx, *shown);
    std::string png;
    if (!EncodePng(picture, png, why) || !WriteWholeFile(picturePath, png, why)) {
      Fail(streams, "Bild nicht gespeichert", picturePath, why);
      status = kExitRecordingRefused;
    }
  }
  return status;
}

}  // namespace

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(words[i]);
  LocalFree(words);
  return arguments;
}

std::vector<std::string> Utf8Arguments(const std::vector<std::wstring>& arguments) {
  std::vector<std::string> utf8;
  for (const std::wstring& argument : arguments) utf8.push_back(Utf8FromWide(argument));
  return utf8;
}

int RunCommandLine(const ParsedCommandLine& parsed, StandardStreams& streams) {
  switch (parsed.Action) {
    case CommandLineAction::kShowUsage:
      streams.Out(WideProgramText(CommandLineParser::UsageText()));
      return kExitAnalysed;
    case CommandLineAction::kRefuse:
      streams.Error(WideFromUtf8(parsed.Error));
      return kExitBadArguments;
    case CommandLineAction::kAnalyse:
      try {
        return Analyse(parsed.Request, streams);
      } catch (const std::exception& error) {
        // No room for the analysis' arrays or the picture.
        Fail(streams, "Aufnahme nicht analysiert", WideFromUtf8(parsed.Request.RecordingPath),
             WideProgramText(error.what()));
        return kExitRecordingRefused;
      }
    case CommandLineAction::kStartWindow:
      break;
  }
  return kExitBadArguments;
}
