// The frame loop against the real-time player: the mixing thread publishes the
// heard position while the main thread reads the clock, walks the table and
// draws; the show's end frees the song and closes the sound while the thread
// still runs. The display is the headless back end; the sound goes through
// SDL's disk driver into /dev/null, paced in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "demo/show.h"
#include "demo/show_state.h"
#include "demo/sync.h"
#include "display/display_headless.h"
#include "display/ptc.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"

TEST(ShowThreads, FramesRunBesideTheMixingThreadAndTheEndStopsIt) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  ResetShowState();
  HeadlessDisplay display;
  ptc_use_platform(&display);
  ASSERT_EQ(ptc_open("VELDRAFLIMMER", 320, 240), 1);
  display.PostActivate(true);
  FSOUND_SetWaveOutFactory(nullptr);  // the platform device and its thread

  Show show;
  show.Start();
  ASSERT_NE(mod, nullptr);
  ASSERT_TRUE(FSOUND_GetWaveOut()->RealTime());
  // Frames until a second of song has been heard and the table consulted (the
  // veldra records at rows 0 and 12 fired), however long a busy machine takes.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int frames = 0;
  while (running && std::chrono::steady_clock::now() < end &&
         !(show.prevTime > 1000 && SyncCursor() >= 3 * 2 && frames > 10)) {
    show.Frame();
    display.ClearLog();
    ++frames;
  }
  EXPECT_GT(show.prevTime, 1000);
  EXPECT_GE(SyncCursor(), 3 * 2);
  EXPECT_GT(frames, 10);
  EXPECT_EQ(display.Frames(), frames);

  show.Finish();
  EXPECT_EQ(mod, nullptr);
  EXPECT_EQ(FSOUND_GetWaveOut(), nullptr);
  EXPECT_EQ(display.Held(), 0);
  ptc_use_platform(nullptr);
}
