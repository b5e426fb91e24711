#include "recording/WaveFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int32_t kMinRateHz = 8000;
constexpr int32_t kMaxRateHz = 192000;
constexpr int32_t kMaxChannels = 2;
constexpr uint32_t kRiffHeaderBytes = 12;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kFormatBytes = 16;
constexpr uint32_t kExtensibleFormatBytes = 40;
constexpr uint32_t kExtensibleExtraBytes = 22;
constexpr uint32_t kDs64Bytes = 24;
// A size field of all ones: RF64's "see ds64", or a writer that never came
// back to fill it in.
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;
// Blocks read before the data block: enough for any real file's metadata,
// few enough that a file of tiny blocks is refused at once.
constexpr int32_t kMaxBlocksBeforeData = 1000;
// The bytes read at a time: memory stays bounded whatever the file's length.
constexpr size_t kPieceBytes = 65536;

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagExtensible = 0xFFFE;
// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE after its first two bytes,
// which hold the format tag (KSDATAFORMAT_SUBTYPE_PCM, _IEEE_FLOAT).
constexpr unsigned char kSubFormatSuffix[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr double kScale8 = 1.0 / 128.0;
constexpr double kScale16 = 1.0 / 32768.0;
constexpr double kScale24 = 1.0 / 8388608.0;
constexpr double kScale32 = 1.0 / 2147483648.0;

uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const unsigned char* p) {
  return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

bool IsId(const unsigned char* p, const char* id) {
  return std::memcmp(p, id, 4) == 0;
}

// A block's name as the messages show it, unprintable bytes as '?'.
std::string BlockName(const unsigned char* id) {
  std::string name;
  for (int i = 0; i < 4; ++i)
    name += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
  return "\"" + name + "\"";
}

std::string Hex4(uint16_t value) {
  const char* digits = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
  return text;
}

// The coded formats one meets in wave files, by their tags.
const char* CompressedFormatName(uint16_t tag) {
  switch (tag) {
    case 0x0002:
      return "ADPCM";
    case 0x0006:
      return "A-law";
    case 0x0007:
      return "\xB5-law";
    case 0x0011:
      return "IMA-ADPCM";
    case 0x0031:
      return "GSM 6.10";
    case 0x0050:
      return "MPEG";
    case 0x0055:
      return "MP3";
    case 0x00FF:
      return "AAC";
    default:
      return nullptr;
  }
}

}  // namespace

WaveFileReader::WaveFileReader(ByteSource& source) : Source(source) {}

bool WaveFileReader::Refuse(const std::string& reason) {
  ErrorText = reason;
  return false;
}

bool WaveFileReader::ReadBytes(uint64_t offset, void* buffer, size_t count) {
  if (Source.ReadAt(offset, buffer, count)) return true;
  return Refuse("Die Datei konnte nicht gelesen werden (Lesefehler).");
}

bool WaveFileReader::Open() {
  const uint64_t fileSize = Source.Size();
  unsigned char riff[kRiffHeaderBytes];
  if (fileSize < kRiffHeaderBytes || !ReadBytes(0, riff, sizeof riff))
    return Refuse("Die Datei ist keine Wave-Datei: sie ist k\xFCrzer als ein RIFF-Kopf.");
  const bool rf64 = IsId(riff, "RF64");
  if (!(IsId(riff, "RIFF") || rf64) || !IsId(riff + 8, "WAVE"))
    return Refuse("Die Datei ist keine Wave-Datei: ihr fehlt die Kennung RIFF/WAVE am Anfang.");
  Header.Rf64 = rf64;

  uint64_t offset = kRiffHeaderBytes;
  uint64_t dataSize64 = 0;
  if (rf64 && !ReadRf64Sizes(offset, dataSize64)) return false;

  // The RIFF size is not trusted: a recording cut off leaves it too large,
  // some writers leave it 0. The file's own size bounds every block.
  for (int32_t blocks = 0;; ++blocks) {
    if (blocks == kMaxBlocksBeforeData)
      return Refuse(
          "Die Datei hat vor den Daten mehr als 1000 Bl\xF6"
          "cke.");
    if (fileSize < kChunkHeaderBytes || offset > fileSize - kChunkHeaderBytes) {
      if (!FormatSeen) return Refuse("Die Datei enth\xE4lt keinen Formatblock (\"fmt \").");
      return Refuse("Die Datei enth\xE4lt keinen Datenblock (\"data\").");
    }
    unsigned char chunk[kChunkHeaderBytes];
    if (!ReadBytes(offset, chunk, sizeof chunk)) return false;
    const uint32_t size = Le32(chunk + 4);
    const uint64_t bodyOffset = offset + kChunkHeaderBytes;
    const uint64_t bytesLeft = fileSize - bodyOffset;

    if (IsId(chunk, "data")) {
      if (!FormatSeen)
        return Refuse(
            "Der Datenblock steht vor dem Formatblock: das Format der Samples ist "
            "unbekannt.");
      uint64_t claimed = size;
      if (rf64 && size == kUnknownSize) claimed = dataSize64;
      // A writer that fills in the sizes when it closes the file leaves both
      // RIFF and data sizes at what an empty recording has when it is cut off.
      const bool sizesNeverWritten = !rf64 && size == 0 && Le32(riff + 4) <= bodyOffset - 8;
      if (sizesNeverWritten) claimed = std::numeric_limits<uint64_t>::max();
      uint64_t held = claimed;
      if (claimed > bytesLeft) {
        held = bytesLeft;
        Header.Truncated = true;
      }
      Header.DataOffset = bodyOffset;
      Header.FrameCount = held / BlockAlign;
      if (Header.FrameCount == 0) return Refuse("Die Datei enth\xE4lt keine Samples.");
      return true;
    }
    if (size > bytesLeft)
      return Refuse("Der Block " + BlockName(chunk) +
                    " reicht \xFC"
                    "ber das Dateiende hinaus.");
    if (IsId(chunk, "fmt ")) {
      if (FormatSeen)
        return Refuse(
            "Die Datei hat zwei Formatbl\xF6"
            "cke.");
      if (!ReadFormatBlock(bodyOffset, size)) return false;
    }
    // Blocks of odd size are followed by a pad byte.
    offset = bodyOffset + size + (size & 1u);
  }
}

bool WaveFileReader::ReadRf64Sizes(uint64_t& chunkOffset, uint64_t& dataSize64) {
  const uint64_t fileSize = Source.Size();
  unsigned char ds64[kChunkHeaderBytes + kDs64Bytes];
  if (fileSize < chunkOffset + sizeof ds64 || !ReadBytes(chunkOffset, ds64, sizeof ds64) ||
      !IsId(ds64, "ds64"))
    return Refuse("Die RF64-Datei beginnt nicht mit einem vollst\xE4ndigen ds64-Block.");
  const uint32_t size = Le32(ds64 + 4);
  if (size < kDs64Bytes || size > fileSize - chunkOffset - kChunkHeaderBytes)
    return Refuse(
        "Der ds64-Block der RF64-Datei hat eine unm\xF6gliche Gr\xF6\xDF"
        "e.");
  // ds64 holds the RIFF size, then the data size, then the sample count.
  dataSize64 = Le64(ds64 + kChunkHeaderBytes + 8);
  chunkOffset += kChunkHeaderBytes + size + (size & 1u);
  return true;
}

bool WaveFileReader::ReadFormatBlock(uint64_t offset, uint32_t size) {
  if (size < kFormatBytes)
    return Refuse("Der Formatblock ist zu kurz (" + std::to_string(size) +
                  " Bytes, mindestens 16).");
  unsigned char fmt[kExtensibleFormatBytes];
  const uint32_t wanted = std::min(size, kExtensibleFormatBytes);
  if (!ReadBytes(offset, fmt, wanted)) return false;
  uint16_t tag = Le16(fmt);
  const uint16_t channels = Le16(fmt + 2);
  const uint32_t rate = Le32(fmt + 4);
  BlockAlign = Le16(fmt + 12);
  const uint16_t bits = Le16(fmt + 14);

  if (tag == kTagExtensible) {
    if (size < kExtensibleFormatBytes || Le16(fmt + 16) < kExtensibleExtraBytes)
      return Refuse("Der Formatblock ist f\xFCr WAVE_FORMAT_EXTENSIBLE zu kurz (" +
                    std::to_string(size) + " Bytes, mindestens 40).");
    const unsigned char* guid = fmt + 24;
    if (std::memcmp(guid + 2, kSubFormatSuffix, sizeof kSubFormatSuffix) != 0)
      return Refuse("Das Unterformat von WAVE_FORMAT_EXTENSIBLE ist unbekannt.");
    tag = Le16(guid);
  }
  if (!CheckFormat(tag)) return false;
  if (tag == kTagFloat && bits != 32)
    return Refuse("Gleitkommawerte mit " + std::to_string(bits) +
                  " Bit werden nicht gelesen, nur solche mit 32 Bit.");
  if (tag == kTagPcm && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Refuse("PCM mit " + std::to_string(bits) +
                  " Bit wird nicht gelesen, nur mit 8, 16, 24 oder 32 Bit.");
  if (channels == 0) return Refuse("Die Aufnahme hat keinen Kanal.");
  if (channels > kMaxChannels)
    return Refuse("Die Aufnahme hat " + std::to_string(channels) +
                  " Kan\xE4le; gelesen werden Mono und Stereo.");
  if (rate < static_cast<uint32_t>(kMinRateHz) || rate > static_cast<uint32_t>(kMaxRateHz))
    return Refuse("Die Abtastrate " + std::to_string(rate) +
                  " Hz liegt au\xDF"
                  "erhalb von 8000 bis 192000 Hz.");
  if (BlockAlign != channels * (bits / 8))
    return Refuse(
        "Die Blockgr\xF6\xDF"
        "e " +
        std::to_string(BlockAlign) + " passt nicht zu " + std::to_string(channels) +
        " Kanal/Kan\xE4len mit " + std::to_string(bits) + " Bit.");
  Header.Channels = channels;
  Header.SampleRateHz = static_cast<int32_t>(rate);
  Header.BitsPerSample = bits;
  Header.Encoding = (tag == kTagFloat) ? SampleEncoding::kFloat : SampleEncoding::kInteger;
  Header.BytesPerFrame = BlockAlign;
  FormatSeen = true;
  return true;
}

bool WaveFileReader::CheckFormat(uint16_t tag) {
  if (tag == kTagPcm || tag == kTagFloat) return true;
  const char* name = CompressedFormatName(tag);
  if (name != nullptr)
    return Refuse("Die Datei enth\xE4lt komprimierte Daten (" + std::string(name) +
                  ", Formatkennung " + Hex4(tag) + "); gelesen wird nur PCM und Gleitkomma.");
  return Refuse("Die Datei enth\xE4lt Daten im unbekannten Format " + Hex4(tag) +
                "; gelesen wird nur PCM und Gleitkomma.");
}

int64_t WaveFileReader::Read(double* samples, int64_t maxFrames) {
  const uint64_t left = Header.FrameCount - NextFrame;
  uint64_t frames = std::min<uint64_t>(left, maxFrames > 0 ? static_cast<uint64_t>(maxFrames) : 0);
  if (frames == 0) return 0;
  const size_t framesPerPiece = kPieceBytes / static_cast<size_t>(BlockAlign);
  Piece.resize(framesPerPiece * BlockAlign);
  const uint64_t done = frames;
  while (frames > 0) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(frames, framesPerPiece));
    const size_t bytes = count * BlockAlign;
    if (!ReadBytes(Header.DataOffset + NextFrame * BlockAlign, Piece.data(), bytes)) return -1;
    if (!Decode(Piece.data(), count, samples)) return -1;
    samples += count * static_cast<size_t>(Header.Channels);
    NextFrame += count;
    frames -= count;
  }
  return static_cast<int64_t>(done);
}

bool WaveFileReader::Decode(const unsigned char* bytes, size_t frames, double* samples) {
  const size_t values = frames * static_cast<size_t>(Header.Channels);
  if (Header.Encoding == SampleEncoding::kFloat) {
    for (size_t i = 0; i < values; ++i) {
      const uint32_t word = Le32(bytes + 4 * i);
      float value;
      std::memcpy(&value, &word, sizeof value);
      if (!std::isfinite(value))
        return Refuse(
            "Die Datei enth\xE4lt einen ung\xFCltigen Gleitkommawert (unendlich oder "
            "keine Zahl).");
      samples[i] = value;
    }
    return true;
  }
  switch (Header.BitsPerSample) {
    case 8:
      for (size_t i = 0; i < values; ++i) samples[i] = (bytes[i] - 128) * kScale8;
      break;
    case 16:
      for (size_t i = 0; i < values; ++i)
        samples[i] = static_cast<int16_t>(Le16(bytes + 2 * i)) * kScale16;
      break;
    case 24:
      for (size_t i = 0; i < values; ++i) {
        const unsigned char* p = bytes + 3 * i;
        const uint32_t word = static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                              static_cast<uint32_t>(p[2]) << 24;
        samples[i] = (static_cast<int32_t>(word) / 256) * kScale24;
      }
      break;
    default:
      for (size_t i = 0; i < values; ++i)
        samples[i] = static_cast<int32_t>(Le32(bytes + 4 * i)) * kScale32;
      break;
  }
  return true;
}
