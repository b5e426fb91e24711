#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/SystemApi.h"

// The wave input device, process-wide: device 0 of the system at start, then
// whichever input the user chooses, opened in the recording format with a
// window as the target of its messages. At most one is open. GUI thread only.

// The open device; valid while InputOpen is 1.
extern HWAVEIN InputHandle;
// Its number.
extern UINT InputDevice;
// 1 once OpenWaveInput has succeeded, until CloseWaveInput has closed it.
extern int32_t InputOpen;

// Forgets any device: InputOpen 0, no handle. The spectrum view's
// constructor calls it.
void ResetWaveInputState();

// Opens device 0 with `window` as the target of MM_WIM_DATA. With more than
// one device it first names device 0 in an "Info" box; every failure is shown
// in an "Error" box. True when the device is open.
//
// With `preferred` another device (the one remembered from the last run) is
// tried first, named in the "Info" box once open when there are several;
// if it cannot be opened, or `announce` is set (the remembered one is gone),
// device 0 is opened as above and named in the box in any case.
bool OpenWaveInput(HWND window, UINT preferred = 0, bool announce = false);

// Opens input `device` like OpenWaveInput, but shows no box: on failure the
// system's text for it is in `why`. REQUIRES: no device is open.
bool OpenWaveInputDevice(HWND window, UINT device, std::string& why);

// The product names of the wave input devices, in device order (a device
// whose capabilities cannot be read is named by its number).
std::vector<std::string> WaveInputNames();

// Forgets the handle of a device that could not be closed (the ring abandons
// it): it is no longer used, and another may be opened.
void ForgetWaveInput();

// Closes the device if it is open; a failed close leaves the device open and
// is shown in an "Error" box unless `showFailure` is false (the failure that
// made it fail has been reported already). Closing fails while a buffer is
// queued.
void CloseWaveInput(bool showFailure = true);
