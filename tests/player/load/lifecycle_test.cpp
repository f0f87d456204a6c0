// Releasing songs around playback: freeing the playing song stops it first;
// freeing another song (one that is loaded but not playing) leaves the
// playing one alone. Uses the virtual output device, so no thread runs.
#include <gtest/gtest.h>

#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "song_fixture.h"

namespace songtest {
namespace {

TEST(SongLifecycle, FreeStopsOnlyThePlayingSong) {
  FSOUND_File_ServeMemory({});  // FSOUND_Init needs callbacks
  FSOUND_SetWaveOutFactory(FSOUND_CreateVirtualWaveOut);
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  XmSong xm = BasicSong(2, 8);
  xm.patterns[0].At(0, 0, 2) = {49, 1, 0, 0, 0};
  Song* playing = Load(xm);
  Song* other = Load(xm);
  ASSERT_NE(playing, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(FMUSIC_PlaySong(playing));
  EXPECT_EQ(FMUSIC_PlayingSong.load(), playing);
  EXPECT_TRUE(FMUSIC_FreeSong(other));
  EXPECT_EQ(FMUSIC_PlayingSong.load(), playing) << "still playing";
  EXPECT_TRUE(FMUSIC_FreeSong(playing));
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
  FSOUND_Close();
  FSOUND_SetWaveOutFactory(nullptr);
}

}  // namespace
}  // namespace songtest
