#include "shell/commands/RecordingCommands.h"

#include <optional>
#include <utility>

#include "analysis/MeasurementSettings.h"
#include "capture/MessageBoxes.h"
#include "display/TMainClient.h"
#include "export/FileDialogs.h"
#include "measurement/Measurement.h"
#include "recording/RecordingNote.h"
#include "resources/ResourceIds.h"
#include "shell/RecordingAnalysisThread.h"
#include "windowing/ProgramText.h"

namespace {

constexpr UINT_PTR kPollTimerId = 1;
constexpr const char* kNotAnalysedText = "Aufnahme nicht analysiert";

RecordingAnalysisChoice MenuChoice() {
  RecordingAnalysisChoice choice;
  choice.FftSize = Settings.FftSize.load();
  choice.Weighting = Settings.Weighting.load();
  choice.AutoOffset = Settings.AutoOffset.load();
  return choice;
}

bool SameChoice(const RecordingAnalysisChoice& a, const RecordingAnalysisChoice& b) {
  return a.FftSize == b.FftSize && a.Weighting == b.Weighting && a.AutoOffset == b.AutoOffset;
}

}  // namespace

const TResponseEntry RecordingCommands::TPollTarget::Rows[] = {
    Row::Timer<TPollTarget, &TPollTarget::OnTimer>(),
};
const TResponseTable RecordingCommands::TPollTarget::Table{&TWindow::Table,
                                                           RecordingCommands::TPollTarget::Rows};

RecordingCommands::TPollTarget::TPollTarget(RecordingCommands& owner)
    : TWindow(nullptr, "Frelox recording analysis"), Owner(owner) {
  Attributes().Style = 0;
  Attributes().MessageOnly = true;
}

void RecordingCommands::TPollTarget::OnTimer(UINT_PTR timerId) {
  if (timerId == kPollTimerId) Owner.Poll();
}

const CommandRow<RecordingCommands> RecordingCommands::kRows[] = {
    {CMD_ANALYSE_RECORDING, 0, nullptr, &RecordingCommands::CmAnalyse},
    {CMD_CANCEL_ANALYSIS, 0, nullptr, &RecordingCommands::CmCancel},
};

RecordingCommands::RecordingCommands(CommandContext context)
    : Context(context), Target(std::make_unique<TPollTarget>(*this)) {}

// The thread goes before the window its timer runs on.
RecordingCommands::~RecordingCommands() {
  Job.reset();
}

bool RecordingCommands::ShowsRecording() const {
  return Context.Measured.ShownRecording() != nullptr;
}

bool RecordingCommands::Command(UINT command) {
  if (command == CMD_PAUSE && ShowsRecording()) {
    MeasureAgain();
    return true;
  }
  return DispatchCommand(*this, kRows, command);
}

void RecordingCommands::CmAnalyse(UINT) {
  const std::optional<std::wstring> path =
      FileDialogCalls().OpenRecording(Context.Frame.GetHandle());
  if (path) Start(*path);
}

void RecordingCommands::CmCancel(UINT) {
  Cancel();
}

void RecordingCommands::Start(const std::wstring& path) {
  Cancel();
  if (!Target->GetHandle()) Target->Create();
  FollowedChoice = MenuChoice();
  auto job = std::make_unique<RecordingAnalysisThread>(path, FollowedChoice);
  try {
    job->Start();
  } catch (const std::exception& error) {
    ShowRefusal(path, WideProgramText(error.what()));
    return;
  }
  Job = std::move(job);
  SetTimer(Target->GetHandle(), kPollTimerId, kPollIntervalMs, nullptr);
  Context.View.SetCornerNote(AnalysingNoteText(path, 0));
}

void RecordingCommands::Cancel() {
  if (!Job) return;
  KillTimer(Target->GetHandle(), kPollTimerId);
  Job.reset();
  Context.View.SetCornerNote(IdleNote());
}

// A choice whose analysis was cancelled stays followed: Esc is not undone
// by the next command.
void RecordingCommands::FollowAnalysisChoice() {
  const RecordingAnalysisChoice now = MenuChoice();
  if (SameChoice(FollowedChoice, now)) return;
  FollowedChoice = now;
  if (Job) {
    Start(std::wstring(Job->Path()));
  } else if (ShowsRecording()) {
    Start(ShownPath);
  }
}

void RecordingCommands::Poll() {
  if (!Job) return;
  if (Job->Finished()) {
    Finish();
    return;
  }
  Context.View.SetCornerNote(AnalysingNoteText(Job->Path(), Job->PermilleDone()));
}

void RecordingCommands::Finish() {
  KillTimer(Target->GetHandle(), kPollTimerId);
  const std::unique_ptr<RecordingAnalysisThread> job = std::move(Job);
  job->TerminateAndWait();  // it has returned: this only joins it
  if (job->Result() != RecordingAnalyser::Outcome::kDone) {
    Context.View.SetCornerNote(IdleNote());
    if (job->Result() == RecordingAnalyser::Outcome::kRefused) ShowRefusal(job->Path(), job->Why());
    return;
  }
  ShownPath = job->Path();
  ShownFormat = job->Format();
  Context.Measured.ShowRecording(job->TakeSpectrum(), ProgramTextFromWide(FileNameOf(ShownPath)));
  Context.View.SetCornerNote(IdleNote());
  // Measuring stops as when the picture is held: the input is closed meanwhile.
  if (!Context.Measured.PictureHeld() && !Context.Measured.Stopped())
    Context.Measured.TogglePause();
}

void RecordingCommands::MeasureAgain() {
  Cancel();
  Context.Measured.ShowLive();
  Context.View.SetCornerNote(IdleNote());
  if (Context.Measured.PictureHeld()) Context.Measured.TogglePause();
}

void RecordingCommands::ShowRefusal(const std::wstring& path, const std::wstring& why) {
  ShowError(Context.Frame.GetHandle(),
            WideProgramText(kNotAnalysedText) + L": " + path + L"\n" + why);
}

std::wstring RecordingCommands::IdleNote() const {
  return ShowsRecording() ? RecordingNoteText(ShownPath, ShownFormat) : std::wstring();
}
