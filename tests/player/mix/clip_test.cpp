// The clip copy: rounding to nearest with ties to even, clamping, and order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "player/mix/mixer.h"

namespace {

TEST(ClipCopyTest, RoundsTiesToEvenAndClamps) {
  const std::vector<float> in = {40000.0f, -40000.0f, 1.5f,     2.5f,     -1.5f,     -2.5f,
                                 0.49f,    -0.51f,    32767.4f, 32767.6f, -32768.4f, -32767.5f,
                                 1e30f,    -1e30f,    100.75f,  -100.25f};
  const std::vector<int16_t> expected = {32767, -32768, 2,      2,      -2,    -2,     0,   -1,
                                         32767, 32767,  -32768, -32768, 32767, -32768, 101, -100};
  std::vector<int16_t> out(in.size(), 1234);
  FSOUND_MixerClipCopy_Float32(out.data(), in.data(), static_cast<int>(in.size() / 2));
  EXPECT_EQ(out, expected);
}

// Values beyond any number clamp by their sign, not a number included.
TEST(ClipCopyTest, NotANumberAndInfinitiesClampByTheirSign) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float in[6] = {nan, 3.0f, std::copysign(nan, -1.0f), inf, -inf, -3.0f};
  int16_t out[6] = {};
  FSOUND_MixerClipCopy_Float32(out, in, 3);
  EXPECT_EQ(std::vector<int16_t>(out, out + 6),
            (std::vector<int16_t>{32767, 3, -32768, 32767, -32768, -3}));
}

TEST(ClipCopyTest, NothingHappensForNoFramesOrNullPointers) {
  const float in[2] = {5.0f, 6.0f};
  int16_t out[2] = {7, 8};
  FSOUND_MixerClipCopy_Float32(out, in, 0);
  FSOUND_MixerClipCopy_Float32(out, in, -1);
  FSOUND_MixerClipCopy_Float32(nullptr, in, 1);
  FSOUND_MixerClipCopy_Float32(out, nullptr, 1);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 8);
}

}  // namespace
