// Rectangle copies: the cases of the rule, then random rectangles against the
// pixel-by-pixel reference with both the plain and the vector kernels.
#include <gtest/gtest.h>

#include <random>

#include "kernel_sets.h"
#include "raster/image32.h"
#include "reference.h"

namespace {

struct BlitTest : KernelTest {
  void SetUp() override {
    KernelTest::SetUp();
    alpha = 0;
    color = 0;
  }
};

TEST_P(BlitTest, ZeroSizeCopiesTheWholeSource) {
  Image32 src(3, 2), dst(5, 5);
  for (int i = 0; i < 6; ++i) src.pixels[i] = 0x01000000u * (i + 1) + i;
  dst.Fill(0xEEEEEEEE);
  src.Blit(dst, 0, 0, 1, 1, 0, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      bool in = x >= 1 && x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(dst.Get(x, y), in ? src.Get(x - 1, y - 1) : 0xEEEEEEEEu) << x << "," << y;
    }
  EXPECT_EQ(color, src.Get(2, 1));  // the last source word read
}

TEST_P(BlitTest, SourceOutsideReadsAsZero) {
  Image32 src(2, 2), dst(4, 1);
  src.Fill(0xFF112233);
  dst.Fill(0xFFFFFFFF);
  src.Blit(dst, 1, 0, 0, 0, 4, 1);  // columns 1..4 of a 2-wide source
  EXPECT_EQ(dst.Get(0, 0), 0xFF112233u);
  EXPECT_EQ(dst.Get(1, 0), 0u);
  EXPECT_EQ(dst.Get(3, 0), 0u);
  EXPECT_EQ(color, 0u);

  // Blending a zero word darkens by 1/256 and clears the weight byte.
  alpha = 1;
  dst.Fill(0xFF808080);
  src.Blit(dst, -3, 0, 0, 0, 4, 1);
  EXPECT_EQ(dst.Get(0, 0), 0x007F7F7Fu);
  EXPECT_EQ(dst.Get(3, 0), 0x00102132u);  // weight 255 still scales by 255/256
}

TEST_P(BlitTest, NegativeSizeCopiesNothing) {
  Image32 src(2, 2), dst(2, 2);
  src.Fill(1);
  dst.Fill(2);
  color = 77;
  src.Blit(dst, 0, 0, 0, 0, -1, 2);
  src.Blit(dst, 0, 0, 0, 0, 2, -5);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], 2u);
  EXPECT_EQ(color, 77u);
}

TEST_P(BlitTest, WeightedCopyScalesTheWeightByte) {
  Image32 src(3, 1), dst(3, 1);
  src.pixels[0] = 0xFF123456;
  src.pixels[1] = 0x00ABCDEF;
  src.pixels[2] = 0x80FFFFFF;
  src.Blit(dst, 0, 0, 0, 0, 3, 1, 0x22);
  EXPECT_EQ(dst.Get(0, 0), 0x21123456u);
  EXPECT_EQ(dst.Get(1, 0), 0x00ABCDEFu);
  EXPECT_EQ(dst.Get(2, 0), 0x11FFFFFFu);
  EXPECT_EQ(color, 0x11FFFFFFu);  // the weight-scaled form of the last word
}

TEST_P(BlitTest, ModesOtherThanReplaceAndBlendWriteNothing) {
  Image32 src(2, 2), dst(2, 2);
  src.Fill(0xFFFFFFFF);
  dst.Fill(5);
  alpha = 3;
  src.Blit(dst, 0, 0, 0, 0, 0, 0);
  src.Blit(dst, 0, 0, 0, 0, 0, 0, 200);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], 5u);
  EXPECT_EQ(color, (200u * 255 >> 8) << 24 | 0xFFFFFF);
}

TEST_P(BlitTest, RandomRectanglesMatchTheRule) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 400; ++round) {
    int sw = 1 + rng() % 40, sh = 1 + rng() % 12, dw = 1 + rng() % 40, dh = 1 + rng() % 12;
    ref::Surface rs = ref::Random(sw, sh, rng), rd = ref::Random(dw, dh, rng);
    Image32 is, id;
    ref::ToImage(rs, is);
    ref::ToImage(rd, id);
    auto coord = [&](int span) { return int(rng() % (2 * span + 10)) - span - 5; };
    int sx = coord(sw), sy = coord(sh), dx = coord(dw), dy = coord(dh);
    int w = int(rng() % 50) - 2, h = int(rng() % 16) - 2;
    int mode = int(rng() % 3);
    bool weighted = rng() % 2;
    int k = int(rng() % 256);
    alpha = static_cast<uint8_t>(mode);
    color = 0xDEADBEEF;
    uint32_t refColor = ref::Blit(rs, rd, sx, sy, dx, dy, w, h, mode, weighted ? k : -1);
    if (weighted) {
      is.Blit(id, sx, sy, dx, dy, w, h, static_cast<unsigned char>(k));
    } else {
      is.Blit(id, sx, sy, dx, dy, w, h);
    }
    ASSERT_TRUE(ref::Same(rd, id)) << "round " << round;
    ASSERT_EQ(color, refColor) << "round " << round;
  }
}

// A surface copied onto itself takes the rule's order: rows, then columns,
// increasing; with the destination right of the source, the copy smears.
TEST_P(BlitTest, SelfOverlapFollowsTheRuleOrder) {
  std::mt19937 rng(99);
  for (int round = 0; round < 200; ++round) {
    int w = 2 + rng() % 20, h = 2 + rng() % 8;
    ref::Surface rs = ref::Random(w, h, rng);
    Image32 img;
    ref::ToImage(rs, img);
    int sx = int(rng() % 7) - 3, sy = int(rng() % 5) - 2, dx = int(rng() % 7) - 3,
        dy = int(rng() % 5) - 2;
    int bw = 1 + rng() % w, bh = 1 + rng() % h, mode = rng() % 2;
    alpha = static_cast<uint8_t>(mode);
    ref::BlitSelf(rs, sx, sy, dx, dy, bw, bh, mode);
    img.Blit(img, sx, sy, dx, dy, bw, bh);
    ASSERT_TRUE(ref::Same(rs, img)) << "round " << round;
  }
  // A view of the same buffer counts as the same memory.
  Image32 a(4, 1);
  for (int i = 0; i < 4; ++i) a.pixels[i] = i + 1;
  Image32 view = a;
  alpha = 0;
  a.Blit(view, 0, 0, 1, 0, 3, 1);
  EXPECT_EQ(a.Get(3, 0), 1u);
}

INSTANTIATE_TEST_SUITE_P(Kernels, BlitTest, VF_ALL_KERNEL_SETS);

}  // namespace
