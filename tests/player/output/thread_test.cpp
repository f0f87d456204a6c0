// The mixing thread in real time on the clock-paced device: the main thread
// queries while the thread refills, then stops, plays again and closes. Run
// under ThreadSanitizer (label "threads"), this shows the shared state safe.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "code_song.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class MixingThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSOUND_SetWaveOutFactory(&FSOUND_CreateClockWaveOut);
    codesong::InstallCallbacks();
    ASSERT_TRUE(FSOUND_Init(44100, 0));
    song_ = codesong::MakeSong();
  }
  void TearDown() override {
    FSOUND_Close();
    FSOUND_SetWaveOutFactory(nullptr);
  }

  // Queries until the heard time reaches `target` ms (or a generous limit),
  // checking that order, row and time only ever move forward together.
  int QueryUntil(int target) {
    const auto limit = steady_clock::now() + std::chrono::seconds(20);
    int time = FMUSIC_GetTime(&song_);
    while (time < target && steady_clock::now() < limit) {
      const int order = FMUSIC_GetOrder(&song_);
      const int row = FMUSIC_GetRow(&song_);
      const int now = FMUSIC_GetTime(&song_);
      EXPECT_GE(now, time);
      EXPECT_LT(row, 64);
      EXPECT_LT(order, 256);
      time = now;
      std::this_thread::sleep_for(milliseconds(2));
    }
    return time;
  }

  Song song_{};
};

TEST_F(MixingThreadTest, PlaysQueriesStopsAndPlaysAgain) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  EXPECT_GE(QueryUntil(300), 300);  // the thread refills and the heard block moves on
  ASSERT_TRUE(FMUSIC_StopSong(&song_));
  EXPECT_EQ(FMUSIC_GetTime(&song_), 0);
  const int ticks = codesong::g_ticks;
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(codesong::g_ticks, ticks);  // no thread mixes any more
  EXPECT_EQ(FSOUND_Software_UpdateMutex.load(), 0);

  song_ = codesong::MakeSong();
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  EXPECT_LT(FMUSIC_GetTime(&song_), 100);  // started over
  EXPECT_GE(QueryUntil(100), 100);
  FSOUND_Close();  // stops the thread before the device goes
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
}

TEST_F(MixingThreadTest, QueriesFromAnotherThreadWhileTheOwnerStops) {
  ASSERT_TRUE(FMUSIC_PlaySong(&song_));
  std::atomic<bool> done{false};
  std::thread reader([&] {
    int last = 0;
    while (!done.load()) {
      const int t = FMUSIC_GetTime(&song_);
      EXPECT_TRUE(t == 0 || t >= last);  // 0 once stopped
      if (t != 0) last = t;
      std::this_thread::yield();
    }
  });
  QueryUntil(100);
  FMUSIC_StopSong(&song_);
  done.store(true);
  reader.join();
}

}  // namespace
