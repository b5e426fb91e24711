#include <gtest/gtest.h>

#include "analysis/WeightingWindow.h"
#include "analysis/levels/LevelChoice.h"
#include "recording/CommandLineParser.h"
#include "recording/PeakReport.h"
#include "recording/RecordingNote.h"

namespace {

using Args = std::vector<std::string>;

TEST(CommandLineParser, ReadsGoodArgumentsInAnyCaseWithEitherPrefix) {
  const struct {
    Args Arguments;
    RecordingRequest Expected;
  } cases[] = {
      // What is not given is the first start's: 2048 points, Hanning, offset on.
      {{"/analysieren", "a.wav"}, {"a.wav", "", false, "", {2048, kWindowHanning, 1}, 0, 0}},
      {{"-ANALYSIEREN", "A.WAV", "/Spektrum", "s.CSV", "-bild", "b.Png", "/PUNKTE", "262144",
        "/fenster", "blackman", "-pegel", "Sinus", "/bewertung", "c", "/offset", "AUS"},
       {"A.WAV", "s.CSV", true, "b.Png", {262144, kWindowBlackman, 0}, kScaleSine, kWeightingC}},
      {{"/punkte", "1024", "/fenster", "AUS", "/pegel", "dichte", "/bewertung", "A", "/analysieren",
        "-x.wav", "/spektrum", "x.txt"},
       {"-x.wav", "x.txt", false, "", {1024, kWindowOff, 1}, kScaleNoiseDensity, kWeightingA}},
  };
  for (const auto& c : cases) {
    const ParsedCommandLine parsed = CommandLineParser::Parse(c.Arguments);
    ASSERT_EQ(parsed.Action, CommandLineAction::kAnalyse) << parsed.Error;
    const RecordingRequest& r = parsed.Request;
    const RecordingRequest& e = c.Expected;
    EXPECT_EQ(r.RecordingPath, e.RecordingPath);
    EXPECT_EQ(r.SpectrumPath, e.SpectrumPath);
    EXPECT_EQ(r.SpectrumAsCsv, e.SpectrumAsCsv);
    EXPECT_EQ(r.PicturePath, e.PicturePath);
    EXPECT_EQ(r.Analysis.FftSize, e.Analysis.FftSize);
    EXPECT_EQ(r.Analysis.Weighting, e.Analysis.Weighting);
    EXPECT_EQ(r.Analysis.AutoOffset, e.Analysis.AutoOffset);
    EXPECT_EQ(r.LevelScale, e.LevelScale);
    EXPECT_EQ(r.FrequencyWeighting, e.FrequencyWeighting);
  }
  EXPECT_EQ(CommandLineParser::Parse({}).Action, CommandLineAction::kStartWindow);
  for (const Args& usage : {Args{"/?"}, Args{"-?"}, Args{"/analysieren", "a.wav", "/?"}})
    EXPECT_EQ(CommandLineParser::Parse(usage).Action, CommandLineAction::kShowUsage);
  EXPECT_NE(CommandLineParser::UsageText().find("/bewertung A|C"), std::string::npos);
}

TEST(CommandLineParser, RefusesBadArgumentsWithTheirReason) {
  const struct {
    Args Arguments;
    const char* Reason;
  } cases[] = {
      {{"/spektrum", "a.txt"}, "Es fehlt /analysieren"},
      {{"/analysieren"}, "Nach /analysieren fehlt der Wert"},
      {{"/analysieren", "/punkte", "1024"}, "Nach /analysieren fehlt"},
      {{"/analysieren", "a.wav", "/analysieren", "b.wav"}, "zweimal"},
      {{"/analysieren", "a.wav", "/laut", "1"}, "Unbekannte Option \"/laut\""},
      {{"a.wav"}, "\"a.wav\" steht ohne Option"},
      {{"/analysieren", "a.wav", "/spektrum", "a.dat"}, ".txt oder .csv"},
      {{"/analysieren", "a.wav", "/spektrum", ".txt"}, ".txt oder .csv"},
      {{"/analysieren", "a.wav", "/bild", "a.bmp"}, ".png"},
      {{"/analysieren", "a.wav", "/punkte", "1000"}, "\"1000\" passt nicht zu /punkte"},
      {{"/analysieren", "a.wav", "/punkte", "524288"}, "/punkte"},
      {{"/analysieren", "a.wav", "/punkte", "8192x"}, "/punkte"},
      {{"/analysieren", "a.wav", "/punkte", "99999999999"}, "/punkte"},
      {{"/analysieren", "a.wav", "/fenster", "Kaiser"}, "/fenster"},
      {{"/analysieren", "a.wav", "/pegel", "dBFS"}, "/pegel"},
      {{"/analysieren", "a.wav", "/bewertung", "B"}, "/bewertung"},
      {{"/analysieren", "a.wav", "/offset", "1"}, "/offset"},
  };
  for (const auto& c : cases) {
    const ParsedCommandLine parsed = CommandLineParser::Parse(c.Arguments);
    EXPECT_EQ(parsed.Action, CommandLineAction::kRefuse) << c.Reason;
    EXPECT_NE(parsed.Error.find(c.Reason), std::string::npos) << parsed.Error;
    EXPECT_NE(parsed.Error.find("/?"), std::string::npos);
  }
}

TEST(PeakReport, OneTabSeparatedLinePerChannelWithDecimalPoints) {
  EXPECT_EQ(PeakReportText({{true, 1234.567, -1203, "dBFS"}, {false, 0.0, 0, "dBFS"}}),
            "Kanal\tFrequenz (Hz)\tPegel\tEinheit\n"
            "L\t1234.57\t-12.03\tdBFS\n"
            "R\t-\t-\tdBFS\n");
  EXPECT_EQ(PeakReportText({{true, 20.004, -5, "dB, A-bewertet"}}),
            "Kanal\tFrequenz (Hz)\tPegel\tEinheit\n"
            "L\t20.00\t-0.05\tdB, A-bewertet\n");
}

// The length to the nearest tenth of a second, half up, at each unit's edges.
TEST(RecordingNote, TheLengthPromisesItsTenthsAndTheNameItsEnds) {
  const struct {
    uint64_t Frames;
    int32_t RateHz;
    const wchar_t* Text;
  } lengths[] = {
      {0, 44100, L"0,0 s"},
      {2204, 44100, L"0,0 s"},
      {2205, 44100, L"0,1 s"},
      {2877599, 48000, L"59,9 s"},
      {2877600, 48000, L"1:00,0 min"},
      {9859200, 48000, L"3:25,4 min"},
      {9861599, 48000, L"3:25,4 min"},
      {9861600, 48000, L"3:25,5 min"},
      {172797599, 48000, L"59:59,9 min"},
      {172797600, 48000, L"1:00:00,0 h"},
      {8000ull * 3723, 8000, L"1:02:03,0 h"},
  };
  for (const auto& length : lengths)
    EXPECT_EQ(RecordingLengthText(length.Frames, length.RateHz), length.Text) << length.Frames;

  EXPECT_EQ(FileNameOf(L"C:\\Aufnahmen\\a.wav"), L"a.wav");
  EXPECT_EQ(FileNameOf(L"C:b.wav"), L"b.wav");
  EXPECT_EQ(FileNameOf(L"//server/share/c.wav"), L"c.wav");
  const std::wstring fits(kLongestShownNameChars, L'x');
  EXPECT_EQ(ShortenedName(fits), fits);
  const std::wstring longName = L"Messung_im_grossen_Saal_am_Abend_Mikrofon_3.wav";
  const std::wstring shortened = ShortenedName(longName);
  EXPECT_EQ(shortened.size(), kLongestShownNameChars);
  EXPECT_EQ(shortened.substr(0, 10), L"Messung_im");
  EXPECT_NE(shortened.find(L"\u2026"), std::wstring::npos);
  EXPECT_EQ(shortened.substr(shortened.size() - 12), L"krofon_3.wav");

  WaveFormat format;
  format.SampleRateHz = 48000;
  format.FrameCount = 9859200;
  EXPECT_EQ(RecordingNoteText(L"D:\\AUFNAHME.wav", format), L"AUFNAHME.wav, 3:25,4 min, 48000 Hz");
  format.Truncated = true;
  EXPECT_EQ(RecordingNoteText(L"AUFNAHME.wav", format),
            L"AUFNAHME.wav, 3:25,4 min, 48000 Hz, abgeschnitten");
  EXPECT_EQ(AnalysingNoteText(L"D:\\AUFNAHME.wav", 429), L"Analysiere AUFNAHME.wav \u2026 42 %");
}

}  // namespace
