// End to end through the real SDL2 audio path: SDL's disk driver writes what
// the device callback hands over to a file, paced in real time. The song's
// audio must appear in that file exactly as the offline render has it, however
// fast or slow the driver writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "code_song.h"
#include "test_files.h"
#include "test_process.h"
#include "wav_file.h"

namespace {

std::vector<int16_t> RenderOffline(int frames) {
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  EXPECT_TRUE(FSOUND_Init(44100, 0));
  Song song = codesong::MakeSong();
  EXPECT_TRUE(FMUSIC_PlaySong(&song));
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  std::vector<int16_t> out(2 * static_cast<size_t>(frames));
  for (int at = 0; at < frames; at += 735) {
    const int n = std::min(735, frames - at);
    device.Advance(n, &out[2 * static_cast<size_t>(at)]);
    FSOUND_Software_Poll();
  }
  FSOUND_Close();
  FSOUND_SetWaveOutFactory(nullptr);
  return out;
}

TEST(SdlDiskOutputTest, TheDiskDriverFileHoldsTheOfflineRender) {
  const TempDir dir;
  const std::string path = dir / "disk.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  codesong::InstallCallbacks();

  FSOUND_SetWaveOutFactory(nullptr);  // the platform device
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  Song song = codesong::MakeSong();
  ASSERT_TRUE(FMUSIC_PlaySong(&song));
  // More than one ring (88,400 frames): the file must show refilled blocks
  // too. The driver writes at its own pace, slower on a busy machine: the
  // file is read until it holds that much.
  constexpr size_t kWanted = 88400 + 44100 / 2;
  size_t heardFrames = 0;
  const bool enough = WaitUntil(
      [&] { return (heardFrames = AfterSilence(ReadRawSound(path)).size() / 2) >= kWanted; }, 120.0,
      0.05);
  FMUSIC_StopSong(&song);
  FSOUND_Close();
  ASSERT_TRUE(enough) << "the disk driver wrote " << heardFrames << " frames of sound in 120 s";

  const std::vector<int16_t> heard = AfterSilence(ReadRawSound(path));
  const std::vector<int16_t> offline =
      AfterSilence(RenderOffline(static_cast<int>(heard.size() / 2) + 1000));
  // The song holds a few frames at the end as the device stops: compare all
  // but the last quarter second.
  const size_t compare = heard.size() - 2 * (44100 / 4);
  ASSERT_GE(offline.size(), compare);
  for (size_t i = 0; i < compare; ++i) ASSERT_EQ(heard[i], offline[i]) << "value " << i;
}

}  // namespace
