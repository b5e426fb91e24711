#include "capture/WaveInput.h"

#include <cstdio>
#include <cstring>

#include "capture/CaptureFormat.h"
#include "capture/MessageBoxes.h"
#include "capture/WaveInError.h"

HWAVEIN InputHandle = nullptr;
UINT InputDevice = 0;
int32_t InputOpen = 0;

namespace {

// Device 0 itself, also when the system prefers another recording device.
constexpr UINT kInputDeviceId = 0;
constexpr DWORD_PTR kNoCallbackInstance = 0;
constexpr char kNoDeviceText[] = "No input device found!";
constexpr char kUsingDeviceFormat[] = "Using %.*s.";

// The name is read only within its field, so a name without a terminating
// zero is cut there.
std::string ProductName(const WAVEINCAPSA& caps) {
  return std::string(caps.szPname, strnlen(caps.szPname, sizeof(caps.szPname)));
}

// "Using <product name>."
void ShowDeviceInUse(const WAVEINCAPSA& caps) {
  const std::string name = ProductName(caps);
  char text[sizeof(kUsingDeviceFormat) + sizeof(caps.szPname)];
  std::snprintf(text, sizeof(text), kUsingDeviceFormat, static_cast<int>(name.size()),
                name.c_str());
  ShowInfo(text);
}

void ShowWaveInError(MMRESULT code) {
  ShowError(WaveInErrorText(code).c_str());
}

}  // namespace

void ResetWaveInputState() {
  InputHandle = nullptr;
  InputDevice = 0;
  InputOpen = 0;
}

bool OpenWaveInput(HWND window, UINT preferred, bool announce) {
  const SystemApi& api = SystemCalls();
  const UINT deviceCount = api.waveInGetNumDevs();
  if (deviceCount == 0) {
    ShowError(kNoDeviceText);
    return false;
  }
  if (preferred != kInputDeviceId && preferred < deviceCount) {
    WAVEINCAPSA preferredCaps{};
    std::string why;
    if (api.waveInGetDevCapsA(preferred, &preferredCaps, sizeof(preferredCaps)) ==
            MMSYSERR_NOERROR &&
        OpenWaveInputDevice(window, preferred, why)) {
      if (deviceCount > 1) ShowDeviceInUse(preferredCaps);
      return true;
    }
    announce = true;
  }

  WAVEINCAPSA caps{};
  MMRESULT result = api.waveInGetDevCapsA(kInputDeviceId, &caps, sizeof(caps));
  if (result != MMSYSERR_NOERROR) {
    ShowWaveInError(result);
    return false;
  }
  if (deviceCount > 1 || announce) {
    ShowDeviceInUse(caps);
  }

  std::string why;
  if (!OpenWaveInputDevice(window, kInputDeviceId, why)) {
    ShowError(why.c_str());
    return false;
  }
  return true;
}

bool OpenWaveInputDevice(HWND window, UINT device, std::string& why) {
  const WAVEFORMATEX format = RecordingFormat();
  HWAVEIN handle = nullptr;
  const MMRESULT result =
      SystemCalls().waveInOpen(&handle, device, &format, reinterpret_cast<DWORD_PTR>(window),
                               kNoCallbackInstance, CALLBACK_WINDOW);
  if (result != MMSYSERR_NOERROR) {
    why = WaveInErrorText(result);
    return false;
  }
  InputHandle = handle;
  InputDevice = device;
  InputOpen = 1;
  return true;
}

std::vector<std::string> WaveInputNames() {
  const SystemApi& api = SystemCalls();
  std::vector<std::string> names;
  const UINT count = api.waveInGetNumDevs();
  for (UINT device = 0; device < count; ++device) {
    WAVEINCAPSA caps{};
    if (api.waveInGetDevCapsA(device, &caps, sizeof(caps)) == MMSYSERR_NOERROR) {
      names.push_back(ProductName(caps));
    } else {
      names.push_back(std::to_string(device));
    }
  }
  return names;
}

void ForgetWaveInput() {
  ResetWaveInputState();
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
