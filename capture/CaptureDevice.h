#pragma once

#include <cstdint>

#include "capture/SystemApi.h"
#include "capture/TSampleBuffer.h"

// One capture on the open wave input device (InputHandle): queueing the
// buffer, taking it back, and what it holds. GUI thread only.

// Hands `buffer` to the device for a capture of `frames` frames (1 to
// kMaxFftSize) and starts recording; starting a started device changes
// nothing. MMSYSERR_NOERROR when the buffer is queued; it then comes back as
// MM_WIM_DATA. Otherwise the failing call's code, and the buffer is idle
// again (unprepared). A failed start resets the device, which returns the
// buffer as an MM_WIM_DATA that may still arrive. An invalid buffer or frame
// count is refused with MMSYSERR_NOMEM or MMSYSERR_INVALPARAM, without a call.
MMRESULT QueueCaptureBuffer(TSampleBuffer& buffer, int32_t frames);

// Takes back a buffer that the device has returned (unprepares it), so that
// it can be read and queued again.
MMRESULT ReleaseCaptureBuffer(TSampleBuffer& buffer);

// Stops recording and returns a queued buffer at once, marked done, as
// MM_WIM_DATA; it then holds the frames recorded so far.
MMRESULT ResetCaptureDevice();

// Microseconds on the platform's high-resolution clock, for timing captures.
int64_t CaptureClockUs();

// The complete frames that the device wrote into a returned buffer; can be
// fewer than were asked for (a reset, a device that stopped).
int32_t RecordedFrames(const TSampleBuffer& buffer);
