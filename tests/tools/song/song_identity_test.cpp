// The show's song, loaded from the embedded stream as the show loads it and
// played with the player's default effects (the show never chooses a set),
// renders exactly the bytes it rendered when this hash was taken: a change to
// the player that reaches the show's sound fails here.
//
// To regenerate after a deliberate change of the song or of the show's
// effects: run this test, read the "actual" hash from its failure message and
// put it in kShowRenderHash.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "song_loading.h"

namespace {

constexpr uint64_t kShowRenderHash = 0x4b893f1ef67f6a9bULL;
constexpr uint32_t kFramesPerRow = 6 * 660;  // speed 6, 660 frames a tick at 167 BPM
constexpr uint32_t kRows = 64 * 7 + 67;

// 64-bit FNV-1a over the little-endian bytes of the 16-bit samples.
uint64_t Fnv1a(const std::vector<int16_t>& samples) {
  uint64_t h = 0xcbf29ce484222325ULL;
  for (const int16_t s : samples) {
    const uint16_t u = static_cast<uint16_t>(s);
    for (const uint8_t byte : {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)}) {
      h ^= byte;
      h *= 0x100000001b3ULL;
    }
  }
  return h;
}

TEST(ShowSongRender, IsByteIdenticalToTheRecordedRender) {
  StreamUse use;
  SongPtr song = LoadEmbeddedSong(&use);
  ASSERT_NE(song, nullptr);
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  ASSERT_TRUE(FMUSIC_PlaySong(song.get()));
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  std::vector<int16_t> pcm(2 * static_cast<size_t>(kFramesPerRow) * kRows);
  // Advance in pieces smaller than the ring, polling after each, as the
  // offline renderer does.
  for (uint32_t done = 0, total = kFramesPerRow * kRows; done < total;) {
    const uint32_t n = std::min<uint32_t>(16384, total - done);
    device.Advance(n, pcm.data() + 2 * static_cast<size_t>(done));
    FSOUND_Software_Poll();
    done += n;
  }
  FMUSIC_StopSong(song.get());
  FSOUND_Close();
  FSOUND_SetWaveOutFactory(nullptr);
  char actual[32];
  std::snprintf(actual, sizeof actual, "0x%016" PRIx64, Fnv1a(pcm));
  char expected[32];
  std::snprintf(expected, sizeof expected, "0x%016" PRIx64, kShowRenderHash);
  EXPECT_STREQ(actual, expected);
}

}  // namespace
