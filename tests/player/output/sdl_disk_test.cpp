// End to end through the real SDL2 audio path: SDL's disk driver writes what
// the device callback hands over to a file, paced in real time. The song's
// audio must appear in that file exactly as the offline render has it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "code_song.h"
#include "test_files.h"

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

TEST(SdlDiskOutputTest, TheDiskDriverFileHoldsTheOfflineRender) {
  const std::string path =
      ::testing::TempDir() + "player_sdl_disk_" + std::to_string(getpid()) + ".raw";
  std::remove(path.c_str());
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  codesong::InstallCallbacks();

  FSOUND_SetWaveOutFactory(nullptr);  // the platform device
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  Song song = codesong::MakeSong();
  ASSERT_TRUE(FMUSIC_PlaySong(&song));
  // More than one ring (2 s): the file must show refilled blocks too.
  std::this_thread::sleep_for(std::chrono::milliseconds(2600));
  FMUSIC_StopSong(&song);
  FSOUND_Close();

  const std::vector<int16_t> heard = ReadValues(path);
  std::remove(path.c_str());
  // SDL writes silence while the device is paused; the song starts after it.
  size_t first = 0;
  while (first < heard.size() && heard[first] == 0) ++first;
  ASSERT_LT(first, heard.size()) << "the file holds only silence";
  const size_t heardFrames = (heard.size() - first) / 2;
  ASSERT_GT(heardFrames, 88400u + 44100u / 4) << "less than a ring and a quarter second";

  const std::vector<int16_t> offline = RenderOffline(static_cast<int>(heardFrames) + 1000);
  size_t offlineFirst = 0;
  while (offline[offlineFirst] == 0) ++offlineFirst;
  ASSERT_EQ(first % 2, offlineFirst % 2);
  // The song holds a few frames at the end as the device stops: compare all
  // but the last quarter second.
  const size_t compare = 2 * (heardFrames - 44100 / 4);
  for (size_t i = 0; i < compare; ++i) {
    ASSERT_EQ(heard[first + i], offline[offlineFirst + i]) << "value " << i;
  }
}

}  // namespace
