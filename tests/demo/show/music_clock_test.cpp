// Starting the embedded song: what the clock and position say at once.
#include <gtest/gtest.h>

#include "music.h"
#include "output.h"
#include "show.h"
#include "show_state.h"
#include "song.h"
#include "song_data.h"
#include "wave_out.h"

TEST(MusicClock, RightAfterPlayTheClockReads19msAtOrder0Row0) {
  ResetShowState();
  FSOUND_SetWaveOutFactory(FSOUND_CreateVirtualWaveOut);
  StartMusic();
  ASSERT_NE(mod, nullptr);
  EXPECT_EQ(FMUSIC_GetOrder(mod), 0);
  EXPECT_EQ(FMUSIC_GetRow(mod), 0);
  EXPECT_EQ(MusicTime(), 19);
  // The loader asked once per instrument and read the stream without seeking.
  EXPECT_EQ(tell_pos, musTellCount);
  EXPECT_LE(file_pos, static_cast<int32_t>(musDataSize));
  EXPECT_GT(file_pos, static_cast<int32_t>(musDataSize) - 16);
  StopMusic();
  EXPECT_EQ(mod, nullptr);
  FSOUND_SetWaveOutFactory(nullptr);
}

TEST(MusicClock, TheClockAdvancesInWholeBlocksAsTheDevicePlays) {
  ResetShowState();
  FSOUND_SetWaveOutFactory(FSOUND_CreateVirtualWaveOut);
  StartMusic();
  ASSERT_NE(mod, nullptr);
  auto* device = static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  ASSERT_NE(device, nullptr);
  int last = MusicTime();
  int changes = 0;
  // Two seconds in 10 ms steps: the clock moves once per 884-frame block,
  // never backwards, by less than a block's 20 ms.
  for (int step = 0; step < 200; ++step) {
    device->Advance(441, nullptr);
    FSOUND_Software_Poll();
    const int now = MusicTime();
    EXPECT_GE(now, last);
    EXPECT_LE(now - last, 20);
    changes += now != last;
    last = now;
  }
  EXPECT_GE(changes, 95);
  EXPECT_LE(changes, 101);
  EXPECT_GT(last, 1800);
  StopMusic();
  FSOUND_SetWaveOutFactory(nullptr);
}
