#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "export/LevelTable.h"

// Where the user wants a spectrum written, and in which type.
struct SpectrumFileChoice {
  std::wstring Path;
  SpectrumFileType Type = SpectrumFileType::TabText;
};

// The system's file dialogs (common dialogs), modal to `owner`, for paths
// of any characters and length; each gives nothing when the user cancels,
// and nothing when the dialog fails, after saying why in the "Error" box
// owned by `owner`. The process's current folder is the same afterwards.
// Called through a table that tests replace, as the dialogs would wait for
// a user. GUI thread only.
struct FileDialogs {
  // "Spektrum exportieren": the types "Text mit Tabulatoren (*.txt)",
  // "CSV für Tabellenkalkulation (*.csv)", "Frequenzgang, linker Kanal
  // (*.txt)" and "Frequenzgang, rechter Kanal (*.txt)"; a name ending in
  // ".csv" is a CSV file whatever type is chosen, one ending in ".txt" with
  // the CSV type chosen a text with tabs. Asks before replacing a file.
  std::optional<SpectrumFileChoice> (*SaveSpectrum)(HWND owner);
  // "Bild speichern": a PNG file. Asks before replacing a file.
  std::optional<std::wstring> (*SavePicture)(HWND owner);
  // "Referenz laden": a spectrum file of any type (*.txt, *.csv, *.frd), which
  // must exist.
  std::optional<std::wstring> (*OpenReference)(HWND owner);
  // "Aufnahme analysieren": a wave file ("Wave-Dateien (*.wav)") or any
  // file, which must exist.
  std::optional<std::wstring> (*OpenRecording)(HWND owner);
};

// The table in use, process-wide: the system's dialogs until a test
// replaces them.
FileDialogs& FileDialogCalls();
