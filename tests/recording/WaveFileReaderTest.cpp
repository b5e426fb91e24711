#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "recording/WaveFileReader.h"
#include "tests/recording/WaveBytes.h"

namespace {

// Every sample format read back exactly: the extremes, zero and random values,
// in a file long enough to cross the reader's pieces, read in odd counts.
TEST(WaveFileReader, ReadsEveryFormatBackExactly) {
  struct Case {
    uint16_t Tag, SubTag, Channels, Bits;
  };
  const Case cases[] = {{1, 1, 2, 8},       {1, 1, 1, 16},      {1, 1, 2, 16},
                        {1, 1, 2, 24},      {1, 1, 1, 32},      {3, 3, 2, 32},
                        {0xFFFE, 1, 2, 24}, {0xFFFE, 3, 1, 32}, {0xFFFE, 1, 2, 16}};
  std::mt19937 random(7);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tag " << c.Tag << "/" << c.SubTag << ", " << c.Bits
                                    << " bit, " << c.Channels << " ch");
    const bool isFloat = c.SubTag == 3;
    const int64_t top = int64_t{1} << (c.Bits - 1);
    std::vector<double> expected;
    Bytes data;
    for (int i = 0; i < 40001 * c.Channels; ++i) {
      if (isFloat) {
        const float value = i < 3 ? std::vector<float>{1.5f, -0.25f, 1e-30f}[i]
                                  : std::uniform_real_distribution<float>(-1, 1)(random);
        uint32_t word;
        std::memcpy(&word, &value, 4);
        Put(data, word, 4);
        expected.push_back(value);
        continue;
      }
      const int64_t value = i == 0   ? -top
                            : i == 1 ? top - 1
                            : i == 2
                                ? 0
                                : std::uniform_int_distribution<int64_t>(-top, top - 1)(random);
      Put(data, static_cast<uint64_t>(c.Bits == 8 ? value + 128 : value), c.Bits / 8);
      expected.push_back(std::ldexp(static_cast<double>(value), -(c.Bits - 1)));
    }
    WaveHeader header{c.Tag, c.SubTag, c.Channels, 96000, c.Bits};
    StrictSource source(WaveFile(header, data, Chunk("LIST", Bytes(5, 'x'))));
    WaveFileReader reader(source);
    ASSERT_TRUE(reader.Open()) << reader.Error();
    EXPECT_EQ(reader.Format().SampleRateHz, 96000);
    EXPECT_EQ(reader.Format().FrameCount, 40001u);
    EXPECT_FALSE(reader.Format().Truncated);
    std::vector<double> read(expected.size() + 7 * c.Channels);
    size_t frames = 0;
    for (int64_t got; (got = reader.Read(read.data() + frames * c.Channels, 7)) > 0;)
      frames += static_cast<size_t>(got);
    ASSERT_EQ(frames, 40001u);
    read.resize(expected.size());
    EXPECT_EQ(read, expected);
  }
}

// A recording cut off is read as far as it goes; RF64 takes the data size from ds64.
TEST(WaveFileReader, CutOffRecordingsAndRf64) {
  const Bytes data = Pcm16(std::vector<int16_t>(2000, 1));  // 1000 stereo frames
  struct Case {
    const char* Name;
    std::function<Bytes()> File;
    uint64_t Frames;
    bool Truncated;
  };
  const Case cases[] = {
      {"cut in a frame",
       [&] {
         Bytes f = WaveFile({}, data);
         f.resize(f.size() - 401);
         return f;
       },
       899, true},
      {"sizes never written",
       [&] {
         Bytes f = WaveFile({}, data);
         std::memset(&f[4], 0, 4);
         std::memset(&f[40], 0, 4);
         return f;
       },
       1000, true},
      {"rf64",
       [&] {
         Bytes rf = {'R', 'F', '6', '4', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E'};
         Bytes ds64(24, 0);
         ds64[8] = 3000 % 256;  // the data size, fewer than the block's bytes: ds64's counts
         ds64[9] = 3000 / 256;
         const Bytes ds = Chunk("ds64", ds64), f = WaveFile({}, data);
         rf.insert(rf.end(), ds.begin(), ds.end());
         rf.insert(rf.end(), f.begin() + 12, f.end());
         std::memset(&rf[rf.size() - data.size() - 4], 0xFF, 4);
         return rf;
       },
       750, false},
  };
  for (const Case& c : cases) {
    StrictSource source(c.File());
    WaveFileReader reader(source);
    ASSERT_TRUE(reader.Open()) << c.Name << ": " << reader.Error();
    EXPECT_EQ(reader.Format().FrameCount, c.Frames) << c.Name;
    EXPECT_EQ(reader.Format().Truncated, c.Truncated) << c.Name;
    std::vector<double> samples(2 * c.Frames + 2);
    EXPECT_EQ(reader.Read(samples.data(), c.Frames + 1), static_cast<int64_t>(c.Frames)) << c.Name;
    EXPECT_EQ(samples[2 * c.Frames - 1], 1.0 / 32768) << c.Name;
  }
}

// A source of several gigabytes that holds only zeros, without memory.
class HugeZeroSource : public ByteSource {
 public:
  uint64_t Size() const override { return uint64_t{5} << 30; }
  bool ReadAt(uint64_t, void* buffer, size_t count) override {
    ++Reads;
    std::memset(buffer, 0, count);
    return true;
  }
  int Reads = 0;
};

// Cut and altered headers: each refused with its reason, none read past the end.
TEST(WaveFileReader, RefusesBadFilesWithTheirReason) {
  const Bytes good = WaveFile({}, Pcm16(std::vector<int16_t>(64, 5)));
  const auto altered = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes f = good;
    std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<long>(at));
    return f;
  };
  const auto withFormat = [](WaveHeader h) { return WaveFile(h, Pcm16({1, 2, 3, 4})); };
  const auto withBefore = [](const Bytes& before) { return WaveFile({}, Pcm16({1, 2}), before); };
  Bytes dataFirst = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const Bytes& b : {Chunk("data", Pcm16({1, 2})), Chunk("fmt ", FormatBody({}))})
    dataFirst.insert(dataFirst.end(), b.begin(), b.end());
  Bytes tinyBlocks;
  for (int i = 0; i < 1001; ++i) {
    const Bytes b = Chunk("junk", {});
    tinyBlocks.insert(tinyBlocks.end(), b.begin(), b.end());
  }
  Bytes floatNan = WaveFile({3, 3, 1, 44100, 32}, {0, 0, 0, 0, 0, 0, 0xC0, 0x7F});
  const struct {
    Bytes File;
    const char* Reason;
  } cases[] = {
      {{}, "keine Wave-Datei"},
      {altered(0, {'R', 'I', 'F', 'X'}), "RIFF/WAVE"},
      {altered(8, {'A', 'V', 'I', ' '}), "RIFF/WAVE"},
      {Bytes(good.begin(), good.begin() + 12), "keinen Formatblock"},
      {Bytes(good.begin(), good.begin() + 30),
       "reicht \xFC"
       "ber das Dateiende"},
      {Bytes(good.begin(), good.begin() + 36), "keinen Datenblock"},
      {altered(16, {14}), "zu kurz (14 Bytes"},
      {altered(20, {2}), "(ADPCM, Formatkennung 0x0002)"},
      {altered(20, {0x55}), "(MP3, Formatkennung 0x0055)"},
      {altered(20, {0x34, 0x12}), "unbekannten Format 0x1234"},
      {altered(20, {0xFE, 0xFF}), "EXTENSIBLE zu kurz (16 Bytes"},
      {altered(32, {3}),
       "Blockgr\xF6\xDF"
       "e 3 passt nicht"},
      {altered(34, {12}), "PCM mit 12 Bit"},
      {altered(40, {3, 0, 0, 0}), "keine Samples"},
      {withFormat({1, 1, 3, 44100, 16}), "3 Kan\xE4le"},
      {withFormat({1, 1, 0, 44100, 16}), "keinen Kanal"},
      {withFormat({1, 1, 2, 7999, 16}),
       "7999 Hz liegt au\xDF"
       "erhalb"},
      {withFormat({3, 3, 2, 44100, 64}), "Gleitkommawerte mit 64 Bit"},
      {withFormat({0xFFFE, 2, 2, 44100, 16}), "(ADPCM"},
      {[&] {
         Bytes f = withFormat({0xFFFE, 1, 2, 44100, 16});
         f[52] = 0x11;
         return f;
       }(),
       "Unterformat"},
      {withBefore(Chunk("fmt ", FormatBody({}))), "zwei Formatbl"},
      {withBefore({'L', 'I', 'S', 'T', 0xFF, 0xFF, 0, 0}), "Block \"LIST\" reicht"},
      {withBefore(tinyBlocks), "mehr als 1000 Bl"},
      {dataFirst, "vor dem Formatblock"},
      {altered(0, {'R', 'F', '6', '4'}), "ds64"},
  };
  for (const auto& c : cases) {
    StrictSource source(c.File);
    WaveFileReader reader(source);
    EXPECT_FALSE(reader.Open()) << c.Reason;
    EXPECT_NE(reader.Error().find(c.Reason), std::string::npos)
        << "wanted \"" << c.Reason << "\", got \"" << reader.Error() << "\"";
  }

  HugeZeroSource huge;
  WaveFileReader hugeReader(huge);
  EXPECT_FALSE(hugeReader.Open());
  EXPECT_EQ(huge.Reads, 1);

  StrictSource nanSource(floatNan);
  WaveFileReader nanReader(nanSource);
  ASSERT_TRUE(nanReader.Open());
  double samples[2];
  EXPECT_EQ(nanReader.Read(samples, 2), -1);
  EXPECT_NE(nanReader.Error().find("ung\xFCltigen Gleitkommawert"), std::string::npos);
}

// Every cut of a file and every byte of its header altered: refused or read
// within the file, never a read past its end (StrictSource and the sanitizers).
TEST(WaveFileReader, SurvivesEveryCutAndAlteredHeaderByte) {
  const Bytes good =
      WaveFile({0xFFFE, 1, 2, 48000, 24}, Bytes(600, 0x41), Chunk("LIST", Bytes(3, 1)));
  std::vector<Bytes> files;
  for (size_t length = 0; length <= good.size(); ++length)
    files.emplace_back(good.begin(), good.begin() + static_cast<long>(length));
  for (size_t at = 0; at < 80; ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      files.push_back(good);
      files.back()[at] = value;
    }
  }
  for (const Bytes& file : files) {
    StrictSource source(file);
    WaveFileReader reader(source);
    if (!reader.Open()) {
      EXPECT_FALSE(reader.Error().empty());
      continue;
    }
    const WaveFormat& format = reader.Format();
    EXPECT_LE(format.DataOffset + format.FrameCount * format.BytesPerFrame, file.size());
    std::vector<double> samples((format.FrameCount + 1) * format.Channels);
    EXPECT_EQ(reader.Read(samples.data(), static_cast<int64_t>(format.FrameCount + 1)),
              static_cast<int64_t>(format.FrameCount));
  }
}

}  // namespace
