// The diagonal blur trail: the rule's cases, the weight wrap, and random
// surfaces against the column-by-column reference, with both kernel sets.
#include <gtest/gtest.h>

#include <random>

#include "kernel_sets.h"
#include "raster/image32.h"
#include "reference.h"

namespace {

struct BlurTest : KernelTest {
  void SetUp() override {
    KernelTest::SetUp();
    alpha = 0;
    color = 0;
  }
};

TEST_P(BlurTest, OneStepInReplaceModeShiftsUpLeft) {
  std::mt19937 rng(5);
  ref::Surface before = ref::Random(7, 5, rng);
  Image32 img;
  ref::ToImage(before, img);
  img.Blur(1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      uint32_t want = x < 6 && y < 4 ? before.Get(x + 1, y + 1) + 0x01000000u : before.Get(x, y);
      EXPECT_EQ(img.Get(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(color, before.Get(6, 4) + 0x01000000u);
}

// With n = 4 (step 63) a weight of 0 gives 193, 130, 67, 4 for k = 1..4; a
// single opaque-white source over black shows each weight in the blend.
TEST_P(BlurTest, WeightsWrapInsteadOfStopping) {
  Image32 img(6, 6);
  img.Fill(0);
  img.pixels[5 * 6 + 5] = 0x00FFFFFF;  // weight 0, white, bottom-right
  alpha = 1;
  img.Blur(4);
  const uint32_t weights[4] = {193, 130, 67, 4};
  for (int k = 1; k <= 4; ++k) {
    uint32_t v = (255 * weights[k - 1]) >> 8;
    EXPECT_EQ(img.Get(5 - k, 5 - k), v << 16 | v << 8 | v) << k;
  }
  EXPECT_EQ(color, 0x04FFFFFFu);
}

TEST_P(BlurTest, ZeroAndNegativeLengthsDoNothing) {
  std::mt19937 rng(6);
  ref::Surface before = ref::Random(9, 9, rng);
  Image32 img;
  ref::ToImage(before, img);
  color = 0x1234;
  for (uint8_t mode : {0, 1}) {
    alpha = mode;
    img.Blur(0);
    img.Blur(-3);
  }
  EXPECT_TRUE(ref::Same(before, img));
  EXPECT_EQ(color, 0x1234u);
}

TEST_P(BlurTest, RandomSurfacesMatchTheRule) {
  std::mt19937 rng(77);
  const int lengths[] = {1, 2, 3, 4, 4, 4, 5, 9, 300};
  for (int round = 0; round < 150; ++round) {
    int w = 1 + rng() % 45, h = 1 + rng() % 14;
    int n = lengths[rng() % 9];
    int mode = rng() % 3;
    ref::Surface s = ref::Random(w, h, rng);
    Image32 img;
    ref::ToImage(s, img);
    alpha = static_cast<uint8_t>(mode);
    uint32_t want = ref::Blur(s, n, mode, color);
    img.Blur(n);
    ASSERT_TRUE(ref::Same(s, img)) << "round " << round << " " << w << "x" << h << " n=" << n;
    ASSERT_EQ(color, want);
  }
}

TEST_P(BlurTest, WorkingCanvasSizeMatchesTheRule) {
  std::mt19937 rng(78);
  ref::Surface s = ref::Random(340, 260, rng);
  Image32 img;
  ref::ToImage(s, img);
  alpha = 1;
  ref::Blur(s, 4, 1, 0);
  img.Blur(4);
  EXPECT_TRUE(ref::Same(s, img));
}

INSTANTIATE_TEST_SUITE_P(Kernels, BlurTest, VF_ALL_KERNEL_SETS);

}  // namespace
