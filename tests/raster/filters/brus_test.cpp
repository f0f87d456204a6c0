// Noise: the five modes against the reference, the modes that do nothing,
// and the byte source itself.
#include <gtest/gtest.h>

#include <random>

#include "kernel_sets.h"
#include "raster/image32.h"
#include "raster/noise.h"
#include "reference.h"

namespace {

using BrusTest = KernelTest;

TEST_P(BrusTest, OutOfRangeModesDrawNothing) {
  std::mt19937 rng(1);
  ref::Surface s = ref::Random(10, 10, rng);
  Image32 img;
  ref::ToImage(s, img);
  uint32_t before = raster::NoiseState();
  img.Brus(5);
  img.Brus(-1);
  EXPECT_TRUE(ref::Same(s, img));
  EXPECT_EQ(raster::NoiseState(), before);
}

TEST_P(BrusTest, ModeFourScalesEachChannel) {
  Image32 img(50, 20);
  img.Fill(0);
  img.Brus(4);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(img.pixels[i], 0u);
  img.Fill(0xFFFFFFFF);
  img.Brus(4);
  int varied = 0;
  for (int i = 0; i < 1000; ++i) {
    uint32_t p = img.pixels[i];
    ASSERT_EQ(p >> 24, 0u);
    ASSERT_LE(p & 0xFF, 254u);
    ASSERT_LE((p >> 8) & 0xFF, 254u);
    ASSERT_LE((p >> 16) & 0xFF, 254u);
    varied += (p & 0xFF) != ((p >> 8) & 0xFF);
  }
  EXPECT_GT(varied, 900);  // the channels get their own factors
}

TEST_P(BrusTest, AllModesMatchTheRule) {
  std::mt19937 rng(2);
  for (int mode = 0; mode <= 4; ++mode) {
    for (int round = 0; round < 10; ++round) {
      int w = 1 + rng() % 60, h = 1 + rng() % 9;
      ref::Surface s = ref::Random(w, h, rng);
      Image32 img;
      ref::ToImage(s, img);
      uint32_t counter = raster::NoiseState();
      ref::Brus(s, mode, counter);
      img.Brus(mode);
      ASSERT_TRUE(ref::Same(s, img)) << "mode " << mode;
      ASSERT_EQ(raster::NoiseState(), counter + uint32_t(w * h));  // one draw per pixel
    }
  }
}

TEST_P(BrusTest, RepeatsFromTheSameState) {
  Image32 a(33, 7), b(33, 7);
  a.Fill(0x00C0FFEE);
  b.Fill(0x00C0FFEE);
  raster::SetNoiseState(42);
  a.Brus(4);
  raster::SetNoiseState(42);
  b.Brus(4);
  for (int i = 0; i < 33 * 7; ++i) ASSERT_EQ(a.pixels[i], b.pixels[i]);
}

INSTANTIATE_TEST_SUITE_P(Kernels, BrusTest, VF_ALL_KERNEL_SETS);

// Each of the three factor bytes is close to uniform over 0..255.
TEST(NoiseSource, BytesAreUniform) {
  const int draws = 256 * 400;
  for (int byte = 0; byte < 3; ++byte) {
    int counts[256] = {};
    for (int i = 0; i < draws; ++i) ++counts[(raster::NoiseWord(uint32_t(i)) >> (8 * byte)) & 0xFF];
    double chi = 0;
    for (int c : counts) chi += (c - 400.0) * (c - 400.0) / 400.0;
    EXPECT_LT(chi, 340.0) << "byte " << byte;  // 255 degrees of freedom, p < 0.0002
  }
}

}  // namespace
