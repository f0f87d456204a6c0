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

namespace {

std::vector<int16_t> ReadValues(const std::string& path) {
  const std::string bytes = ReadFile(path);
  std::vector<int16_t> values(bytes.size() / 2);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int16_t>(Le16(bytes, 2 * i));
  return values;
}

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

// Frames of sound in a disk driver file: everything after the silence SDL
// writes while the device is still paused; the silence's length in values.
size_t HeardFrames(const std::vector<int16_t>& values, size_t* silence) {
  size_t first = 0;
  while (first < values.size() && values[first] == 0) ++first;
  *silence = first;
  return (values.size() - first) / 2;
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
  size_t first = 0, heardFrames = 0;
  const bool enough =
      WaitUntil([&] { return (heardFrames = HeardFrames(ReadValues(path), &first)) >= kWanted; },
                120.0, 0.05);
  FMUSIC_StopSong(&song);
  FSOUND_Close();
  ASSERT_TRUE(enough) << "the disk driver wrote " << heardFrames << " frames of sound in 120 s";

  const std::vector<int16_t> heard = ReadValues(path);
  heardFrames = HeardFrames(heard, &first);
  const std::vector<int16_t> offline = RenderOffline(static_cast<int>(heardFrames) + 1000);
  size_t offlineFirst = 0;
  while (offline[offlineFirst] == 0) ++offlineFirst;
  ASSERT_EQ(first % 2, offlineFirst % 2);
  // The song holds a few frames at the end as the device stops: compare all
  // but the last quarter second.
  const size_t compare = 2 * (heardFrames - 44100 / 4);
  ASSERT_GE(heardFrames, kWanted);
  for (size_t i = 0; i < compare; ++i) {
    ASSERT_EQ(heard[first + i], offline[offlineFirst + i]) << "value " << i;
  }
}

}  // namespace
