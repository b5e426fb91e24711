#include "capture/WaveInput.h"

#include <cstdio>
#include <cstring>

#include "capture/CaptureFormat.h"
#include "capture/MessageBoxes.h"
#include "capture/WaveInError.h"

HWAVEIN InputHandle = nullptr;
int32_t InputOpen = 0;

namespace {

// Device 0 itself, also when the system prefers another recording device.
constexpr UINT kInputDeviceId = 0;
constexpr DWORD_PTR kNoCallbackInstance = 0;
constexpr char kNoDeviceText[] = "No input device found!";
constexpr char kUsingDeviceFormat[] = "Using %.*s.";

// "Using <product name>." The name is read only within its field, so a name
// without a terminating zero is cut there.
void ShowDeviceInUse(const WAVEINCAPSA& caps) {
  char text[sizeof(kUsingDeviceFormat) + sizeof(caps.szPname)];
  const int nameLength = static_cast<int>(strnlen(caps.szPname, sizeof(caps.szPname)));
  std::snprintf(text, sizeof(text), kUsingDeviceFormat, nameLength, caps.szPname);
  ShowInfo(text);
}

void ShowWaveInError(MMRESULT code) {
  ShowError(WaveInErrorText(code).c_str());
}

}  // namespace

void ResetWaveInputState() {
  InputHandle = nullptr;
  InputOpen = 0;
}

bool OpenWaveInput(HWND window) {
  const SystemApi& api = SystemCalls();
  const UINT deviceCount = api.waveInGetNumDevs();
  if (deviceCount == 0) {
    ShowError(kNoDeviceText);
    return false;
  }

  WAVEINCAPSA caps{};
  MMRESULT result = api.waveInGetDevCapsA(kInputDeviceId, &caps, sizeof(caps));
  if (result != MMSYSERR_NOERROR) {
    ShowWaveInError(result);
    return false;
  }
  if (deviceCount > 1) {
    ShowDeviceInUse(caps);
  }

  const WAVEFORMATEX format = RecordingFormat();
  HWAVEIN handle = nullptr;
  result = api.waveInOpen(&handle, kInputDeviceId, &format, reinterpret_cast<DWORD_PTR>(window),
                          kNoCallbackInstance, CALLBACK_WINDOW);
  if (result != MMSYSERR_NOERROR) {
    ShowWaveInError(result);
    return false;
  }
  InputHandle = handle;
  InputOpen = 1;
  return true;
}

void CloseWaveInput(bool showFailure) {
  if (InputOpen == 0) {
    return;
  }
  const MMRESULT result = SystemCalls().waveInClose(InputHandle);
  if (result != MMSYSERR_NOERROR) {
    if (showFailure) ShowWaveInError(result);
    return;
  }
  ResetWaveInputState();
}
