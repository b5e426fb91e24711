#include "export/FileDialogs.h"

#include <commdlg.h>

#include <cctype>
#include <iterator>

namespace {

// Windows-1252, as the menu is; pairs of a type's name and its pattern.
constexpr char kSpectrumTypes[] =
    "Text mit Tabulatoren (*.txt)\0*.txt\0CSV f\xFCr Tabellenkalkulation (*.csv)\0*.csv\0"
    "Frequenzgang, linker Kanal (*.txt)\0*.txt\0Frequenzgang, rechter Kanal (*.txt)\0*.txt\0";
// The types in the order of kSpectrumTypes; nFilterIndex counts from 1.
constexpr SpectrumFileType kSpectrumTypeOrder[] = {
    SpectrumFileType::TabText, SpectrumFileType::SpreadsheetCsv, SpectrumFileType::LeftResponse,
    SpectrumFileType::RightResponse};
constexpr char kPictureTypes[] = "PNG-Bild (*.png)\0*.png\0";
constexpr char kReferenceTypes[] =
    "Spektren (*.txt, *.csv, *.frd)\0*.txt;*.csv;*.frd\0Alle Dateien (*.*)\0*.*\0";

bool EndsWith(const std::string& path, const char* ending) {
  const std::string tail(ending);
  if (path.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(path[path.size() - tail.size() + i])) != tail[i])
      return false;
  return true;
}

// Runs the dialog; the chosen path, or nothing when cancelled.
std::optional<std::string> Ask(HWND owner, const char* title, const char* types,
                               const char* defaultExtension, bool save, DWORD* typeIndex) {
  char path[MAX_PATH] = {};
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = types;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrTitle = title;
  dialog.lpstrDefExt = defaultExtension;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return std::nullopt;
  if (typeIndex) *typeIndex = dialog.nFilterIndex;
  return std::string(path);
}

std::optional<SpectrumFileChoice> AskSaveSpectrum(HWND owner) {
  DWORD typeIndex = 1;
  const std::optional<std::string> path =
      Ask(owner, "Spektrum exportieren", kSpectrumTypes, "txt", true, &typeIndex);
  if (!path) return std::nullopt;
  SpectrumFileType type = typeIndex >= 1 && typeIndex <= std::size(kSpectrumTypeOrder)
                              ? kSpectrumTypeOrder[typeIndex - 1]
                              : SpectrumFileType::TabText;
  if (EndsWith(*path, ".csv")) type = SpectrumFileType::SpreadsheetCsv;
  if (EndsWith(*path, ".txt") && type == SpectrumFileType::SpreadsheetCsv)
    type = SpectrumFileType::TabText;
  return SpectrumFileChoice{*path, type};
}

std::optional<std::string> AskSavePicture(HWND owner) {
  return Ask(owner, "Bild speichern", kPictureTypes, "png", true, nullptr);
}

std::optional<std::string> AskOpenReference(HWND owner) {
  return Ask(owner, "Referenz laden", kReferenceTypes, nullptr, false, nullptr);
}

}  // namespace

FileDialogs& FileDialogCalls() {
  static FileDialogs calls{&AskSaveSpectrum, &AskSavePicture, &AskOpenReference};
  return calls;
}
