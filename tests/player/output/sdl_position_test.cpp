// The SDL device's play position against SDL's disk driver, which writes each
// buffer the device callback fills to a file, paced in real time. What the
// device reports is what is heard: the bytes handed over less the buffer SDL
// holds between the callback and the output (the disk driver grants the 1,024
// frames asked for), 0 until a whole buffer has gone through, never going back.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "player/output/wave_out.h"
#include "test_files.h"
#include "test_process.h"

namespace {

constexpr int kRate = 44100;
constexpr uint64_t kBufferBytes = 1024 * 4;  // 1,024 frames of 16-bit stereo
constexpr uint32_t kRingFrames = 8840;       // 0.2 s: the file holds several laps

// Ring bytes that are never 0, so the handed-over part of the file stands out
// from the silence SDL writes around it, and that do not repeat within a lap.
std::vector<uint8_t> RingBytes() {
  std::vector<uint8_t> bytes(kRingFrames * 4);
  uint32_t x = 12345;
  for (uint8_t& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(1 + (x >> 16) % 255);
  }
  return bytes;
}

// The SDL device that the platform device opened: the only one playing.
SDL_AudioDeviceID PlayingDevice() {
  for (SDL_AudioDeviceID id = 2; id < 64; ++id) {
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
  }
  return 0;
}

TEST(SdlPosition, IsTheBytesWrittenLessTheBuffer) {
  const TempDir dir;
  const std::string path = dir / "heard.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);

  const std::vector<uint8_t> ring = RingBytes();
  std::vector<int16_t> values(ring.size() / 2);
  std::memcpy(values.data(), ring.data(), ring.size());
  std::unique_ptr<WaveOut> device = FSOUND_CreatePlatformWaveOut();
  ASSERT_TRUE(device->Open(kRate));
  device->Start(values.data(), static_cast<uint32_t>(ring.size()));

  // Follow the position from the start until a few buffers have been heard.
  std::vector<uint64_t> seen;
  WaitUntil(
      [&] {
        seen.push_back(device->Position());
        return seen.back() >= 10 * kBufferBytes;
      },
      20.0, 0.001);
  for (size_t i = 0; i < seen.size(); ++i) {
    ASSERT_LT(seen[i], uint64_t{1} << 40) << "a position below 0 wrapped round, poll " << i;
  }
  ASSERT_GE(seen.back(), 10 * kBufferBytes) << "the disk driver did not play";

  // Freeze the moment: once SDL's device is paused no callback runs again,
  // and the buffers already handed over still reach the file.
  const SDL_AudioDeviceID id = PlayingDevice();
  ASSERT_NE(id, 0u);
  SDL_PauseAudioDevice(id, 1);
  const uint64_t frozen = device->Position();
  device->Reset();
  device->Close();

  const std::string file = ReadFile(path);
  size_t first = 0, end = file.size();
  while (first < end && file[first] == 0) ++first;
  while (end > first && file[end - 1] == 0) --end;
  const uint64_t written = end - first;
  ASSERT_GT(written, 0u) << "the file holds only silence";
  // What was written is the ring, lap after lap, in whole buffers.
  for (size_t i = first; i < end; ++i) {
    ASSERT_EQ(static_cast<uint8_t>(file[i]), ring[(i - first) % ring.size()]) << "byte " << i;
  }
  EXPECT_EQ(written % kBufferBytes, 0u);

  EXPECT_EQ(frozen, written - kBufferBytes);
  std::printf("position %llu bytes, written %llu: the position is %.1f ms behind the file\n",
              static_cast<unsigned long long>(frozen), static_cast<unsigned long long>(written),
              (static_cast<double>(written) - static_cast<double>(frozen)) / 4 * 1000 / kRate);
  // From the start on, never back.
  for (size_t i = 1; i < seen.size(); ++i) ASSERT_LE(seen[i - 1], seen[i]) << "poll " << i;
  EXPECT_LE(seen.back(), frozen);
}

}  // namespace
