#include "shell/commands/FileCommands.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "capture/MessageBoxes.h"
#include "display/TMainClient.h"
#include "export/FileDialogs.h"
#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"
#include "export/PictureBitmap.h"
#include "export/PictureTransfer.h"
#include "export/WholeFile.h"
#include "measurement/Measurement.h"
#include "measurement/ReferenceLevels.h"
#include "resources/ResourceIds.h"
#include "shell/ExportTable.h"
#include "shell/TLayClient.h"
#include "shell/TMainFrame.h"
#include "windowing/ProgramText.h"

namespace {

// "1000 Hz bis 1100 Hz, 10,0 bis -140,0 dBFS": frequencies to the
// thousandth of a hertz and levels to the tenth, trailing zeros of the
// frequencies left out; a decimal comma.
std::string RangeText(const TMainClient& view, const std::string& unit) {
  const auto number = [](double value, int decimals, bool trim) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string digits(text);
    if (trim && digits.find('.') != std::string::npos) {
      while (digits.back() == '0') digits.pop_back();
      if (digits.back() == '.') digits.pop_back();
    }
    for (char& c : digits)
      if (c == '.') c = ',';
    return digits;
  };
  constexpr int kHzDecimals = 3;
  constexpr int kDbDecimals = 1;
  return number(view.RangeShown().LowHz(), kHzDecimals, true) + " Hz bis " +
         number(view.RangeShown().HighHz(), kHzDecimals, true) + " Hz, " +
         number(view.ShownTopDb(), kDbDecimals, false) + " bis " +
         number(view.ShownBottomDb(), kDbDecimals, false) + " " + unit;
}

// What the reader needs of a file's name, its type: the name with each
// character outside ASCII replaced.
std::string AsciiName(const std::wstring& path) {
  std::string name;
  for (const wchar_t c : path) name += c < 0x80 ? static_cast<char>(c) : '_';
  return name;
}

}  // namespace

const CommandRow<FileCommands> FileCommands::kRows[] = {
    {CMD_EXPORT_SPECTRUM, 0, nullptr, &FileCommands::CmExportSpectrum},
    {CMD_COPY_PICTURE, 0, nullptr, &FileCommands::CmCopyPicture},
    {CMD_SAVE_PICTURE, 0, nullptr, &FileCommands::CmSavePicture},
    {CMD_REFERENCE_TAKE, 0, nullptr, &FileCommands::CmTakeReference},
    {CMD_REFERENCE_LOAD, 0, nullptr, &FileCommands::CmLoadReference},
    {CMD_REFERENCE_REMOVE, 0, nullptr, &FileCommands::CmRemoveReference},
};

bool FileCommands::Command(UINT command) {
  return DispatchCommand(*this, kRows, command);
}

void FileCommands::ShowFailure(const char* what, const std::wstring& path,
                               const std::wstring& why) {
  ShowError(Context.Frame.GetHandle(),
            WideProgramText(what) + (path.empty() ? L"" : L": " + path) + L"\n" + why);
}

// Greys what cannot be done now: the spectrum's commands before one is
// shown, "Referenz &entfernen" without a reference.
void FileCommands::MenuOpening(HMENU, UINT position) {
  if (position != TMainFrame::kProgramMenuPosition && position != TMainFrame::kViewMenuPosition)
    return;
  const HMENU menu = GetMenu(Context.Frame.GetHandle());
  const UINT spectrum = Context.View.HasSpectrum() ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, CMD_EXPORT_SPECTRUM, MF_BYCOMMAND | spectrum);
  EnableMenuItem(menu, CMD_REFERENCE_TAKE, MF_BYCOMMAND | spectrum);
  EnableMenuItem(menu, CMD_REFERENCE_REMOVE,
                 MF_BYCOMMAND | (Context.View.HasReference() ? MF_ENABLED : MF_GRAYED));
}

void FileCommands::CmExportSpectrum(UINT) {
  if (!Context.View.HasSpectrum()) return;
  LevelTable table = ExportTableOf(Context.View.Shown());
  table.Header.ShownRange = RangeText(Context.View, Context.View.Shown().Unit);
  const std::optional<SpectrumFileChoice> choice =
      FileDialogCalls().SaveSpectrum(Context.Frame.GetHandle());
  if (!choice) return;
  std::wstring why;
  if (!WriteWholeFile(choice->Path, WriteSpectrumFile(table, choice->Type), why))
    ShowFailure("Spektrum nicht exportiert", choice->Path, why);
}

std::unique_ptr<PictureBitmap> FileCommands::Picture(std::wstring& why) {
  const SIZE size = Context.Layout.PictureSize();
  if (size.cx <= 0 || size.cy <= 0) {
    why = L"Das Fenster ist zu klein f\u00FCr ein Bild.";
    return nullptr;
  }
  auto picture = std::make_unique<PictureBitmap>(size.cx, size.cy);
  Context.Layout.DrawPicture(*picture);
  return picture;
}

void FileCommands::CmCopyPicture(UINT) {
  std::wstring why;
  const std::unique_ptr<PictureBitmap> picture = Picture(why);
  if (!picture || !CopyPictureToClipboard(Context.Frame.GetHandle(), *picture, why))
    ShowFailure("Bild nicht kopiert", L"", why);
}

void FileCommands::CmSavePicture(UINT) {
  std::wstring why;
  const std::unique_ptr<PictureBitmap> picture = Picture(why);
  if (!picture) {
    ShowFailure("Bild nicht gespeichert", L"", why);
    return;
  }
  const std::optional<std::wstring> path = FileDialogCalls().SavePicture(Context.Frame.GetHandle());
  if (!path) return;
  std::string png;
  if (!EncodePng(*picture, png, why) || !WriteWholeFile(*path, png, why))
    ShowFailure("Bild nicht gespeichert", *path, why);
}

void FileCommands::CmTakeReference(UINT) {
  if (!Context.View.HasSpectrum()) return;
  Context.View.SetReference(ReferenceLevels::FromShown(Context.View.Shown()));
  ReferenceFile.clear();
  Context.StoreChoices(Context.Frame);
}

void FileCommands::CmLoadReference(UINT) {
  const std::optional<std::wstring> path =
      FileDialogCalls().OpenReference(Context.Frame.GetHandle());
  if (!path) return;
  std::wstring why;
  if (LoadReference(*path, why) != ReferenceLoad::Shown) {
    ShowFailure("Referenz nicht geladen", *path, why);
    return;
  }
  ReferenceFile = *path;
  Context.StoreChoices(Context.Frame);
}

void FileCommands::CmRemoveReference(UINT) {
  Reset();
  Context.StoreChoices(Context.Frame);
}

void FileCommands::Reset() {
  Context.View.SetReference(std::nullopt);
  ReferenceFile.clear();
}

void FileCommands::LoadRemembered() {
  std::wstring why;
  if (!ReferenceFile.empty() && LoadReference(ReferenceFile, why) == ReferenceLoad::Refused)
    ReferenceFile.clear();
}

FileCommands::ReferenceLoad FileCommands::LoadReference(const std::wstring& path,
                                                        std::wstring& why) {
  std::string bytes;
  const FileReading file = ReadWholeFile(path, bytes, why);
  if (file == FileReading::Failed) return ReferenceLoad::Unreadable;
  if (file != FileReading::Read) return ReferenceLoad::Refused;
  SpectrumFileReading reading = ReadSpectrumFile(bytes, AsciiName(path));
  if (!reading.Read) {
    why = WideProgramText(
        (reading.FaultLine ? "Zeile " + std::to_string(reading.FaultLine) + ": " : "") +
        reading.Fault);
    return ReferenceLoad::Refused;
  }
  Context.View.SetReference(ReferenceLevels::FromTable(std::move(reading.Table)));
  return ReferenceLoad::Shown;
}
