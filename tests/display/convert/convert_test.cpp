// The pixel-format converters and their chooser: known values from the
// format definitions, every channel bit placed under the masks the chooser
// matched, exact row lengths, and byte alignment of both rows.
#include "display/convert.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Layout {
  const char* name;
  int bits;
  uint32_t r, g, b;
  ptc_converter convert;
};

const Layout kLayouts[] = {
    {"32 rgb888", 32, 0xFF0000, 0xFF00, 0xFF, ptc_convert_32_to_32_rgb888},
    {"32 bgr888", 32, 0xFF, 0xFF00, 0xFF0000, ptc_convert_32_to_32_bgr888},
    {"24 rgb888", 24, 0xFF0000, 0xFF00, 0xFF, ptc_convert_32_to_24_rgb888},
    {"24 bgr888", 24, 0xFF, 0xFF00, 0xFF0000, ptc_convert_32_to_24_bgr888},
    {"16 rgb565", 16, 0xF800, 0x07E0, 0x001F, ptc_convert_32_to_16_rgb565},
    {"16 bgr565", 16, 0x001F, 0x07E0, 0xF800, ptc_convert_32_to_16_bgr565},
    {"16 rgb555", 16, 0x7C00, 0x03E0, 0x001F, ptc_convert_32_to_16_rgb555},
    {"16 bgr555", 16, 0x001F, 0x03E0, 0x7C00, ptc_convert_32_to_16_bgr555},
};

// Converts one pixel and reads the output back as a little-endian word.
uint32_t One(ptc_converter convert, int bits, uint32_t pixel) {
  uint8_t out[4] = {0, 0, 0, 0};
  convert(&pixel, out, 1);
  uint32_t word = 0;
  std::memcpy(&word, out, static_cast<size_t>(bits / 8));
  return word;
}

// The channel value kept under `mask`: the top popcount(mask) bits of the
// 8-bit channel, shifted to the mask's lowest bit.
uint32_t Expected(uint32_t channel, uint32_t mask) {
  const int width = std::popcount(mask);
  return (channel >> (8 - width)) << std::countr_zero(mask);
}

TEST(Chooser, EachSupportedFormatGetsItsConverter) {
  for (const Layout& l : kLayouts) {
    EXPECT_EQ(ptc_request_converter(l.bits, l.r, l.g, l.b), l.convert) << l.name;
  }
}

TEST(Chooser, UnsupportedFormatsGetNone) {
  EXPECT_EQ(ptc_request_converter(15, 0x7C00, 0x03E0, 0x001F), nullptr);
  EXPECT_EQ(ptc_request_converter(15, 0x001F, 0x03E0, 0x7C00), nullptr);
  EXPECT_EQ(ptc_request_converter(32, 0xF800, 0x07E0, 0x001F), nullptr);
  EXPECT_EQ(ptc_request_converter(24, 0xF800, 0x07E0, 0x001F), nullptr);
  EXPECT_EQ(ptc_request_converter(16, 0xFF0000, 0xFF00, 0xFF), nullptr);
  EXPECT_EQ(ptc_request_converter(32, 0xFF000000, 0xFF0000, 0xFF00), nullptr);
  EXPECT_EQ(ptc_request_converter(32, 0xFF00, 0xFF0000, 0xFF), nullptr);
  EXPECT_EQ(ptc_request_converter(8, 0, 0, 0), nullptr);
  EXPECT_EQ(ptc_request_converter(0, 0, 0, 0), nullptr);
}

TEST(Convert16, KnownColours) {
  struct Row {
    uint32_t pixel;
    uint32_t rgb565, bgr565, rgb555, bgr555;
  };
  const Row rows[] = {
      {0x00FFFFFF, 0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF},  // white; bit 15 stays 0 in 5-5-5
      {0x00FF0000, 0xF800, 0x001F, 0x7C00, 0x001F},  // red
      {0x000000FF, 0x001F, 0xF800, 0x001F, 0x7C00},  // blue
      {0x0000FF00, 0x07E0, 0x07E0, 0x03E0, 0x03E0},  // green
      {0x00070307, 0, 0, 0, 0},                      // every channel below the kept bits
      {0x00070707, 0x0020, 0x0020, 0, 0},            // green's sixth bit survives only in 5-6-5
      {0xFF000000, 0, 0, 0, 0},                      // the weight byte is never shown
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.pixel);
    EXPECT_EQ(One(ptc_convert_32_to_16_rgb565, 16, r.pixel), r.rgb565);
    EXPECT_EQ(One(ptc_convert_32_to_16_bgr565, 16, r.pixel), r.bgr565);
    EXPECT_EQ(One(ptc_convert_32_to_16_rgb555, 16, r.pixel), r.rgb555);
    EXPECT_EQ(One(ptc_convert_32_to_16_bgr555, 16, r.pixel), r.bgr555);
  }
}

TEST(Convert32, TopByteCopiedOnlyBySameOrder) {
  EXPECT_EQ(One(ptc_convert_32_to_32_rgb888, 32, 0x80123456), 0x80123456u);
  EXPECT_EQ(One(ptc_convert_32_to_32_bgr888, 32, 0x80123456), 0x00563412u);
}

TEST(Convert24, ByteOrder) {
  const uint32_t pixel = 0x80123456;  // red 0x12, green 0x34, blue 0x56
  uint8_t out[3];
  ptc_convert_32_to_24_rgb888(&pixel, out, 1);
  EXPECT_EQ(out[0], 0x56);
  EXPECT_EQ(out[1], 0x34);
  EXPECT_EQ(out[2], 0x12);
  ptc_convert_32_to_24_bgr888(&pixel, out, 1);
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[1], 0x34);
  EXPECT_EQ(out[2], 0x56);
}

// A row of 256 pixels where pixel i holds value i in one channel: every
// output pixel must carry exactly the kept top bits of that value under the
// channel's mask and nothing anywhere else. Catches wrong shifts, masks,
// swapped channels and a walk that does not advance per pixel.
TEST(ConvertAll, EveryChannelValueLandsUnderItsMask) {
  for (const Layout& l : kLayouts) {
    const int bytes = l.bits / 8;
    const uint32_t masks[3] = {l.r, l.g, l.b};
    for (int channel = 0; channel < 3; ++channel) {
      SCOPED_TRACE(testing::Message() << l.name << " channel " << channel);
      std::vector<uint32_t> row(256);
      for (uint32_t v = 0; v < 256; ++v) row[v] = 0xA5000000u | (v << (16 - 8 * channel));
      std::vector<uint8_t> out(256 * static_cast<size_t>(bytes), 0xEE);
      l.convert(row.data(), out.data(), 256);
      for (uint32_t v = 0; v < 256; ++v) {
        uint32_t word = 0;
        std::memcpy(&word, &out[v * bytes], static_cast<size_t>(bytes));
        const uint32_t colour = l.bits == 32 ? word & 0xFFFFFF : word;
        ASSERT_EQ(colour, Expected(v, masks[channel])) << "value " << v;
      }
    }
  }
}

TEST(ConvertAll, RowsWriteExactlyTheirPixelsAtAnyAlignment) {
  const uint32_t pixels[7] = {0x00FFFFFF, 0x00123456, 0,         0x00FF0000,
                              0x0000FF00, 0x000000FF, 0x00808080};
  for (const Layout& l : kLayouts) {
    const size_t bytes = static_cast<size_t>(l.bits / 8);
    // Reference: the same row converted from and into aligned buffers.
    std::vector<uint8_t> reference(7 * bytes);
    l.convert(pixels, reference.data(), 7);
    for (size_t offset = 1; offset < 4; ++offset) {
      SCOPED_TRACE(testing::Message() << l.name << " offset " << offset);
      std::vector<uint8_t> src(offset + sizeof pixels);
      std::memcpy(src.data() + offset, pixels, sizeof pixels);
      std::vector<uint8_t> dst(offset + 7 * bytes + 8, 0xEE);
      l.convert(src.data() + offset, dst.data() + offset, 7);
      for (size_t i = 0; i < offset; ++i) EXPECT_EQ(dst[i], 0xEE);
      EXPECT_EQ(std::memcmp(dst.data() + offset, reference.data(), reference.size()), 0);
      // A 24-bit row of n pixels is exactly 3n bytes: nothing after it changes.
      for (size_t i = offset + 7 * bytes; i < dst.size(); ++i) EXPECT_EQ(dst[i], 0xEE) << i;
    }
  }
}

TEST(ConvertAll, EmptyOrNegativeCountWritesNothing) {
  const uint32_t pixel = 0x00FFFFFF;
  for (const Layout& l : kLayouts) {
    uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    l.convert(&pixel, out, 0);
    l.convert(&pixel, out, -5);
    for (uint8_t byte : out) EXPECT_EQ(byte, 0xEE) << l.name;
  }
}

}  // namespace
