// The mixing thread in real time on the clock-paced device: the main thread
// queries while the thread refills, then stops, plays again and closes. Run
// under ThreadSanitizer (label "threads"), this shows the shared state safe.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "code_song.h"
#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "xm_writer.h"

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

  // Queries until the heard time reaches `target` ms (or a generous limit).
  // The time only moves forward; when it reads the same before and after,
  // the order and row read between come from that same block, whose time
  // table entry says where the song was: the last tick started before its end.
  int QueryUntil(int target) {
    const std::vector<int> ends = codesong::ExpectedBlockTimes(2000, 884, 44100, 660);
    const auto limit = steady_clock::now() + std::chrono::seconds(20);
    int time = FMUSIC_GetTime(&song_);
    while (time < target && steady_clock::now() < limit) {
      const int before = FMUSIC_GetTime(&song_);
      const int order = FMUSIC_GetOrder(&song_);
      const int row = FMUSIC_GetRow(&song_);
      const int after = FMUSIC_GetTime(&song_);
      EXPECT_GE(before, time);
      EXPECT_GE(after, before);
      if (before == after) {
        const auto end = std::lower_bound(ends.begin(), ends.end(), before);
        EXPECT_TRUE(end != ends.end() && *end == before) << before << " ms ends no block";
        const int block = static_cast<int>(end - ends.begin());
        const int lastTick = ((block + 1) * 884 + 659) / 660 - 1;
        EXPECT_EQ(order, lastTick / 64) << "block " << block;
        EXPECT_EQ(row, lastTick % 64) << "block " << block;
      }
      time = after;
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

// A program that returns from main with its song playing ends cleanly, with
// its exit status: the mixing thread is stopped at exit, not left running
// over released buffers.
TEST(MixingThreadExitTest, ExitWhilePlayingKeepsTheExitStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // sanitizers run threads of their own
  EXPECT_EXIT(
      {
        FSOUND_SetWaveOutFactory(&FSOUND_CreateClockWaveOut);
        codesong::InstallCallbacks();
        static Song song = codesong::MakeSong();
        if (!FSOUND_Init(44100, 0) || !FMUSIC_PlaySong(&song)) std::exit(3);
        std::this_thread::sleep_for(milliseconds(50));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A loaded song, freed while the thread mixes it: the free stops the thread
// before anything the fill reads is released.
TEST_F(MixingThreadTest, FreeingALoadedSongWhilePlaying) {
  XmSong xm;
  xm.channels = 4;
  XmPattern& p = xm.AddPattern(16);
  for (int r = 0; r < 16; r += 2) p.At(r, r % 4, 4) = XmCell{49, 1, 0, 0, 0};
  xm.orders = {0};
  XmInstrument instrument;
  XmSample sample;
  for (int i = 0; i < 100; ++i) sample.data.push_back(static_cast<int16_t>(i * 300 - 15000));
  sample.loopType = 2;
  sample.loopLength = 100;
  instrument.samples.push_back(sample);
  xm.instruments.push_back(instrument);
  const std::vector<uint8_t> bytes = WriteXm(xm);
  FSOUND_File_ServeMemory({bytes.data(), bytes.size()});
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  Song* song = FMUSIC_LoadSong("memory", nullptr);
  ASSERT_NE(song, nullptr);
  ASSERT_TRUE(FMUSIC_PlaySong(song));
  const auto limit = steady_clock::now() + std::chrono::seconds(20);
  while (FMUSIC_GetTime(song) < 150 && steady_clock::now() < limit) {
    EXPECT_LT(FMUSIC_GetRow(song), 16);
    EXPECT_EQ(FMUSIC_GetOrder(song), 0);
    std::this_thread::sleep_for(milliseconds(2));
  }
  EXPECT_GE(FMUSIC_GetTime(song), 150);
  EXPECT_TRUE(FMUSIC_FreeSong(song));
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
}

}  // namespace
