// Volume and pan envelopes (interpolation, sustain, loop, stop), key off and
// fadeout, tick by tick at speed 6 from a note on row 0.
#include <gtest/gtest.h>

#include "tick_table.h"

namespace songtest {
namespace {

XmEnvelope Envelope(std::vector<std::array<uint16_t, 2>> points) {
  XmEnvelope e;
  e.points = std::move(points);
  e.on = true;
  return e;
}

XmSong WithVolumeEnvelope(XmEnvelope e, uint16_t fadeout = 0) {
  XmSong xm = BasicSong(1, 8);
  xm.instruments[0].volume = std::move(e);
  xm.instruments[0].fadeout = fadeout;
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  return xm;
}

const auto kVolumeOutput = [](Player& p) { return p.Channel(0).volumeEnvelope.output; };

TEST(Envelope, InterpolatesThenStopsAtTheLastPoint) {
  Player p(WithVolumeEnvelope(Envelope({{0, 64}, {10, 0}})));
  ASSERT_TRUE(p.loaded());
  // Step -6.4 per tick in 16.16, truncated by the shift.
  EXPECT_EQ(Record(p, 13, kVolumeOutput), (Ticks{64, 57, 51, 44, 38, 32, 25, 19, 12, 6, 0, 0, 0}));
  EXPECT_EQ(p.Channel(0).volumeEnvelope.stopped, 1);
  EXPECT_EQ(p.Voice(0).volume, 0);
}

TEST(Envelope, OutputScalesTheGain) {
  Player p(WithVolumeEnvelope(Envelope({{0, 32}, {10, 32}})));
  ASSERT_TRUE(p.loaded());
  p.Tick();
  EXPECT_EQ(p.Voice(0).volume, 63);  // half of 127.5, truncated
}

TEST(Envelope, SustainHoldsUntilKeyOffThenFadeoutRuns) {
  XmEnvelope e = Envelope({{0, 64}, {4, 32}, {8, 0}});
  e.sustainOn = true;
  e.sustain = 1;
  XmSong xm = WithVolumeEnvelope(e, 4096);  // 8192 per tick after key off
  xm.patterns[0].At(2, 0, 1) = {97, 0, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 12, kVolumeOutput), (Ticks{64, 56, 48, 40, 32, 32,     // row 0
                                                 32, 32, 32, 32, 32, 32}));  // row 1: held
  EXPECT_EQ(p.Channel(0).fadeoutVolume, 65536);
  // Row 2: key off releases the sustain point and starts the fadeout.
  const auto fade = [](Player& q) { return q.Channel(0).fadeoutVolume; };
  std::vector<int> out, fadeout;
  for (int i = 0; i < 9; ++i) {
    p.Tick();
    out.push_back(p.Channel(0).volumeEnvelope.output);
    fadeout.push_back(fade(p));
  }
  EXPECT_EQ(out, (Ticks{32, 24, 16, 8, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fadeout, (Ticks{57344, 49152, 40960, 32768, 24576, 16384, 8192, 0, 0}));
}

TEST(Envelope, FadeoutSilencesTheVoice) {
  Player p(WithVolumeEnvelope(Envelope({{0, 64}, {1, 64}}), 16384));  // 32768 per tick
  ASSERT_TRUE(p.loaded());
  p.song()->speed = 1;
  p.Tick();
  p.Channel(0).keyOff = 1;
  const auto gain = [](Player& q) { return q.Voice(0).volume; };
  EXPECT_EQ(Record(p, 3, gain), (Ticks{63, 0, 0}));
}

TEST(Envelope, LoopJumpsBackEveryTime) {
  XmEnvelope e = Envelope({{0, 0}, {2, 64}, {4, 0}});
  e.loopOn = true;
  e.loopStart = 0;
  e.loopEnd = 2;
  Player p(WithVolumeEnvelope(e));
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 13, kVolumeOutput), (Ticks{0, 32, 64, 32, 0, 32, 64, 32, 0, 32, 64, 32, 0}));
  EXPECT_EQ(p.Channel(0).volumeEnvelope.stopped, 0);
}

TEST(Envelope, SustainOnTheLoopStartThenLoop) {
  // Held at the sustain point until key off, then looping between points 1
  // and 2: the loop end sends it back to point 1 at every pass.
  XmEnvelope e = Envelope({{0, 64}, {2, 32}, {4, 48}, {6, 0}});
  e.loopOn = e.sustainOn = true;
  e.loopStart = 1;
  e.loopEnd = 2;
  e.sustain = 1;
  XmSong xm = WithVolumeEnvelope(e);
  xm.patterns[0].At(1, 0, 1) = {97, 0, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 6, kVolumeOutput), (Ticks{64, 48, 32, 32, 32, 32}));
  EXPECT_EQ(Record(p, 6, kVolumeOutput), (Ticks{32, 40, 32, 40, 32, 40}));
}

TEST(Envelope, PanEnvelopeMovesTheFinalPan) {
  XmSong xm = BasicSong(1, 8);
  xm.instruments[0].pan = Envelope({{0, 64}, {4, 0}});
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  // Pan 128 can move 4 x (output - 32) either way; clamped to 0…255.
  EXPECT_EQ(Record(p, 6, [](Player& q) { return q.Voice(0).pan; }),
            (Ticks{255, 192, 128, 64, 0, 0}));
  EXPECT_EQ(p.Voice(0).leftGain, 0);
  EXPECT_EQ(p.Voice(0).rightGain, 127);
}

TEST(Envelope, KeyOffWithEnvelopeKeepsItRunning) {
  XmSong xm = WithVolumeEnvelope(Envelope({{0, 64}, {100, 64}}), 1024);
  xm.patterns[0].At(1, 0, 1) = {97, 0, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(7);
  EXPECT_EQ(p.Channel(0).volumeEnvelope.output, 64);
  EXPECT_EQ(p.Channel(0).fadeoutVolume, 65536 - 2048);
  EXPECT_EQ(p.Voice(0).volume, 123);  // 127.5 x 63488 / 65536, truncated
}

}  // namespace
}  // namespace songtest
