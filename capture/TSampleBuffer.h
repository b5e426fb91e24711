#pragma once

#include <cstdint>

#include "capture/SystemApi.h"

// The single capture buffer: a wave header and a 1 MiB sample block (room for
// one capture of the largest transform), both in movable global memory and
// locked for the object's whole life, so their addresses never change.
//
// Construction clears the sample block: frames that no capture has reached
// read as silence. If the memory cannot be had, the object holds nothing
// (IsValid() is false, both pointers null) and must not be queued.
class TSampleBuffer {
 public:
  TSampleBuffer();
  ~TSampleBuffer();

  TSampleBuffer(const TSampleBuffer&) = delete;
  TSampleBuffer& operator=(const TSampleBuffer&) = delete;

  bool IsValid() const { return Header != nullptr && Samples != nullptr; }

  // The header handed to the device; null when invalid.
  WAVEHDR* WaveHeader() const { return Header; }
  // The interleaved stereo frames, left sample first; null when invalid.
  const int16_t* SampleFrames() const { return Samples; }

  HGLOBAL HeaderBlock() const { return HeaderMemory; }
  HGLOBAL SampleBlock() const { return SampleMemory; }

  // Keeps both blocks allocated and locked beyond the object's end: for a
  // buffer that a device still holds and may still write into.
  void Abandon() { Abandoned = true; }

 private:
  void Allocate();
  void Release();

  HGLOBAL HeaderMemory = nullptr;
  HGLOBAL SampleMemory = nullptr;
  WAVEHDR* Header = nullptr;
  int16_t* Samples = nullptr;
  bool Abandoned = false;
};
