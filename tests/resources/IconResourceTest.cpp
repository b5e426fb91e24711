#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/resources/ModuleResource.h"

namespace {

const WORD kIconType = 1;
const BYTE kSixteenColours = 16;
const WORD kBitsPerPixel = 4;
const std::size_t kPaletteBytes = 16 * sizeof(RGBQUAD);

// The header of an icon group and one entry per image, as stored in the
// resource (packed to 16 bits).
#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colourCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInResource;
  WORD iconId;
};
#pragma pack(pop)

std::vector<GroupIconEntry> ReadGroupEntries(const ModuleResource& group) {
  GroupIconHeader header = {};
  if (group.Size() < sizeof header) return {};
  std::memcpy(&header, group.Data(), sizeof header);
  std::vector<GroupIconEntry> entries(header.count);
  if (group.Size() < sizeof header + header.count * sizeof(GroupIconEntry)) return {};
  std::memcpy(entries.data(), group.Data() + sizeof header, header.count * sizeof(GroupIconEntry));
  return entries;
}

std::size_t RowBytes(int pixels, int bitsPerPixel) {
  return ((pixels * bitsPerPixel + 31) / 32) * 4;
}

// One 4-bit icon image: bitmap header, palette, colour plane, AND mask.
struct IconImage {
  BITMAPINFOHEADER header;
  const BYTE* palette;
  const BYTE* colours;
  const BYTE* mask;
  int size;

  bool Transparent(int x, int row) const {
    return (mask[row * RowBytes(size, 1) + x / 8] >> (7 - x % 8)) & 1;
  }
  RGBQUAD Colour(int x, int row) const {
    const BYTE pair = colours[row * RowBytes(size, kBitsPerPixel) + x / 2];
    const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
    RGBQUAD colour;
    std::memcpy(&colour, palette + index * sizeof colour, sizeof colour);
    return colour;
  }
};

IconImage ReadImage(const ModuleResource& icon, int size) {
  IconImage image = {};
  std::memcpy(&image.header, icon.Data(), sizeof image.header);
  image.size = size;
  image.palette = icon.Data() + sizeof image.header;
  image.colours = image.palette + kPaletteBytes;
  image.mask = image.colours + size * RowBytes(size, kBitsPerPixel);
  return image;
}

TEST(IconGroup, HasA32And16PixelImageOf16Colours) {
  const ModuleResource group(RT_GROUP_ICON, IDI_FRELOX);
  ASSERT_TRUE(group.Found());
  GroupIconHeader header = {};
  ASSERT_GE(group.Size(), sizeof header);
  std::memcpy(&header, group.Data(), sizeof header);
  EXPECT_EQ(header.reserved, 0);
  EXPECT_EQ(header.type, kIconType);
  ASSERT_EQ(header.count, 2);
  EXPECT_EQ(group.Size(), sizeof header + 2 * sizeof(GroupIconEntry));

  const std::vector<GroupIconEntry> entries = ReadGroupEntries(group);
  ASSERT_EQ(entries.size(), 2u);
  const struct {
    BYTE size;
    WORD iconId;
  } expected[] = {{32, 1}, {16, 2}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(entries[i].width, expected[i].size);
    EXPECT_EQ(entries[i].height, expected[i].size);
    EXPECT_EQ(entries[i].colourCount, kSixteenColours);
    EXPECT_EQ(entries[i].planes, 1);
    EXPECT_EQ(entries[i].bitCount, kBitsPerPixel);
    EXPECT_EQ(entries[i].iconId, expected[i].iconId);
    const ModuleResource icon(RT_ICON, entries[i].iconId);
    ASSERT_TRUE(icon.Found());
    EXPECT_EQ(entries[i].bytesInResource, icon.Size());
  }
}

// Each image is a 4-bit bitmap of twice its height (colours, then mask) with
// nothing missing or left over; a transparent pixel must be black in the
// colour plane, or the screen behind it shows inverted.
TEST(IconImages, AreComplete4BitBitmapsWithCleanTransparency) {
  const struct {
    WORD iconId;
    int size;
  } images[] = {{1, 32}, {2, 16}};
  for (const auto& expected : images) {
    SCOPED_TRACE("icon " + std::to_string(expected.iconId));
    const ModuleResource icon(RT_ICON, expected.iconId);
    ASSERT_TRUE(icon.Found());
    const std::size_t colourBytes = expected.size * RowBytes(expected.size, kBitsPerPixel);
    const std::size_t maskBytes = expected.size * RowBytes(expected.size, 1);
    ASSERT_EQ(icon.Size(), sizeof(BITMAPINFOHEADER) + kPaletteBytes + colourBytes + maskBytes);

    const IconImage image = ReadImage(icon, expected.size);
    EXPECT_EQ(image.header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(image.header.biWidth, expected.size);
    EXPECT_EQ(image.header.biHeight, 2 * expected.size);
    EXPECT_EQ(image.header.biPlanes, 1);
    EXPECT_EQ(image.header.biBitCount, kBitsPerPixel);
    EXPECT_EQ(image.header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(image.header.biClrUsed == 0 || image.header.biClrUsed == kSixteenColours);

    int opaque = 0;
    for (int row = 0; row < expected.size; ++row) {
      for (int x = 0; x < expected.size; ++x) {
        if (!image.Transparent(x, row)) {
          ++opaque;
          continue;
        }
        const RGBQUAD colour = image.Colour(x, row);
        EXPECT_EQ(colour.rgbRed | colour.rgbGreen | colour.rgbBlue, 0)
            << "transparent pixel " << x << "," << row << " (bottom row 0)";
      }
    }
    EXPECT_GT(opaque, expected.size * expected.size / 2) << "the icon shows a picture";
  }
}

TEST(IconGroup, SystemPicksTheImageForEachSizeAndLoadsIt) {
  const ModuleResource group(RT_GROUP_ICON, IDI_FRELOX);
  ASSERT_TRUE(group.Found());
  const struct {
    int size;
    int iconId;
  } picks[] = {{32, 1}, {16, 2}};
  for (const auto& pick : picks) {
    SCOPED_TRACE("size " + std::to_string(pick.size));
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.Data()), TRUE, pick.size,
                                          pick.size, LR_DEFAULTCOLOR),
              pick.iconId);
    const HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_FRELOX),
                                      IMAGE_ICON, pick.size, pick.size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, pick.size);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DestroyIcon(icon);
  }
}

}  // namespace
