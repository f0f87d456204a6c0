// wave_probe: plays a tone through the platform's wave-output device for about
// a second and checks that the device's play position moves forward. Used by
// the Windows smoke test under Wine, where it needs a sound server. Prints the
// positions it saw; exit status 0 when the position advanced steadily, 1 when
// it did not, 2 when no device could be opened.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#include "player/output/wave_out.h"

int main() {
  constexpr int kRate = 44100;
  constexpr uint32_t kFrames = 88400;  // the player's ring at this rate
  std::unique_ptr<WaveOut> device = FSOUND_CreatePlatformWaveOut();
  if (!device->Open(kRate)) {
    std::puts("wave_probe: the wave-output device cannot be opened");
    return 2;
  }
  // A quiet 440 Hz tone, so that a recording of the output is not silent.
  std::vector<int16_t> ring(2 * kFrames);
  for (uint32_t i = 0; i < kFrames; ++i) {
    const auto v =
        static_cast<int16_t>(6000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * i / kRate));
    ring[2 * i] = ring[2 * i + 1] = v;
  }
  device->Start(ring.data(), static_cast<uint32_t>(ring.size() * sizeof(int16_t)));

  uint64_t first = device->Position();
  uint64_t last = first;
  int backwards = 0;
  for (int poll = 0; poll < 25; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    const uint64_t now = device->Position();
    if (now < last) ++backwards;
    last = now;
  }
  device->Reset();
  const uint64_t afterReset = device->Position();
  device->Close();

  // About one second was played: at least a quarter of it must show.
  const uint64_t played = last - first;
  std::printf("wave_probe: position %llu -> %llu bytes (%.2f s), %d steps back, %llu after reset\n",
              static_cast<unsigned long long>(first), static_cast<unsigned long long>(last),
              static_cast<double>(played) / (4.0 * kRate), backwards,
              static_cast<unsigned long long>(afterReset));
  const bool ok = played >= kRate && backwards == 0 && afterReset == 0;
  std::puts(ok ? "wave_probe: the play position moves forward" : "wave_probe: FAILED");
  return ok ? 0 : 1;
}
