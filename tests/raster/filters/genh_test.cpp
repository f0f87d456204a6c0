// Expansion of 1-bit pictures.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "raster/image32.h"

namespace {

TEST(GenH, BitsRunMostSignificantFirst) {
  const uint32_t bits[1] = {0x80000001};
  Image32 img(3, 3);
  img.GenH(bits, 32, 1, 0x7F123456);  // the colour's own top byte is ignored
  ASSERT_EQ(img.width, 32);
  ASSERT_EQ(img.height, 1);
  EXPECT_EQ(img.Get(0, 0), 0xFF123456u);
  EXPECT_EQ(img.Get(31, 0), 0xFF123456u);
  for (int x = 1; x < 31; ++x) EXPECT_EQ(img.Get(x, 0), 0x00123456u) << x;
}

TEST(GenH, BitStreamRunsOnAcrossRows) {
  // 5x3 = 15 pixels, one word: rows do not start on word boundaries.
  const uint32_t bits[1] = {0b10000'01000'00100u << 17};
  Image32 img;
  img.GenH(bits, 5, 3, 0xFFFFFF);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(img.Get(x, y) >> 24, x == y ? 0xFFu : 0u) << x << "," << y;
}

TEST(GenH, ReadsOnlyTheWordsThatHoldThePicture) {
  // 33 pixels need exactly two words; an exact-size heap block lets the
  // address sanitizer catch a read past them.
  auto bits = std::make_unique<uint32_t[]>(2);
  bits[0] = 0;
  bits[1] = 0x80000000u;
  Image32 img;
  img.GenH(bits.get(), 11, 3, 0x555555);
  EXPECT_EQ(img.Get(10, 2), 0xFF555555u);
  EXPECT_EQ(img.Get(9, 2), 0x00555555u);
}

}  // namespace
