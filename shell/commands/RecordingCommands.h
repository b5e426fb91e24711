#pragma once

#include <memory>
#include <string>

#include "recording/RecordingAnalyser.h"
#include "recording/WaveFormat.h"
#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"
#include "windowing/TWindow.h"

class RecordingAnalysisThread;

// "&Aufnahme analysieren...": a wave file chosen in the Open dialog is
// analysed on a thread of its own with the menu's size, window and offset
// correction while the window (and measuring) goes on; the view's corner
// says how far it is, redrawn kPollIntervalMs apart, and Esc cancels it,
// leaving everything as it was. Its spectrum then replaces the live one in
// the measurement (every view, readout, file and picture takes it from
// there), measuring stops as when the picture is held, and the corner names
// the file, its length and rate. Another size, window or offset correction
// analyses the file again; "An&halten" (Space) measures live again, the
// average and the held maximum going on as after a hold. A file that cannot
// be analysed is refused in the frame's "Error" box with the reason, and
// nothing shown changes. GUI thread only.
class RecordingCommands : public CommandUnit {
 public:
  static constexpr UINT kPollIntervalMs = 100;

  explicit RecordingCommands(CommandContext context);
  ~RecordingCommands() override;

  // Also takes "An&halten" while a recording is shown: back to measuring.
  bool Command(UINT command) override;

  // After any command: the shown or analysed recording is analysed again
  // if the menu's size, window or offset correction changed.
  void FollowAnalysisChoice();

  // Stops the analysis under way, if any, and puts the corner back (also
  // before an escaped exception's box, which ends the run).
  void Cancel();

  bool ShowsRecording() const;

 private:
  // Receives the poll timer's messages.
  class TPollTarget : public TWindow {
   public:
    explicit TPollTarget(RecordingCommands& owner);
    DECLARE_RESPONSE_TABLE();

   private:
    void OnTimer(UINT_PTR timerId);
    RecordingCommands& Owner;
  };

  void CmAnalyse(UINT);
  void CmCancel(UINT);
  // Starts analysing `path` with the menu's choices, cancelling an analysis under way.
  void Start(const std::wstring& path);
  void Poll();
  void Finish();
  void MeasureAgain();
  // The frame's "Error" box: "Aufnahme nicht analysiert: path", then why.
  void ShowRefusal(const std::wstring& path, const std::wstring& why);
  // What the corner says without an analysis: the recording shown, or nothing.
  std::wstring IdleNote() const;

  static const CommandRow<RecordingCommands> kRows[];
  CommandContext Context;
  std::unique_ptr<TPollTarget> Target;
  std::unique_ptr<RecordingAnalysisThread> Job;
  // The recording shown: its path and format.
  std::wstring ShownPath;
  WaveFormat ShownFormat;
  // The menu's choices when an analysis was last started or followed.
  RecordingAnalysisChoice FollowedChoice;
};
