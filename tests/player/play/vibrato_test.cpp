// Auto-vibrato: the four wave shapes, the sweep from nothing to full depth,
// undefined shapes, and the pitch the offset reaches the voice with.
#include <gtest/gtest.h>

#include "tick_table.h"

namespace songtest {
namespace {

XmSong WithVibrato(uint8_t type, uint8_t depth, uint8_t rate, uint8_t sweep) {
  XmSong xm = BasicSong(1, 8);
  XmInstrument& in = xm.instruments[0];
  in.vibratoType = type;
  in.vibratoDepth = depth;
  in.vibratoRate = rate;
  in.vibratoSweep = sweep;
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  return xm;
}

const auto kDelta = [](Player& p) { return p.Channel(0).frequencyDelta; };

// Depth 64 makes the offset equal to the wave value; rate 32 visits
// positions 0, 32, … 224 on successive ticks.
TEST(AutoVibrato, WaveShapes) {
  const struct {
    uint8_t type;
    Ticks values;
  } shapes[] = {
      {0, {0, 45, 64, 45, 0, -45, -64, -45}},     // sine
      {1, {64, 64, 64, 64, -64, -64, -64, -64}},  // square
      {2, {0, -16, -32, -48, 64, 48, 32, 16}},    // falling from 0, then from +64
      {3, {0, 16, 32, 48, 64, -48, -32, -16}},    // rising to +64, then from -64
      {4, {0, 0, 0, 0, 0, 0, 0, 0}},              // undefined: no vibrato
      {255, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& s : shapes) {
    Player p(WithVibrato(s.type, 64, 32, 0));
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(Record(p, 8, kDelta), s.values) << "waveform " << int(s.type);
  }
}

// Positions 127, 128, 129 and 255 of the saw shapes, where they jump.
TEST(AutoVibrato, EdgesOfTheSawShapes) {
  const struct {
    uint8_t type;
    Ticks around128;
    int at255;
  } shapes[] = {
      {2, {-64, 64, 63}, 0},
      {3, {63, 64, -64}, -1},
  };
  for (const auto& s : shapes) {
    Player p(WithVibrato(s.type, 64, 1, 0));
    ASSERT_TRUE(p.loaded());
    p.Tick();
    p.Channel(0).vibratoPosition = 127;
    EXPECT_EQ(Record(p, 3, kDelta), s.around128) << int(s.type);
    p.Channel(0).vibratoPosition = 255;
    EXPECT_EQ(Record(p, 1, kDelta), Ticks{s.at255}) << int(s.type);
    EXPECT_EQ(p.Channel(0).vibratoPosition, 0) << "wraps past 255";
  }
}

TEST(AutoVibrato, SweepGrowsToFullDepth) {
  Player p(WithVibrato(1, 64, 0, 4));
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 7, kDelta), (Ticks{0, 16, 32, 48, 64, 64, 64}));
  EXPECT_EQ(p.Channel(0).vibratoSweepPosition, 4);
}

TEST(AutoVibrato, DepthScalesTheOffset) {
  Player p(WithVibrato(1, 10, 128, 0));
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 4, kDelta), (Ticks{10, -10, 10, -10}));
}

TEST(AutoVibrato, OffsetOf64IsOneSemitone) {
  Player up(WithVibrato(1, 64, 0, 0));
  ASSERT_TRUE(up.loaded());
  up.Tick();
  EXPECT_EQ(static_cast<int>(VoiceFrequency(up.Voice(0)) + 0.5), 8860);  // C#4
  // Without the linear table the offset is added to the period: lower pitch.
  XmSong amiga = WithVibrato(1, 64, 0, 0);
  amiga.linear = false;
  Player down(amiga);
  down.Tick();
  EXPECT_EQ(static_cast<int>(VoiceFrequency(down.Voice(0)) + 0.5), 14317056 / (1712 + 64));
}

}  // namespace
}  // namespace songtest
