// Palette gradients and rotation.
#include <gtest/gtest.h>

#include <climits>

#include "raster/palette.h"

namespace {

Palette Numbered() {
  Palette p;
  for (int i = 0; i < 256; ++i) p.data[i] = 0x1000u + i;
  return p;
}

TEST(Palette, GreyRamp) {
  Palette p;
  p.Fill(0, 256, 0x000000, 0xFFFFFF);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(p.data[i], 0x010101u * i) << i;
}

TEST(Palette, GradientTruncatesTowardsZero) {
  Palette p = Numbered();
  p.Fill(0, 4, 0x0000FF, 0);
  EXPECT_EQ(p.data[0], 255u);
  EXPECT_EQ(p.data[1], 170u);
  EXPECT_EQ(p.data[2], 85u);
  EXPECT_EQ(p.data[3], 0u);
  EXPECT_EQ(p.data[4], 0x1004u);
  // The weight bytes of both colours are ignored and 0 is written.
  p.Fill(10, 12, 0xFF102030, 0x80405060);
  EXPECT_EQ(p.data[10], 0x00102030u);
  EXPECT_EQ(p.data[11], 0x00405060u);
}

TEST(Palette, OneEntryAndEmptyRanges) {
  Palette p = Numbered();
  p.Fill(10, 11, 0x123456, 0xABCDEF);
  EXPECT_EQ(p.data[10], 0x123456u);
  p.Fill(5, 5, 0x123456, 0xABCDEF);
  p.Fill(9, 3, 0x123456, 0xABCDEF);
  EXPECT_EQ(p.data[5], 0x1005u);
  EXPECT_EQ(p.data[4], 0x1004u);
}

// Out-of-table indices are skipped; the part inside keeps the gradient of
// the whole range.
TEST(Palette, RangesBeyondTheTableAreClipped) {
  Palette whole, p;
  whole.Fill(0, 256, 0x000000, 0xFFFFFF);
  p = Numbered();
  p.Fill(-256, 256, 0x000000, 0xFFFFFF);  // D = 511: entry i gets trunc(255 (i + 256) / 511)
  for (int i = 0; i < 256; ++i) {
    uint32_t v = uint32_t(255.0 * (i + 256) / 511.0);
    EXPECT_EQ(p.data[i], 0x010101u * v) << i;
  }
  Palette guard[3];
  for (Palette& g : guard) g = Numbered();
  guard[1].Fill(INT_MIN, INT_MAX, 0xFF0000, 0x00FF00);
  guard[1].Fill(200, 100000, 0, 0xFFFFFF);
  EXPECT_EQ(guard[0].data[255], 0x10FFu);
  EXPECT_EQ(guard[2].data[0], 0x1000u);
  EXPECT_EQ(guard[1].data[200], 0u);
}

TEST(Palette, RotateWrapsBothWays) {
  Palette p = Numbered();
  p.Rotate(1);
  EXPECT_EQ(p.data[0], 0x10FFu);
  EXPECT_EQ(p.data[1], 0x1000u);
  p = Numbered();
  p.Rotate(-1);
  EXPECT_EQ(p.data[255], 0x1000u);
  EXPECT_EQ(p.data[0], 0x1001u);
  p = Numbered();
  p.Rotate(256);
  p.Rotate(-512);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(p.data[i], 0x1000u + i);
  p.Rotate(INT_MIN);  // a multiple of 256
  EXPECT_EQ(p.data[7], 0x1007u);
  p.Rotate(300);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(p.data[i], 0x1000u + ((i - 44 + 256) % 256)) << i;
}

TEST(Palette, SetCopiesTheTable) {
  Palette a = Numbered(), b;
  b.Fill(0, 256, 0, 0);
  b.Set(a);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(b.data[i], a.data[i]);
}

}  // namespace
