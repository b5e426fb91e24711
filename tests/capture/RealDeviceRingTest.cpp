// The ring on the platform's own wave input, where there is one: under Wine
// that is a sound server's source (the test command starts one).
#include "capture/WaveInput.h"
#include "tests/capture/RingFixture.h"

namespace {

constexpr DWORD kSpectrumTimeoutMs = 10000;

TEST_F(RingTest, TheRealWaveInputRunsTheRingAndEndsOnClose) {
  Fake.SimulateDevice = false;
  Fake.UseRealWaveInput();  // message boxes stay recorded
  if (waveInGetNumDevs() == 0) GTEST_SKIP() << "no wave input device here";
  Start();
  ASSERT_TRUE(Client->IsStarted());
  ASSERT_TRUE(PumpUntil([&] { return Client->ShownSize() == 2048; }, kSpectrumTimeoutMs));
  // Further cycles follow, the next capture with the size of its queueing.
  Write(Settings.FftSize, 1024);
  ASSERT_TRUE(PumpUntil([&] { return Client->ShownSize() == 1024; }, kSpectrumTimeoutMs));
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(5000), 1);
  Destroy();
  EXPECT_EQ(InputOpen, 0);  // closed
  for (const auto& box : Fake.Boxes) EXPECT_NE(box.Caption, "Error") << box.Text;
}

}  // namespace
