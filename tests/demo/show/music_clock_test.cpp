// Starting the embedded song: what the clock and position say at once, the
// frame step it gives, and the show without its song.
#include <gtest/gtest.h>

#include <memory>

#include "demo/music.h"
#include "demo/show.h"
#include "demo/show_state.h"
#include "demo/song_data.h"
#include "demo/sync.h"
#include "display/display_headless.h"
#include "display/ptc.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"

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

// The frame step in 4 ms units, rounded towards minus infinity, for a clock
// that moves on, stands, jumps, or goes back (a song started again).
TEST(FrameStep, FollowsTheClockBackwardsAndAcrossJumps) {
  const struct {
    int32_t now, previous, step;
  } cases[] = {
      {100, 0, 25},
      {103, 0, 25},
      {19, 19, 0},
      {0, 3, -1},
      {19, 5019, -1250},
      {18, 5019, -1251},
      {46000, 19, 11495},
      {0, 46000, -11500},
      {2000000000, 0, 500000000},
      {0, 2000000000, -500000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FrameStep(c.now, c.previous), c.step) << c.previous << " -> " << c.now;
  }
}

std::unique_ptr<WaveOut> NoDevice() {
  return nullptr;
}

// Without its song the show still runs, frame after frame, on a clock that
// stands at 0, and ends cleanly: when the sound device cannot be opened (the
// song loads but cannot play), and with no song at all, as after a failed
// load. Nothing may read through the missing song.
TEST(ShowWithoutSong, RunsOnAStandingClockAndEndsCleanly) {
  for (const bool songLoaded : {true, false}) {
    SCOPED_TRACE(songLoaded ? "no sound device" : "no song");
    ResetShowState();
    HeadlessDisplay display;
    ptc_use_platform(&display);
    ASSERT_EQ(ptc_open("VELDRAFLIMMER", 320, 240), 1);
    display.PostActivate(true);
    FSOUND_SetWaveOutFactory(&NoDevice);
    Show show;
    show.Start();
    EXPECT_EQ(FSOUND_GetWaveOut(), nullptr);
    EXPECT_NE(mod, nullptr);  // the song loads without a device
    if (!songLoaded) StopMusic();
    for (int frame = 0; frame < 20; ++frame) {
      show.Frame();
      EXPECT_EQ(show.prevTime, 0);
      EXPECT_EQ(show.dt, 0);
    }
    EXPECT_EQ(running, 1);
    EXPECT_EQ(SyncCursor(), 3);  // only the record at order 0, row 0 is due
    EXPECT_EQ(display.Frames(), 20);
    show.Finish();
    EXPECT_EQ(mod, nullptr);
    EXPECT_EQ(display.Held(), 0);
    ptc_use_platform(nullptr);
    FSOUND_SetWaveOutFactory(nullptr);
  }
}
