// The spectrum and the picture kept in files, and the reference, through the
// frame's commands with the file dialogs answered by the test.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "export/FileDialogs.h"
#include "export/LevelFileReader.h"
#include "settings/SettingsCodec.h"
#include "tests/recording/WaveBytes.h"
#include "tests/shell/ShellFixture.h"

namespace {

// What the dialogs answer: the test sets it before each command.
std::optional<std::wstring> gChosenPath;
SpectrumFileType gChosenType = SpectrumFileType::TabText;

std::string FileText(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}
void WriteText(const std::wstring& path, const std::string& text) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}
void WriteBytes(const std::wstring& path, const Bytes& bytes) {
  WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// Two seconds at 48 kHz: 3000 Hz at half of full scale on the left, 6000 Hz
// at a quarter on the right, each on a line of a 2048-point spectrum.
Bytes ToneRecording() {
  constexpr int32_t kRateHz = 48000;
  constexpr double kTwoPi = 6.283185307179586;
  std::vector<int16_t> samples;
  for (int32_t frame = 0; frame < 2 * kRateHz; ++frame) {
    samples.push_back(
        static_cast<int16_t>(std::lround(16384 * std::sin(kTwoPi * 3000 * frame / kRateHz))));
    samples.push_back(
        static_cast<int16_t>(std::lround(8192 * std::sin(kTwoPi * 6000 * frame / kRateHz))));
  }
  WaveHeader header;
  header.RateHz = kRateHz;
  return WaveFile(header, Pcm16(samples));
}

// The program with a spectrum shown, in a folder of the test's own whose
// name no ANSI code page holds.
class LevelExportTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    Folder = std::wstring(temporary) + L"frelox-\u0142\U0001F600-" +
             std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(Folder.c_str(), nullptr);
    FileDialogCalls() = {[](HWND) -> std::optional<SpectrumFileChoice> {
                           if (!gChosenPath) return std::nullopt;
                           return SpectrumFileChoice{*gChosenPath, gChosenType};
                         },
                         [](HWND) { return gChosenPath; }, [](HWND) { return gChosenPath; },
                         [](HWND) { return gChosenPath; }};
    Build();
    ShowSpectrum();
  }
  void TearDown() override {
    FileDialogCalls() = RealDialogs;
    App.reset();
    for (const std::wstring& name : FolderFiles()) {
      SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Path(name).c_str());
    }
    RemoveDirectoryW(Folder.c_str());
  }
  void ShowSpectrum() {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(Fake.QueuedFrames()));
    ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued > queued; }));
  }
  std::wstring Path(const std::wstring& name) const { return Folder + L"\\" + name; }
  std::vector<std::wstring> FolderFiles() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(Path(L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
  void Choose(const std::wstring& name, SpectrumFileType type = SpectrumFileType::TabText) {
    gChosenPath = Path(name);
    gChosenType = type;
  }

  const FileDialogs RealDialogs = FileDialogCalls();
  std::wstring Folder;
};

// A read-only target: the "Error" box over the frame names it with the
// system's text, the old file stays as it was, no other file is left, and
// the measurement goes on. A writable one then holds the spectrum shown.
TEST_F(LevelExportTest, AFailedExportChangesNothingAndAGoodOneHoldsTheLevelsShown) {
  WriteText(Path(L"old.txt"), "old");
  SetFileAttributesW(Path(L"old.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  Choose(L"old.txt");
  Command(CMD_EXPORT_SPECTRUM);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  EXPECT_EQ(Fake.Boxes[0].Owner, Frame().GetHandle());
  const std::wstring expected = L"Spektrum nicht exportiert: " + Path(L"old.txt") + L"\n";
  EXPECT_EQ(Fake.Boxes[0].WideText.substr(0, expected.size()), expected);
  EXPECT_GT(Fake.Boxes[0].WideText.size(), expected.size()) << "the system's text";
  EXPECT_EQ(FileText(Path(L"old.txt")), "old");
  EXPECT_EQ(FolderFiles(), std::vector<std::wstring>{L"old.txt"});
  ShowSpectrum();

  // Zoomed: the header names the range shown, the rows are the whole spectrum.
  View().ShowRange(1000.0, 1100.0, -10.0, -80.0);
  Choose(L"new.csv", SpectrumFileType::SpreadsheetCsv);
  Command(CMD_EXPORT_SPECTRUM);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
  const std::string written = FileText(Path(L"new.csv"));
  EXPECT_NE(written.find(";"), std::string::npos);
  const SpectrumFileReading reading = ReadSpectrumFile(written);
  ASSERT_TRUE(reading.Read) << reading.Fault;
  EXPECT_EQ(reading.Table.Header.Program, "Frelox 1.02");
  EXPECT_EQ(reading.Table.Header.FftSize, 2048);
  EXPECT_EQ(reading.Table.Header.Input, "Line In");
  EXPECT_EQ(reading.Table.Header.ShownRange, "1000 Hz bis 1100 Hz, -10,0 bis -80,0 dB");
  ASSERT_EQ(reading.Table.RowCount(), 1024);
  for (int32_t line = 0; line < 1024; ++line)
    ASSERT_EQ(reading.Table.Levels[line], View().ShownLevels()[line]) << line;
}

// "Bild &speichern...": a PNG of the client area's size.
TEST_F(LevelExportTest, APictureIsSavedAsPng) {
  Choose(L"bild.png");
  Command(CMD_SAVE_PICTURE);
  EXPECT_TRUE(Fake.Boxes.empty());
  const std::string png = FileText(Path(L"bild.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
  const auto number = [&](size_t at) {
    return (uint8_t(png[at]) << 24) | (uint8_t(png[at + 1]) << 16) | (uint8_t(png[at + 2]) << 8) |
           uint8_t(png[at + 3]);
  };
  RECT client;
  GetClientRect(Client().GetHandle(), &client);
  EXPECT_EQ(number(16), client.right);
  EXPECT_EQ(number(20), client.bottom);
}

// A file that is no spectrum is refused, naming its line, and the old
// reference stays; a good one is shown, remembered, and shown again at the
// next start while it reads; once it is gone, the start shows none and no box.
TEST_F(LevelExportTest, AReferenceIsRefusedTakenLoadedAndRememberedWhileItReads) {
  WriteText(Path(L"bad.txt"), "* Frelox\r\n100.0\t-10.00\t-20.00\r\n200.0\tabc\t-20.00\r\n");
  Choose(L"bad.txt");
  Command(CMD_REFERENCE_LOAD);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].WideText,
            L"Referenz nicht geladen: " + Path(L"bad.txt") + L"\nZeile 3: \"abc\" ist keine Zahl");
  EXPECT_FALSE(View().HasReference());

  Command(CMD_REFERENCE_TAKE);
  EXPECT_TRUE(View().HasReference());
  Command(CMD_REFERENCE_LOAD);
  EXPECT_EQ(Fake.Boxes.size(), 2u);
  EXPECT_TRUE(View().HasReference());
  EXPECT_EQ(LoadSettings(Stored).ReferenceFile, L"");

  WriteText(Path(L"good.txt"), "100.0\t-10.00\t-20.00\r\n");
  Choose(L"good.txt");
  Command(CMD_REFERENCE_LOAD);
  EXPECT_EQ(LoadSettings(Stored).ReferenceFile, Path(L"good.txt"));
  App.reset();
  Build();
  EXPECT_TRUE(View().HasReference());

  App.reset();
  DeleteFileW(Path(L"good.txt").c_str());
  Build();
  EXPECT_FALSE(View().HasReference());
  EXPECT_EQ(Fake.Boxes.size(), 2u);
  Command(CMD_REFERENCE_TAKE);
  Command(CMD_REFERENCE_REMOVE);
  EXPECT_FALSE(View().HasReference());
}

// A name of a Polish user's letter and an emoji: written over a file of that
// name, which it replaces whole without leaving another, and read back as
// the reference while a spreadsheet holds it open for writing.
TEST_F(LevelExportTest, AFileOfAnyNameIsReplacedWholeAndReadWhileOthersWriteIt) {
  const std::wstring name = L"Messung \u0142\U0001F600.csv";
  WriteText(Path(name), "old");
  Choose(name, SpectrumFileType::SpreadsheetCsv);
  Command(CMD_EXPORT_SPECTRUM);
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_EQ(FolderFiles(), std::vector<std::wstring>{name});
  ASSERT_TRUE(ReadSpectrumFile(FileText(Path(name))).Read);

  const HANDLE spreadsheet =
      CreateFileW(Path(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(spreadsheet, INVALID_HANDLE_VALUE);
  Command(CMD_REFERENCE_LOAD);
  CloseHandle(spreadsheet);
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_TRUE(View().HasReference());
  EXPECT_EQ(LoadSettings(Stored).ReferenceFile, Path(name));
}

// At the start, the remembered reference is forgotten only when its file is
// gone or holds no spectrum; one that cannot be read now (in use, on a drive
// that is not there) stays remembered. No box either way.
TEST_F(LevelExportTest, AReferenceThatMayReadLaterStaysRemembered) {
  App.reset();
  WriteText(Path(L"ref.txt"), "100.0\t-10.00\t-20.00\r\n");
  WriteText(Path(L"bad.txt"), "no spectrum");
  const DWORD drives = GetLogicalDrives();
  wchar_t absent = L'Z';
  while (absent > L'D' && (drives & (1u << (absent - L'A')))) --absent;
  const struct {
    std::wstring Path;
    bool Kept;
  } cases[] = {
      {Path(L"ref.txt"), true},  // held open by another program below
      {std::wstring(1, absent) + L":\\Messungen\\ref.txt", true},
      {Path(L"gone.txt"), false},
      {Folder + L"-gone\\ref.txt", false},
      {Path(L"bad.txt"), false},
  };
  const HANDLE unshared =
      CreateFileW(Path(L"ref.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(unshared, INVALID_HANDLE_VALUE);
  for (const auto& c : cases) {
    StoredSettings remembered;
    remembered.ReferenceFile = c.Path;
    SaveChoices(Stored, remembered);
    Build();
    EXPECT_FALSE(View().HasReference());
    Command(CMD_SIZE_4096);  // stores the settings
    EXPECT_EQ(LoadSettings(Stored).ReferenceFile, c.Kept ? c.Path : L"") << c.Path;
    App.reset();
  }
  CloseHandle(unshared);
  EXPECT_TRUE(Fake.Boxes.empty());
}

// "&Aufnahme analysieren...": the file's spectrum is shown as a measured one
// (peaks at its own rate, the axis to 24 kHz, the spectrum file), the corner
// names it, measuring stops with the input closed; another size analyses it
// again (Esc keeps the one shown), and Space measures live again.
TEST_F(LevelExportTest, ARecordingIsShownAsAMeasurementUntilSpaceMeasuresAgain) {
  WriteBytes(Path(L"AUFNAHME.wav"), ToneRecording());
  Choose(L"AUFNAHME.wav");
  const size_t callsBefore = Fake.WaveCalls.size();
  Command(CMD_ANALYSE_RECORDING);
  EXPECT_EQ(View().CornerNote().substr(0, 24), L"Analysiere AUFNAHME.wav ");
  ASSERT_TRUE(PumpUntil([&] { return View().Shown().SampleRateHz == 48000; }));
  const ShownMeasurement& shown = View().Shown();
  EXPECT_EQ(shown.Size, 2048);
  EXPECT_EQ(shown.Input, "AUFNAHME.wav");
  const struct {
    double FrequencyHz;
    int32_t SineLevelHundredthsDb;
  } tones[] = {{3000.0, -602}, {6000.0, -1204}};
  for (int32_t channel = 0; channel < 2; ++channel) {
    EXPECT_NEAR(shown.SinePeaks[channel].FrequencyHz, tones[channel].FrequencyHz, 0.5);
    EXPECT_NEAR(shown.SinePeaks[channel].LevelHundredthsDb, tones[channel].SineLevelHundredthsDb,
                2);
  }
  EXPECT_EQ(View().CornerNote(), L"AUFNAHME.wav, 2,0 s, 48000 Hz");
  EXPECT_DOUBLE_EQ(View().RangeShown().HighHz(), 24000.0);
  EXPECT_TRUE(Fake.Boxes.empty());
  // The capture out comes back unanalysed, and the input is closed.
  EXPECT_TRUE(App->Measuring().Capture().PictureHeld());
  ASSERT_TRUE(Fake.ReturnCapture(Fake.QueuedFrames()));
  PumpUntil(nullptr, 300);
  EXPECT_EQ(Fake.QueuedFrames(), 0);
  const std::vector<std::string> calls = Fake.WaveCallNames();
  EXPECT_NE(std::find(calls.begin() + callsBefore, calls.end(), "waveInClose"), calls.end());
  EXPECT_EQ(shown.SampleRateHz, 48000);

  Choose(L"spektrum.txt");
  Command(CMD_EXPORT_SPECTRUM);
  const SpectrumFileReading reading = ReadSpectrumFile(FileText(Path(L"spektrum.txt")));
  ASSERT_TRUE(reading.Read) << reading.Fault;
  EXPECT_EQ(reading.Table.Header.Input, "AUFNAHME.wav");
  ASSERT_EQ(reading.Table.RowCount(), 1024);
  EXPECT_NEAR(reading.Table.FrequenciesHz[128], 3000.0, 0.05);

  Command(CMD_SIZE_4096);
  EXPECT_EQ(View().CornerNote().substr(0, 10), L"Analysiere");
  ASSERT_TRUE(PumpUntil([&] { return shown.Size == 4096; }));
  EXPECT_EQ(View().CornerNote(), L"AUFNAHME.wav, 2,0 s, 48000 Hz");
  Command(CMD_SIZE_8192);
  MSG escape = {Frame().GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  EXPECT_TRUE(App->Offer(escape));
  PumpUntil(nullptr, 300);
  EXPECT_EQ(shown.Size, 4096);
  EXPECT_EQ(View().CornerNote(), L"AUFNAHME.wav, 2,0 s, 48000 Hz");

  MSG space = {Frame().GetHandle(), WM_KEYDOWN, VK_SPACE, 0, 0, {0, 0}};
  EXPECT_TRUE(App->Offer(space));
  EXPECT_EQ(shown.SampleRateHz, 44100);
  EXPECT_EQ(shown.Input, "Line In");
  EXPECT_TRUE(View().CornerNote().empty());
  EXPECT_DOUBLE_EQ(View().RangeShown().HighHz(), 22050.0);
  EXPECT_FALSE(App->Measuring().Capture().PictureHeld());
  ASSERT_TRUE(PumpUntil([&] { return Fake.QueuedFrames() > 0; }));
  ShowSpectrum();
  EXPECT_TRUE(Fake.Boxes.empty());
}

// Esc while the file is analysed: nothing shown changes and measuring goes
// on. Each bad file: one "Error" box naming it with the reader's reason, the
// same.
TEST_F(LevelExportTest, ACancelledOrRefusedRecordingChangesNothingShown) {
  const Bytes good = ToneRecording();
  WaveHeader compressed;
  compressed.Tag = 2;
  WaveHeader threeChannels;
  threeChannels.Channels = 3;
  WaveHeader slow;
  slow.RateHz = 4000;
  const struct {
    const wchar_t* Name;
    Bytes Content;
    const wchar_t* Reason;  // the start of the reader's
  } files[] = {
      {L"gut.wav", good, nullptr},  // cancelled
      {L"text.wav", Bytes(good.begin() + 44, good.begin() + 4000),
       L"Die Datei ist keine Wave-Datei: ihr fehlt"},
      {L"kopf.wav", Bytes(good.begin(), good.begin() + 30), L""},
      {L"adpcm.wav", WaveFile(compressed, Bytes(8000, 0)), L"Die Datei enth\u00E4lt komprimierte"},
      {L"drei.wav", WaveFile(threeChannels, Bytes(6000, 0)), L"Die Aufnahme hat 3"},
      {L"langsam.wav", WaveFile(slow, Bytes(40000, 0)), L"Die Abtastrate 4000"},
      {L"leer.wav", WaveFile(WaveHeader{}, {}), L"Die Datei enth\u00E4lt keine Samples"},
      {L"kurz.wav", WaveFile(WaveHeader{}, Bytes(4000, 0)), L""},
      {L"ordner.wav", {}, L"Das ist ein Ordner"},
      {L"fehlt.wav", {}, L"Die Datei gibt es nicht"},
  };
  CreateDirectoryW(Path(L"ordner.wav").c_str(), nullptr);
  for (const auto& file : files) {
    SCOPED_TRACE(std::string(file.Name, file.Name + wcslen(file.Name)));
    if (!file.Content.empty()) WriteBytes(Path(file.Name), file.Content);
    const std::vector<LevelPair> before(View().ShownLevels().begin(),
                                        View().ShownLevels().begin() + 1024);
    const size_t boxes = Fake.Boxes.size();
    Choose(file.Name);
    Command(CMD_ANALYSE_RECORDING);
    if (!file.Reason) {
      EXPECT_EQ(View().CornerNote(), L"Analysiere gut.wav \u2026 0 %");
      Command(CMD_CANCEL_ANALYSIS);
      PumpUntil(nullptr, 500);
    } else {
      ASSERT_TRUE(PumpUntil([&] { return Fake.Boxes.size() > boxes; }));
      PumpUntil(nullptr, 200);
      ASSERT_EQ(Fake.Boxes.size(), boxes + 1);
      const auto& box = Fake.Boxes.back();
      EXPECT_EQ(box.Caption, "Error");
      EXPECT_EQ(box.Owner, Frame().GetHandle());
      const std::wstring named = L"Aufnahme nicht analysiert: " + Path(file.Name) + L"\n";
      EXPECT_EQ(box.WideText.substr(0, named.size()), named);
      EXPECT_GT(box.WideText.size(), named.size() + 10);
      EXPECT_EQ(box.WideText.substr(named.size(), wcslen(file.Reason)), file.Reason);
    }
    EXPECT_EQ(Fake.Boxes.size(), boxes + (file.Reason ? 1 : 0));
    EXPECT_TRUE(View().CornerNote().empty());
    EXPECT_EQ(View().Shown().SampleRateHz, 44100);
    EXPECT_FALSE(App->Measuring().Capture().PictureHeld());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), View().ShownLevels().begin()));
    ShowSpectrum();
  }
  RemoveDirectoryW(Path(L"ordner.wav").c_str());
}

}  // namespace
