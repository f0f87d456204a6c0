// The ring, the block fill and the heard-block queries, driven offline through
// the virtual device exactly as an offline renderer drives them.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "code_song.h"
#include "player/play/sequencer.h"

namespace {

class RingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
    codesong::InstallCallbacks();
    ASSERT_TRUE(FSOUND_Init(44100, 0));
    song_ = codesong::MakeSong();
  }
  void TearDown() override {
    FMUSIC_StopSong(&song_);
    FSOUND_Close();
    FSOUND_SetWaveOutFactory(nullptr);
  }
  VirtualWaveOut& Device() { return *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut()); }

  // Plays `frames` in pieces of `piece`, polling after each, and returns them.
  std::vector<int16_t> Render(int frames, int piece) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    for (int at = 0; at < frames; at += piece) {
      const int n = std::min(piece, frames - at);
      Device().Advance(n, &out[2 * static_cast<size_t>(at)]);
      FSOUND_Software_Poll();
    }
    return out;
  }

  // The same through Play, which hands out the ring's own values and stops
  // at its end: pieces of `piece` frames or what is left before the end.
  std::vector<int16_t> RenderInPlace(int frames, int piece) {
    std::vector<int16_t> out;
    while (out.size() < 2 * static_cast<size_t>(frames)) {
      const int left = frames - static_cast<int>(out.size() / 2);
      const std::span<const int16_t> played = Device().Play(std::min(piece, left));
      if (played.empty()) break;
      out.insert(out.end(), played.begin(), played.end());
      FSOUND_Software_Poll();
    }
    return out;
  }

  Song song_{};
};

TEST_F(RingTest, PlayStartsTheSongAndReportsTheFirstBlock) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  EXPECT_EQ(song_.samplesPerTick, 660);
  EXPECT_EQ(song_.speed, 6);
  EXPECT_EQ(song_.globalVolume, 64);
  EXPECT_EQ(FMUSIC_Channel[0].voice, &FSOUND_Channel[0]);
  // The whole ring was mixed: 100 blocks of 884 frames, a tick per 660.
  EXPECT_EQ(codesong::g_ticks, (100 * 884 + 659) / 660);
  EXPECT_EQ(FMUSIC_GetOrder(&song_), 0);
  EXPECT_EQ(FMUSIC_GetRow(&song_), 1);    // the tick at frame 660 is row 1 here
  EXPECT_EQ(FMUSIC_GetTime(&song_), 19);  // 14 ms for 660 frames, 5 for 224
}

TEST_F(RingTest, QueriesFollowTheHeardBlock) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  const std::vector<int> times = codesong::ExpectedBlockTimes(300, 884, 44100, 660);
  for (int heard = 0; heard < 300; ++heard) {
    // Ticks started before the end of the heard block; the last one set the row.
    const int lastTick = ((heard + 1) * 884 + 659) / 660 - 1;
    ASSERT_EQ(FMUSIC_GetTime(&song_), times[heard]) << "block " << heard;
    ASSERT_EQ(FMUSIC_GetOrder(&song_), lastTick / 64 % 256) << "block " << heard;
    ASSERT_EQ(FMUSIC_GetRow(&song_), lastTick % 64) << "block " << heard;
    Render(884, 884);
  }
}

TEST_F(RingTest, WhatIsHeardDoesNotDependOnHowTheDeviceIsAdvanced) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  const std::vector<int16_t> video = Render(44100 * 5, 735);
  FMUSIC_StopSong(&song_);
  song_ = codesong::MakeSong();
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  const std::vector<int16_t> odd = Render(44100 * 5, 2999);
  EXPECT_EQ(video, odd);
  FMUSIC_StopSong(&song_);
  song_ = codesong::MakeSong();
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  EXPECT_EQ(video, RenderInPlace(44100 * 5, 1000));  // the ring's end cuts pieces short

  // And it is the song: after each tick's ramp, the tick's own gain is heard.
  for (int t = 0; t < 44100 * 5 / 660; ++t) {
    const int f = t * 660 + 300;
    const int gain = codesong::GainOfTick(t);
    ASSERT_NEAR(video[2 * f], 8000.0 * gain / 255, 1.0) << "tick " << t;
    ASSERT_NEAR(video[2 * f + 1], 8000.0 * (gain / 2) / 255, 1.0) << "tick " << t;
  }
}

TEST_F(RingTest, StopSilencesTheDeviceAndTheQueriesReturnZero) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  Render(44100, 735);
  EXPECT_GT(FMUSIC_GetTime(&song_), 900);
  ASSERT_TRUE(FMUSIC_StopSong(&song_));
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
  EXPECT_EQ(FMUSIC_GetOrder(&song_), 0);
  EXPECT_EQ(FMUSIC_GetRow(&song_), 0);
  EXPECT_EQ(FMUSIC_GetTime(&song_), 0);
  const std::vector<int16_t> after = Render(88400 * 2, 735);  // a whole ring and more
  EXPECT_EQ(after, std::vector<int16_t>(after.size(), 0));
  EXPECT_TRUE(FMUSIC_StopSong(&song_));  // stopping twice is harmless

  // Playing again starts the song and the device over with a new ring.
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  EXPECT_EQ(FMUSIC_GetTime(&song_), 19);
  EXPECT_EQ(Device().Position(), 0u);
  const std::vector<int16_t> again = Render(2000, 735);
  EXPECT_NEAR(again[2 * 300], 8000.0 * codesong::GainOfTick(0) / 255, 1.0);
}

TEST_F(RingTest, CloseWhilePlayingStopsTheSong) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  FSOUND_Close();
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
  EXPECT_EQ(FSOUND_GetWaveOut(), nullptr);
  EXPECT_EQ(FMUSIC_GetTime(&song_), 0);
  FSOUND_Software_Poll();  // no device: nothing happens
}

// 2^32 bytes of output is about 6.8 hours: the heard block must move on by
// one block per 884 frames straight across that point.
TEST_F(RingTest, HeardBlockStaysRightPastFourGigabytesOfOutput) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  // Place the device a little before 2^32 bytes, at the start of block 0 of
  // the ring, as if the ring had gone round many times.
  const uint64_t ringBytes = 88400 * 4;
  const uint64_t start = ((uint64_t{1} << 32) / ringBytes) * ringBytes;
  ASSERT_LT((uint64_t{1} << 32) - start, ringBytes);
  Device().SetPosition(start);
  FSOUND_Software_Poll();
  EXPECT_EQ(FMUSIC_GetTime(&song_), 19);  // block 0 is heard again, nothing to refill
  const std::vector<int> times = codesong::ExpectedBlockTimes(201, 884, 44100, 660);
  bool crossed = false;
  for (int heard = 1; heard <= 200; ++heard) {
    Render(884, 884);
    crossed = crossed || Device().Position() > (uint64_t{1} << 32);
    ASSERT_EQ(FMUSIC_GetTime(&song_), times[heard]) << "block " << heard;
  }
  EXPECT_TRUE(crossed);
}

}  // namespace
