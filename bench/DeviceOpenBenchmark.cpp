// What opening the wave input for each capture would cost: opens the default
// input, records one capture of the default size (2048 frames) and closes it
// again, kRuns times, and prints the process's CPU time and the wall-clock
// time per round. Run beside a sound server that plays (as the tests' tones
// do); the program itself keeps its input open while measuring.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdio>

namespace {

constexpr int kRuns = 40;
constexpr int kCaptureFrames = 2048;
constexpr DWORD kSampleRateHz = 44100;
constexpr DWORD kWaitMs = 100;
constexpr double kFileTimeTicksPerSecond = 1e7;

double ProcessCpuSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  const auto seconds = [](FILETIME t) {
    ULARGE_INTEGER u;
    u.LowPart = t.dwLowDateTime;
    u.HighPart = t.dwHighDateTime;
    return static_cast<double>(u.QuadPart) / kFileTimeTicksPerSecond;
  };
  return seconds(kernel) + seconds(user);
}

}  // namespace

int main() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = kSampleRateHz;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = kSampleRateHz * format.nBlockAlign;
  static short samples[kCaptureFrames * 2];
  const HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double totalMs = 0.0;
  double slowestMs = 0.0;
  const double cpuBefore = ProcessCpuSeconds();
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HWAVEIN input;
    if (waveInOpen(&input, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0,
                   CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      std::printf("no wave input could be opened\n");
      return 1;
    }
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(samples);
    header.dwBufferLength = sizeof samples;
    waveInPrepareHeader(input, &header, sizeof header);
    waveInAddBuffer(input, &header, sizeof header);
    waveInStart(input);
    while (!(header.dwFlags & WHDR_DONE)) WaitForSingleObject(done, kWaitMs);
    QueryPerformanceCounter(&end);
    const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    totalMs += ms;
    if (ms > slowestMs) slowestMs = ms;
    waveInReset(input);
    waveInUnprepareHeader(input, &header, sizeof header);
    waveInClose(input);
  }
  const double cpuMs = (ProcessCpuSeconds() - cpuBefore) * 1000.0;
  std::printf(
      "open, one capture of %d frames (%.1f ms of sound), close: %d rounds; per round CPU %.1f ms, "
      "wall clock %.1f ms mean, %.1f ms slowest\n",
      kCaptureFrames, kCaptureFrames * 1000.0 / kSampleRateHz, kRuns, cpuMs / kRuns,
      totalMs / kRuns, slowestMs);
  CloseHandle(done);
  return 0;
}
