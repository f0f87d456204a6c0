// Ghost voices together with the mixer: a new note on a sounding channel
// starts on the other voice of the pair, which fades in over the ramp while
// the old voice fades out, and the pair alternates on later notes.
#include <gtest/gtest.h>

#include <vector>

#include "song_fixture.h"

namespace songtest {
namespace {

void Mix(int frames) {
  std::vector<float> buffer(2 * static_cast<size_t>(frames));
  FSOUND_Mixer_FPU_Ramp(buffer.data(), frames);
}

TEST(SequencerGhost, NewNoteFadesInWhileTheOldFadesOut) {
  XmSong xm = BasicSong(2, 4);
  for (int row = 0; row < 3; ++row) xm.patterns[0].At(row, 1, 2) = {49, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Tick();  // row 0: channel 1 starts on voice 1
  ASSERT_EQ(p.Channel(1).voice, &FSOUND_Channel[1]);
  Mix(300);  // past the fade-in
  const MixChannel& first = FSOUND_Channel[1];
  EXPECT_EQ(first.rampLeft, first.leftGain * 256);
  ASSERT_GT(first.leftGain, 0);
  const int32_t full = first.leftGain;
  p.Ticks(5);

  p.Tick();  // row 1: the note moves to voice 33
  const MixChannel& ghost = FSOUND_Channel[33];
  EXPECT_EQ(p.Channel(1).voice, &ghost);
  EXPECT_EQ(ghost.index, 33);
  EXPECT_EQ(ghost.sample, p.song()->instruments[0].samples[0]);
  EXPECT_EQ(ghost.position, 0u);
  EXPECT_EQ(ghost.rampLeft, 0);
  EXPECT_EQ(ghost.leftGain, full);
  EXPECT_EQ(first.index, 1);
  EXPECT_EQ(first.volume, 0);
  EXPECT_EQ(first.leftGain, 0);
  EXPECT_EQ(first.rightGain, 0);
  EXPECT_NE(first.sample, nullptr) << "the old voice runs on while it fades";

  // frames mixed -> both ramps on the 8.8 scale: halfway, then complete.
  Mix(64);
  EXPECT_NEAR(first.rampLeft / 256.0, full / 2.0, 1.0);
  EXPECT_NEAR(ghost.rampLeft / 256.0, full / 2.0, 1.0);
  Mix(64);
  EXPECT_EQ(first.rampLeft, 0);
  EXPECT_EQ(first.rampRight, 0);
  EXPECT_EQ(ghost.rampLeft, full * 256);
  EXPECT_EQ(ghost.rampCount, 0);
  Mix(200);
  EXPECT_EQ(ghost.rampLeft, full * 256) << "stays there across calls";
  p.Ticks(5);

  p.Tick();  // row 2: back to voice 1, which is still running silently
  EXPECT_EQ(p.Channel(1).voice, &FSOUND_Channel[1]);
  EXPECT_EQ(FSOUND_Channel[1].index, 1);
  EXPECT_EQ(FSOUND_Channel[1].position, 0u);
  EXPECT_EQ(ghost.volume, 0);
  // Channel 0 never played: its voices are untouched.
  EXPECT_EQ(FSOUND_Channel[0].sample, nullptr);
  EXPECT_EQ(FSOUND_Channel[32].sample, nullptr);
}

TEST(SequencerGhost, IdleVoiceIsReusedWithoutMoving) {
  XmSong xm = BasicSong(1, 4);
  xm.instruments[0].samples[0].loopType = 0;  // plays once, 64 values
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  xm.patterns[0].At(1, 0, 1) = {49, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  Mix(2000);  // 64 values at 8363 Hz last about 340 frames
  ASSERT_EQ(FSOUND_Channel[0].sample, nullptr);
  p.Tick();
  EXPECT_EQ(p.Channel(0).voice, &FSOUND_Channel[0]);
  EXPECT_EQ(FSOUND_Channel[32].sample, nullptr);
}

}  // namespace
}  // namespace songtest
