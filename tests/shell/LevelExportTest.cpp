// The spectrum and the picture kept in files, and the reference, through the
// frame's commands with the file dialogs answered by the test.
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "export/FileDialogs.h"
#include "export/LevelFileReader.h"
#include "settings/SettingsCodec.h"
#include "tests/shell/ShellFixture.h"

namespace {

// What the dialogs answer: the test sets it before each command.
std::optional<std::string> gChosenPath;
SpectrumFileType gChosenType = SpectrumFileType::TabText;

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}
void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The program with a spectrum shown, in a folder of the test's own.
class LevelExportTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    Folder = std::string(temporary) + "frelox-export-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(Folder.c_str(), nullptr);
    FileDialogCalls() = {[](HWND) -> std::optional<SpectrumFileChoice> {
                           if (!gChosenPath) return std::nullopt;
                           return SpectrumFileChoice{*gChosenPath, gChosenType};
                         },
                         [](HWND) { return gChosenPath; }, [](HWND) { return gChosenPath; }};
    Build();
    ShowSpectrum();
  }
  void TearDown() override {
    FileDialogCalls() = RealDialogs;
    App.reset();
    for (const std::string& name : FolderFiles()) {
      SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(Path(name).c_str());
    }
    RemoveDirectoryA(Folder.c_str());
  }
  void ShowSpectrum() {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(Fake.QueuedFrames()));
    ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued > queued; }));
  }
  std::string Path(const std::string& name) const { return Folder + "\\" + name; }
  std::vector<std::string> FolderFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }
  void Choose(const std::string& name, SpectrumFileType type = SpectrumFileType::TabText) {
    gChosenPath = Path(name);
    gChosenType = type;
  }

  const FileDialogs RealDialogs = FileDialogCalls();
  std::string Folder;
};

// A read-only target: the "Error" box names it with the system's text, the
// old file stays as it was, no other file is left, and the measurement goes
// on. A writable one then holds the spectrum shown, as shown.
TEST_F(LevelExportTest, AFailedExportChangesNothingAndAGoodOneHoldsTheLevelsShown) {
  WriteText(Path("old.txt"), "old");
  SetFileAttributesA(Path("old.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  Choose("old.txt");
  Command(CMD_EXPORT_SPECTRUM);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  const std::string expected = "Spektrum nicht exportiert: " + Path("old.txt") + "\n";
  EXPECT_EQ(Fake.Boxes[0].Text.substr(0, expected.size()), expected);
  EXPECT_GT(Fake.Boxes[0].Text.size(), expected.size()) << "the system's text";
  EXPECT_EQ(FileText(Path("old.txt")), "old");
  EXPECT_EQ(FolderFiles(), std::vector<std::string>{"old.txt"});
  ShowSpectrum();

  Choose("new.csv", SpectrumFileType::SpreadsheetCsv);
  Command(CMD_EXPORT_SPECTRUM);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
  const std::string written = FileText(Path("new.csv"));
  EXPECT_NE(written.find(";"), std::string::npos);
  const SpectrumFileReading reading = ReadSpectrumFile(written);
  ASSERT_TRUE(reading.Read) << reading.Fault;
  EXPECT_EQ(reading.Table.Header.Program, "Frelox 1.02");
  EXPECT_EQ(reading.Table.Header.FftSize, 2048);
  EXPECT_EQ(reading.Table.Header.Input, "Line In");
  ASSERT_EQ(reading.Table.RowCount(), 1024);
  for (int32_t line = 0; line < 1024; ++line)
    ASSERT_EQ(reading.Table.Levels[line], View().ShownLevels()[line]) << line;
}

// "Bild &speichern...": a PNG of the client area's size.
TEST_F(LevelExportTest, APictureIsSavedAsPng) {
  Choose("bild.png");
  Command(CMD_SAVE_PICTURE);
  EXPECT_TRUE(Fake.Boxes.empty());
  const std::string png = FileText(Path("bild.png"));
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
  WriteText(Path("bad.txt"), "* Frelox\r\n100.0\t-10.00\t-20.00\r\n200.0\tabc\t-20.00\r\n");
  Choose("bad.txt");
  Command(CMD_REFERENCE_LOAD);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Text,
            "Referenz nicht geladen: " + Path("bad.txt") + "\nZeile 3: \"abc\" ist keine Zahl");
  EXPECT_FALSE(View().HasReference());

  Command(CMD_REFERENCE_TAKE);
  EXPECT_TRUE(View().HasReference());
  Command(CMD_REFERENCE_LOAD);
  EXPECT_EQ(Fake.Boxes.size(), 2u);
  EXPECT_TRUE(View().HasReference());
  EXPECT_EQ(LoadSettings(Stored).ReferenceFile, "");

  WriteText(Path("good.txt"), "100.0\t-10.00\t-20.00\r\n");
  Choose("good.txt");
  Command(CMD_REFERENCE_LOAD);
  EXPECT_EQ(LoadSettings(Stored).ReferenceFile, Path("good.txt"));
  App.reset();
  Build();
  EXPECT_TRUE(View().HasReference());

  App.reset();
  DeleteFileA(Path("good.txt").c_str());
  Build();
  EXPECT_FALSE(View().HasReference());
  EXPECT_EQ(Fake.Boxes.size(), 2u);
  Command(CMD_REFERENCE_TAKE);
  Command(CMD_REFERENCE_REMOVE);
  EXPECT_FALSE(View().HasReference());
}

}  // namespace
