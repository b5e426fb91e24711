#include "export/FileDialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include <cwctype>
#include <iterator>

#include "capture/MessageBoxes.h"

namespace {

// Pairs of a type's name and its pattern.
constexpr wchar_t kSpectrumTypes[] =
    L"Text mit Tabulatoren (*.txt)\0*.txt\0CSV f\u00FCr Tabellenkalkulation (*.csv)\0*.csv\0"
    L"Frequenzgang, linker Kanal (*.txt)\0*.txt\0Frequenzgang, rechter Kanal (*.txt)\0*.txt\0";
// The types in the order of kSpectrumTypes; nFilterIndex counts from 1.
constexpr SpectrumFileType kSpectrumTypeOrder[] = {
    SpectrumFileType::TabText, SpectrumFileType::SpreadsheetCsv, SpectrumFileType::LeftResponse,
    SpectrumFileType::RightResponse};
constexpr wchar_t kPictureTypes[] = L"PNG-Bild (*.png)\0*.png\0";
constexpr wchar_t kReferenceTypes[] =
    L"Spektren (*.txt, *.csv, *.frd)\0*.txt;*.csv;*.frd\0Alle Dateien (*.*)\0*.*\0";
constexpr wchar_t kRecordingTypes[] =
    L"Wave-Dateien (*.wav)\0*.wav;*.wave\0Alle Dateien (*.*)\0*.*\0";
// The longest path the system's wide functions take, with its terminating zero.
constexpr DWORD kMaxPathChars = 32768;

bool EndsWith(const std::wstring& path, const wchar_t* ending) {
  const std::wstring tail(ending);
  if (path.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::towlower(path[path.size() - tail.size() + i]) != tail[i]) return false;
  return true;
}

// The Open dialog moves the process's current folder to the chosen file's
// whatever OFN_NOCHANGEDIR says, which keeps a stick from being ejected:
// this puts it back.
class CurrentFolderKept {
 public:
  CurrentFolderKept() : Folder(kMaxPathChars, L'\0') {
    Folder.resize(GetCurrentDirectoryW(kMaxPathChars, Folder.data()));
  }
  ~CurrentFolderKept() {
    if (!Folder.empty()) SetCurrentDirectoryW(Folder.c_str());
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

 private:
  std::wstring Folder;
};

// What failed, for the "Error" box; the dialog's own code in any case.
std::wstring DialogFailureText(const wchar_t* title, DWORD code) {
  std::wstring reason;
  if (code == FNERR_BUFFERTOOSMALL)
    reason = L"Der Pfad ist zu lang. ";
  else if (code == FNERR_INVALIDFILENAME)
    reason = L"Der Dateiname ist ung\u00FCltig. ";
  else if (code == CDERR_MEMALLOCFAILURE || code == CDERR_MEMLOCKFAILURE)
    reason = L"Zu wenig Speicher. ";
  wchar_t number[16];
  swprintf(number, sizeof number / sizeof number[0], L"0x%04lX", static_cast<unsigned long>(code));
  return std::wstring(title) + L": Dateiauswahl fehlgeschlagen\n" + reason + L"(Fehler " + number +
         L")";
}

// Runs the dialog; the chosen path, or nothing when cancelled or failed.
std::optional<std::wstring> Ask(HWND owner, const wchar_t* title, const wchar_t* types,
                                const wchar_t* defaultExtension, bool save, DWORD* typeIndex) {
  std::wstring path(kMaxPathChars, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = types;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kMaxPathChars;
  dialog.lpstrTitle = title;
  dialog.lpstrDefExt = defaultExtension;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  BOOL chosen = FALSE;
  {
    const CurrentFolderKept folder;
    chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  }
  if (!chosen) {
    // Zero for a cancel; a failure looks the same but for this code.
    if (const DWORD failure = CommDlgExtendedError())
      ShowError(owner, DialogFailureText(title, failure));
    return std::nullopt;
  }
  if (typeIndex) *typeIndex = dialog.nFilterIndex;
  path.resize(path.find(L'\0'));
  return path;
}

std::optional<SpectrumFileChoice> AskSaveSpectrum(HWND owner) {
  DWORD typeIndex = 1;
  std::optional<std::wstring> path =
      Ask(owner, L"Spektrum exportieren", kSpectrumTypes, L"txt", true, &typeIndex);
  if (!path) return std::nullopt;
  SpectrumFileType type = typeIndex >= 1 && typeIndex <= std::size(kSpectrumTypeOrder)
                              ? kSpectrumTypeOrder[typeIndex - 1]
                              : SpectrumFileType::TabText;
  if (EndsWith(*path, L".csv")) type = SpectrumFileType::SpreadsheetCsv;
  if (EndsWith(*path, L".txt") && type == SpectrumFileType::SpreadsheetCsv)
    type = SpectrumFileType::TabText;
  return SpectrumFileChoice{std::move(*path), type};
}

std::optional<std::wstring> AskSavePicture(HWND owner) {
  return Ask(owner, L"Bild speichern", kPictureTypes, L"png", true, nullptr);
}

std::optional<std::wstring> AskOpenReference(HWND owner) {
  return Ask(owner, L"Referenz laden", kReferenceTypes, nullptr, false, nullptr);
}

std::optional<std::wstring> AskOpenRecording(HWND owner) {
  return Ask(owner, L"Aufnahme analysieren", kRecordingTypes, nullptr, false, nullptr);
}

}  // namespace

FileDialogs& FileDialogCalls() {
  static FileDialogs calls{&AskSaveSpectrum, &AskSavePicture, &AskOpenReference, &AskOpenRecording};
  return calls;
}
