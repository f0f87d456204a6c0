// The raw picture loader: byte order, the shared holder for short pixels,
// and missing or short files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/image32.h"
#include "test_files.h"

namespace {

// A file of `bytes` in this process's own temporary folder; its path.
std::string RawFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  static const TempDir folder;
  const std::string path = folder / name;
  EXPECT_TRUE(WriteFile(path, std::string(bytes.begin(), bytes.end()))) << path;
  return path;
}

TEST(LoadRaw, FourBytesArePixelsRedGreenBlueWeight) {
  std::string path = RawFile("two.raw", {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80});
  Image32 img(7, 7);
  EXPECT_TRUE(img.LoadRaw(path.c_str(), 2, 1, 4));
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 1);
  EXPECT_EQ(img.Get(0, 0), 0x40102030u);
  EXPECT_EQ(img.Get(1, 0), 0x80506070u);
}

TEST(LoadRaw, ExtraBytesAreIgnored) {
  std::string path = RawFile("extra.raw", {1, 2, 3, 4, 9, 9, 9});
  Image32 img;
  EXPECT_TRUE(img.LoadRaw(path.c_str(), 1, 1, 4));
  EXPECT_EQ(img.Get(0, 0), 0x04010203u);
}

TEST(LoadRaw, ShortPixelsKeepTheHolderBytes) {
  // Three bytes per pixel: the weight byte stays what the holder had (0), and
  // bytes 0 and 2 are exchanged every pixel.
  std::string path = RawFile("rgb.raw", {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
  Image32 img;
  EXPECT_TRUE(img.LoadRaw(path.c_str(), 2, 1, 3));
  EXPECT_EQ(img.Get(0, 0), 0x00112233u);
  EXPECT_EQ(img.Get(1, 0), 0x00445566u);
  // Two bytes: the exchange brings back the previous pixel's first byte into
  // byte 0, where nothing new is read.
  path = RawFile("two_bytes.raw", {0xA1, 0xB2, 0xC3, 0xD4});
  EXPECT_TRUE(img.LoadRaw(path.c_str(), 2, 1, 2));
  EXPECT_EQ(img.Get(0, 0), 0x00A1B200u);
  EXPECT_EQ(img.Get(1, 0), 0x00C3D4A1u);
}

TEST(LoadRaw, WidePixelsDropTheBytesPastTheFourth) {
  std::string path = RawFile("wide.raw", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  Image32 img;
  EXPECT_TRUE(img.LoadRaw(path.c_str(), 2, 1, 5));
  EXPECT_EQ(img.Get(0, 0), 0x04010203u);
  EXPECT_EQ(img.Get(1, 0), 0x09060708u);
}

TEST(LoadRaw, MissingFileGivesZeroPixelsAndFailure) {
  Image32 img;
  const TempDir dir;
  EXPECT_FALSE(img.LoadRaw((dir / "no_such_picture.raw").c_str(), 3, 2, 4));
  EXPECT_EQ(img.width, 3);
  EXPECT_EQ(img.height, 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(img.pixels[i], 0u);
}

TEST(LoadRaw, ShortFileZeroesWhatWasNotRead) {
  // One and a half pixels of a 2x2 picture.
  std::string path = RawFile("short.raw", {1, 2, 3, 4, 5, 6});
  Image32 img;
  EXPECT_FALSE(img.LoadRaw(path.c_str(), 2, 2, 4));
  EXPECT_EQ(img.Get(0, 0), 0x04010203u);
  EXPECT_EQ(img.Get(1, 0), 0u);
  EXPECT_EQ(img.Get(0, 1), 0u);
  EXPECT_EQ(img.Get(1, 1), 0u);
  path = RawFile("empty.raw", {});
  EXPECT_FALSE(img.LoadRaw(path.c_str(), 1, 1, 4));
  EXPECT_EQ(img.Get(0, 0), 0u);
}

TEST(LoadRaw, LargePictureCrossesReadChunks) {
  const int w = 100, h = 50;
  std::vector<uint8_t> bytes;
  for (int i = 0; i < w * h; ++i) {
    bytes.push_back(uint8_t(i));
    bytes.push_back(uint8_t(i >> 8));
    bytes.push_back(uint8_t(i * 3));
    bytes.push_back(uint8_t(255 - i));
  }
  std::string path = RawFile("large.raw", bytes);
  Image32 img;
  ASSERT_TRUE(img.LoadRaw(path.c_str(), w, h, 4));
  for (int i = 0; i < w * h; ++i) {
    uint32_t want = uint32_t(uint8_t(255 - i)) << 24 | uint32_t(uint8_t(i)) << 16 |
                    uint32_t(uint8_t(i >> 8)) << 8 | uint8_t(i * 3);
    ASSERT_EQ(img.pixels[i], want) << i;
  }
}

}  // namespace
