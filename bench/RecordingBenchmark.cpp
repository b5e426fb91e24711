// Analyses an hour of 16-bit stereo at 44100 Hz, made up as it is read, at
// every size with the Hanning window and the offset correction, on one
// thread (another length in seconds as the argument). Prints each size's time, how many times
// faster than real time it is, and the process's peak memory. On a shared machine the wall-clock
// time counts the other processes' turns too: the factor is taken from the process's CPU time,
// which is what one core spends. Portable; the CPU time and the peak memory natively only (clock()
// counts wall time on Windows).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "analysis/DisplayRange.h"
#include "analysis/WeightingWindow.h"
#include "bench/SyntheticRecording.h"
#include "recording/RecordingAnalyser.h"

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace {

constexpr double kHourSeconds = 3600.0;

double PeakMemoryMiB() {
#if defined(__unix__)
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
#else
  return 0.0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  Range = kFixedDisplayRange;
  const double recordingSeconds = argc > 1 ? std::atof(argv[1]) : kHourSeconds;
  const uint64_t frames = static_cast<uint64_t>(recordingSeconds * kSampleRateHz);
  std::printf("%.0f s of 16-bit stereo at %d Hz (%llu frames), Hanning, offset correction on\n\n",
              recordingSeconds, kSampleRateHz, static_cast<unsigned long long>(frames));
  std::printf("%8s %8s %10s %10s %14s %18s\n", "points", "blocks", "wall [s]", "CPU [s]",
              "x real time", "peak memory [MiB]");
  RecordingAnalyser analyser;
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2) {
    SyntheticRecording recording(frames);
    WaveFileReader reader(recording);
    if (!reader.Open()) {
      std::printf("%s\n", reader.Error().c_str());
      return 1;
    }
    RecordingResult spectrum;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const RecordingAnalyser::Outcome outcome =
        analyser.Analyse(reader, {n, kWindowHanning, 1}, {}, spectrum);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (outcome != RecordingAnalyser::Outcome::kDone) {
      std::printf("%s\n", analyser.Error().c_str());
      return 1;
    }
    std::printf("%8d %8lld %10.2f %10.2f %14.0f %18.1f\n", n,
                static_cast<long long>(spectrum.BlockCount), seconds, cpuSeconds,
                recordingSeconds / cpuSeconds, PeakMemoryMiB());
    std::fflush(stdout);
  }
  return 0;
}
