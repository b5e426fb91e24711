#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/ByteSource.h"
#include "recording/WaveFormat.h"

// Reads a wave file (RIFF/WAVE, or RF64) from a byte source: PCM of 8, 16, 24
// and 32 bit, 32-bit float, each also as WAVE_FORMAT_EXTENSIBLE, mono or
// stereo, 8000 to 192000 Hz. The samples come in pieces of bounded size,
// whatever the file's length, as doubles in full-scale units:
//   8 bit:  (u - 128) * 2^-7    16 bit: s * 2^-15 (the live analysis' scale)
//   24 bit: s * 2^-23           32 bit: s * 2^-31
//   float:  the value itself (a non-finite one is refused when met).
// A data block that claims more than the file holds is read as far as the
// file goes (Format().Truncated). Everything else a header gets wrong is
// refused with its reason, in German (Windows-1252). Only bytes the source
// holds are ever asked for.
class WaveFileReader {
 public:
  explicit WaveFileReader(ByteSource& source);

  // Reads and checks the header. False: Error() says why.
  bool Open();
  // After a successful Open.
  const WaveFormat& Format() const { return Header; }

  // The next frames, at most maxFrames, Format().Channels values per frame
  // into `samples`. Answers the frames read: 0 at the end, -1 on a read error
  // or a non-finite float sample (Error() says which).
  int64_t Read(double* samples, int64_t maxFrames);

  const std::string& Error() const { return ErrorText; }

 private:
  bool Refuse(const std::string& reason);
  bool ReadBytes(uint64_t offset, void* buffer, size_t count);
  bool ReadFormatBlock(uint64_t offset, uint32_t size);
  bool ReadRf64Sizes(uint64_t& chunkOffset, uint64_t& dataSize64);
  bool CheckFormat(uint16_t formatTag);
  bool Decode(const unsigned char* bytes, size_t frames, double* samples);

  ByteSource& Source;
  WaveFormat Header;
  bool FormatSeen = false;
  uint16_t BlockAlign = 0;
  uint64_t NextFrame = 0;
  std::vector<unsigned char> Piece;
  std::string ErrorText;
};
