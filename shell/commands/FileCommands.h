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
  FileCommands(CommandContext context, std::string referenceFile)
      : Context(context), ReferenceFile(std::move(referenceFile)) {}

  bool Command(UINT command) override;
  void MenuOpening(HMENU popup, UINT position) override;

  // The file of the reference shown; empty when none is, or it was taken
  // from the screen.
  const std::string& Reference() const { return ReferenceFile; }
  // At start-up: the remembered reference, if its file still reads (else
  // none, without a box).
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
  // The reference read from `path`; false with the reason in `why`.
  bool LoadReference(const std::string& path, std::string& why);
  // The axis frame with the view as on screen; null, with the reason in
  // `why`, while the window has no area to picture.
  std::unique_ptr<PictureBitmap> Picture(std::string& why);
  void ShowFailure(const std::string& what, const std::string& path, const std::string& why);

  static const CommandRow<FileCommands> kRows[];
  CommandContext Context;
  std::string ReferenceFile;
};
