#include "capture/CaptureDevice.h"

#include <algorithm>

#include "capture/CaptureFormat.h"
#include "capture/WaveInput.h"

namespace {

constexpr UINT kHeaderBytes = sizeof(WAVEHDR);

}  // namespace

MMRESULT QueueCaptureBuffer(TSampleBuffer& buffer, int32_t frames) {
  WAVEHDR* header = buffer.WaveHeader();
  if (!buffer.IsValid()) {
    return MMSYSERR_NOMEM;
  }
  if (frames < 1 || frames > kMaxFftSize) {
    return MMSYSERR_INVALPARAM;
  }
  header->dwBufferLength = static_cast<DWORD>(frames) * kBytesPerFrame;

  const SystemApi& api = SystemCalls();
  const MMRESULT prepared = api.waveInPrepareHeader(InputHandle, header, kHeaderBytes);
  if (prepared != MMSYSERR_NOERROR) {
    return prepared;
  }
  const MMRESULT added = api.waveInAddBuffer(InputHandle, header, kHeaderBytes);
  if (added != MMSYSERR_NOERROR) {
    api.waveInUnprepareHeader(InputHandle, header, kHeaderBytes);
    return added;
  }
  const MMRESULT started = api.waveInStart(InputHandle);
  if (started != MMSYSERR_NOERROR) {
    // The buffer is in the device's queue: take it out before unpreparing.
    api.waveInReset(InputHandle);
    api.waveInUnprepareHeader(InputHandle, header, kHeaderBytes);
    return started;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT ReleaseCaptureBuffer(TSampleBuffer& buffer) {
  if (!buffer.IsValid()) {
    return MMSYSERR_NOMEM;
  }
  return SystemCalls().waveInUnprepareHeader(InputHandle, buffer.WaveHeader(), kHeaderBytes);
}

MMRESULT ResetCaptureDevice() {
  return SystemCalls().waveInReset(InputHandle);
}

int64_t CaptureClockUs() {
  constexpr int64_t kMicrosecondsPerSecond = 1000000;
  LARGE_INTEGER ticks{}, ticksPerSecond{};
  const SystemApi& api = SystemCalls();
  if (!api.QueryPerformanceCounter(&ticks) || !api.QueryPerformanceFrequency(&ticksPerSecond) ||
      ticksPerSecond.QuadPart <= 0) {
    return 0;
  }
  const int64_t seconds = ticks.QuadPart / ticksPerSecond.QuadPart;
  const int64_t rest = ticks.QuadPart % ticksPerSecond.QuadPart;
  return seconds * kMicrosecondsPerSecond + rest * kMicrosecondsPerSecond / ticksPerSecond.QuadPart;
}

int32_t RecordedFrames(const TSampleBuffer& buffer) {
  if (!buffer.IsValid()) {
    return 0;
  }
  const WAVEHDR& header = *buffer.WaveHeader();
  const DWORD bytes = std::min(header.dwBytesRecorded, header.dwBufferLength);
  return static_cast<int32_t>(bytes / kBytesPerFrame);
}
