// The Windows wave output's position widening: the device's 32-bit byte count
// wraps after 2^32 bytes, and the player's block index must keep moving
// forward across the wrap instead of jumping back.
#include <gtest/gtest.h>

#include <cstdint>

#include "player/output/wave_position.h"

namespace {

constexpr uint64_t kWrap = uint64_t{1} << 32;

TEST(WavePosition, FollowsTheDeviceCountBeforeAnyWrap) {
  WavePosition position;
  EXPECT_EQ(position.Extend(0), 0u);
  EXPECT_EQ(position.Extend(3536), 3536u);
  EXPECT_EQ(position.Extend(3536), 3536u);  // no progress between two polls
  EXPECT_EQ(position.Extend(0xFFFFFFFCu), 0xFFFFFFFCu);
}

TEST(WavePosition, KeepsCountingAcrossWraps) {
  WavePosition position;
  position.Extend(0xFFFFF000u);
  EXPECT_EQ(position.Extend(0x00000010u), kWrap + 0x10);
  EXPECT_EQ(position.Extend(0x80000000u), kWrap + 0x80000000u);
  EXPECT_EQ(position.Extend(0x00000004u), 2 * kWrap + 4);
}

TEST(WavePosition, TheBlockIndexStaysContinuousOverTheWrap) {
  // 44,100 Hz: blocks of 884 frames, a ring of 88,400 frames. Without the
  // widening, the index after the wrap would follow from the small reading.
  constexpr uint64_t kRingFrames = 88400, kBlockFrames = 884;
  WavePosition position;
  const uint32_t before = 0xFFFFFFF0u;
  const uint64_t blockBefore = position.Extend(before) / 4 % kRingFrames / kBlockFrames;
  const uint64_t after = position.Extend(before + 884u * 4u);  // wraps in 32 bits
  EXPECT_EQ(after, uint64_t{before} + 884 * 4);
  EXPECT_EQ(after / 4 % kRingFrames / kBlockFrames, (blockBefore + 1) % 100);
}

TEST(WavePosition, RestartGoesBackToZero) {
  WavePosition position;
  position.Extend(0xFFFFFFF0u);
  position.Extend(16);
  position.Restart();
  EXPECT_EQ(position.Extend(8), 8u);
}

}  // namespace
