#pragma once

#include <memory>
#include <string>

#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"

class PictureBitmap;

// The spectrum and the picture kept: the export to a spectrum file, the
// picture copied or saved, and the reference taken from the view, loaded
// from a file (remembered as ReferenceFile and read again at the next
// start) or removed. A failure is shown in the "Error" box, owned by the
// frame, and changes nothing else.
class FileCommands : public CommandUnit {
 public:
  FileCommands(CommandContext context, std::wstring referenceFile)
      : Context(context), ReferenceFile(std::move(referenceFile)) {}

  bool Command(UINT command) override;
  void MenuOpening(HMENU popup, UINT position) override;

  // The file of the reference shown, or of the one remembered that could
  // not be read at the start; empty when none is, or it was taken from the
  // screen.
  const std::wstring& Reference() const { return ReferenceFile; }
  // At start-up: the remembered reference, if its file still reads (else
  // none, without a box); it is forgotten when its file is gone or holds no
  // spectrum, kept when it may read later (a share not yet connected).
  void LoadRemembered();
  // Shows no reference and remembers none.
  void Reset();

 private:
  // The spectrum shown when the command came, written to the file the user
  // names, whole or not at all: the measurement goes on while the dialog is open.
  void CmExportSpectrum(UINT);
  void CmCopyPicture(UINT);
  // The picture is the one shown when the command came.
  void CmSavePicture(UINT);
  void CmTakeReference(UINT);
  // A file that is not a spectrum is refused, naming its line and fault,
  // and the old reference stays.
  void CmLoadReference(UINT);
  void CmRemoveReference(UINT);
  enum class ReferenceLoad {
    Shown,
    Refused,     // the file is gone, or holds no spectrum
    Unreadable,  // the file cannot be read now, but may later
  };
  // The reference read from `path`; anything but Shown with the reason in `why`.
  ReferenceLoad LoadReference(const std::wstring& path, std::wstring& why);
  // The axis frame with the view as on screen; null, with the reason in
  // `why`, while the window has no area to picture.
  std::unique_ptr<PictureBitmap> Picture(std::wstring& why);
  // `what` is the program's text, `path` and `why` may hold any character;
  // the box is the frame's.
  void ShowFailure(const char* what, const std::wstring& path, const std::wstring& why);

  static const CommandRow<FileCommands> kRows[];
  CommandContext Context;
  std::wstring ReferenceFile;
};
