#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/MessageBoxes.h"
#include "capture/WaveInput.h"
#include "tests/capture/FakeSystem.h"

namespace {

using Names = std::vector<std::string>;

const HWND kViewWindow = reinterpret_cast<HWND>(0x7A0);

class WaveInputTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWaveInputState(); }
  void TearDown() override { ResetWaveInputState(); }

  void ExpectOneErrorBox(const std::string& text) {
    ASSERT_EQ(Fake.Boxes.size(), 1u);
    EXPECT_EQ(Fake.Boxes[0].Text, text);
    EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  }

  FakeSystem Fake;
};

TEST_F(WaveInputTest, BoxesHaveNoOwnerAnOkButtonTheirIconAndLanguageZero) {
  ShowError("e");
  ShowInfo("i");
  ASSERT_EQ(Fake.Boxes.size(), 2u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  EXPECT_EQ(Fake.Boxes[0].Style, static_cast<UINT>(MB_OK | MB_ICONHAND));
  EXPECT_EQ(Fake.Boxes[1].Caption, "Info");
  EXPECT_EQ(Fake.Boxes[1].Style, static_cast<UINT>(MB_OK | MB_ICONASTERISK));
  for (const FakeSystem::Box& box : Fake.Boxes) {
    EXPECT_EQ(box.Owner, nullptr);
    EXPECT_EQ(box.Language, 0);
  }
}

TEST_F(WaveInputTest, WithoutDeviceShowsTheErrorAndOpensNothing) {
  Fake.DeviceCount = 0;
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox("No input device found!");
  EXPECT_EQ(Fake.WaveCallNames(), Names{"waveInGetNumDevs"});
  EXPECT_EQ(InputOpen, 0);
}

TEST_F(WaveInputTest, OpensDeviceZeroInTheRecordingFormatForTheWindow) {
  ASSERT_TRUE(OpenWaveInput(kViewWindow));
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_EQ(InputOpen, 1);
  EXPECT_EQ(InputHandle, Fake.OpenedHandle);
  ASSERT_EQ(Fake.WaveCallNames(), (Names{"waveInGetNumDevs", "waveInGetDevCapsA", "waveInOpen"}));

  const FakeSystem::WaveCall& caps = Fake.WaveCalls[1];
  EXPECT_EQ(caps.DeviceId, 0u);
  EXPECT_EQ(caps.Size, sizeof(WAVEINCAPSA));

  const FakeSystem::WaveCall& open = Fake.WaveCalls[2];
  EXPECT_EQ(open.DeviceId, 0u);  // device 0 itself, never the mapper
  EXPECT_EQ(open.Callback, reinterpret_cast<DWORD_PTR>(kViewWindow));
  EXPECT_EQ(open.Instance, 0u);
  EXPECT_EQ(open.Flags, static_cast<DWORD>(CALLBACK_WINDOW));
  EXPECT_EQ(open.Format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(open.Format.nChannels, 2);
  EXPECT_EQ(open.Format.nSamplesPerSec, 44100u);
  EXPECT_EQ(open.Format.wBitsPerSample, 16);
  EXPECT_EQ(open.Format.nBlockAlign, 4);
  EXPECT_EQ(open.Format.nAvgBytesPerSec, 176400u);
  EXPECT_EQ(open.Format.cbSize, 0);
}

TEST_F(WaveInputTest, WithSeveralDevicesNamesDeviceZeroBeforeOpening) {
  Fake.DeviceCount = 3;
  std::strcpy(Fake.ProductName, "USB Audio CODEC");
  ASSERT_TRUE(OpenWaveInput(kViewWindow));
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Text, "Using USB Audio CODEC.");
  EXPECT_EQ(Fake.Boxes[0].Caption, "Info");
  EXPECT_EQ(Fake.Calls,
            (Names{"waveInGetNumDevs", "waveInGetDevCapsA", "MessageBoxExA", "waveInOpen"}));
  EXPECT_EQ(Fake.WaveCalls.back().DeviceId, 0u);
}

TEST_F(WaveInputTest, ProductNameWithoutTerminatorIsCutAtItsField) {
  Fake.DeviceCount = 2;
  std::memset(Fake.ProductName, 'N', sizeof(Fake.ProductName));
  ASSERT_TRUE(OpenWaveInput(kViewWindow));
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Text, "Using " + std::string(MAXPNAMELEN, 'N') + ".");
}

TEST_F(WaveInputTest, UnreadableCapabilitiesShowThePlatformTextAndOpenNothing) {
  Fake.CapsResult = MMSYSERR_BADDEVICEID;
  Fake.ErrorTexts[MMSYSERR_BADDEVICEID] = "The device is gone.";
  Fake.DeviceCount = 2;
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox("The device is gone.");
  EXPECT_EQ(Fake.WaveCallNames(),
            (Names{"waveInGetNumDevs", "waveInGetDevCapsA", "waveInGetErrorTextA"}));
  EXPECT_EQ(Fake.WaveCalls[2].ErrorCode, static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(InputOpen, 0);
}

TEST_F(WaveInputTest, RefusedOpenShowsThePlatformTextAndKeepsTheDeviceClosed) {
  Fake.OpenResult = WAVERR_BADFORMAT;
  Fake.ErrorTexts[WAVERR_BADFORMAT] = "Unsupported format.";
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox("Unsupported format.");
  EXPECT_EQ(Fake.WaveCalls.back().ErrorCode, static_cast<MMRESULT>(WAVERR_BADFORMAT));
  EXPECT_EQ(InputOpen, 0);
  EXPECT_EQ(InputHandle, nullptr);
  CloseWaveInput();
  EXPECT_EQ(Fake.WaveCalls.back().Function, "waveInGetErrorTextA");
}

TEST_F(WaveInputTest, ErrorTextsAreAtMost200Characters) {
  Fake.OpenResult = MMSYSERR_ALLOCATED;
  Fake.ErrorTexts[MMSYSERR_ALLOCATED] = std::string(150, 'a') + std::string(150, 'b');
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox(std::string(150, 'a') + std::string(50, 'b'));
  EXPECT_EQ(Fake.WaveCalls.back().Size, 201u);

  Fake.Boxes.clear();
  Fake.ErrorTextUnterminated = true;
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox(std::string(200, 'x'));
}

TEST_F(WaveInputTest, CodeWithoutPlatformTextIsStillNamed) {
  Fake.OpenResult = 77;
  Fake.ErrorTextResult = MMSYSERR_BADERRNUM;
  EXPECT_FALSE(OpenWaveInput(kViewWindow));
  ExpectOneErrorBox("Wave input error 77.");
}

TEST_F(WaveInputTest, CloseDoesNothingWhenNeverOpened) {
  CloseWaveInput();
  EXPECT_TRUE(Fake.Calls.empty());
}

TEST_F(WaveInputTest, CloseClosesTheOpenedHandleOnce) {
  ASSERT_TRUE(OpenWaveInput(kViewWindow));
  CloseWaveInput();
  CloseWaveInput();
  ASSERT_EQ(Fake.WaveCallNames().back(), "waveInClose");
  EXPECT_EQ(Fake.WaveCalls.back().Handle, Fake.OpenedHandle);
  EXPECT_EQ(Fake.WaveCalls.size(), 4u);
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_EQ(InputOpen, 0);
}

TEST_F(WaveInputTest, FailedCloseShowsThePlatformTextAndLeavesTheDeviceOpen) {
  ASSERT_TRUE(OpenWaveInput(kViewWindow));
  Fake.CloseResult = WAVERR_STILLPLAYING;
  Fake.ErrorTexts[WAVERR_STILLPLAYING] = "Buffers are still queued.";
  CloseWaveInput();
  ExpectOneErrorBox("Buffers are still queued.");
  EXPECT_EQ(InputOpen, 1);

  Fake.CloseResult = MMSYSERR_NOERROR;
  CloseWaveInput();
  EXPECT_EQ(Fake.WaveCalls.back().Function, "waveInClose");
  EXPECT_EQ(InputOpen, 0);
}

}  // namespace
