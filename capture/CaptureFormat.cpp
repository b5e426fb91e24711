#include "capture/CaptureFormat.h"

WAVEFORMATEX RecordingFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kRecordingChannels;
  format.nSamplesPerSec = kSampleRateHz;
  format.wBitsPerSample = kRecordingBitsPerSample;
  format.nBlockAlign = format.nChannels * format.wBitsPerSample / 8;
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  format.cbSize = 0;
  return format;
}
