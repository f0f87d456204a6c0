// The portable wave-output devices (the virtual device and the silent
// clock-paced device), the factory and the one open device of the player.
#include "wave_out.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// The player's device: replaced only by FSOUND_Init and FSOUND_Close, on the
// caller's thread, never while a mixing thread runs. A plain pointer, so no
// static destructor can take it away from a thread still running at exit.
WaveOut* FSOUND_WaveOutHandle = nullptr;
WaveOutFactory g_factory = nullptr;
bool g_fallbackReported = false;

// Silent, so nothing lies between its position and the listener: the
// position is the time since Start.
class ClockWaveOut : public WaveOut {
 public:
  bool Open(int rate) override {
    rate_ = rate;
    return rate > 0;
  }
  void Start(const int16_t*, uint32_t) override {
    start_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    started_.store(true, std::memory_order_release);
  }
  uint64_t Position() override {
    if (!started_.load(std::memory_order_acquire)) return 0;
    const Clock::rep now = Clock::now().time_since_epoch().count();
    const uint64_t elapsed = static_cast<uint64_t>(
        std::max<Clock::rep>(0, now - start_.load(std::memory_order_relaxed)));
    // Nanoseconds to frames without overflowing for runs of any length.
    constexpr uint64_t kNanos = 1'000'000'000;
    const uint64_t frames = elapsed / kNanos * rate_ + elapsed % kNanos * rate_ / kNanos;
    return frames * 4;
  }
  void Reset() override { started_.store(false, std::memory_order_release); }
  void Close() override { Reset(); }

 private:
  using Clock = std::chrono::steady_clock;
  std::atomic<Clock::rep> start_{0};
  std::atomic<bool> started_{false};
  uint64_t rate_ = 0;
};

}  // namespace

bool VirtualWaveOut::Open(int rate) {
  rate_ = rate;
  return rate > 0;
}

void VirtualWaveOut::Start(const int16_t* ring, uint32_t bytes) {
  ring_ = ring;
  ringBytes_ = bytes & ~3u;
  position_ = 0;
}

void VirtualWaveOut::Reset() {
  ring_ = nullptr;
  ringBytes_ = 0;
  position_ = 0;
}

void VirtualWaveOut::Advance(uint32_t frames, int16_t* out) {
  if (ring_ == nullptr || ringBytes_ == 0) {
    if (out != nullptr) std::fill(out, out + 2 * static_cast<size_t>(frames), int16_t{0});
    return;
  }
  if (out != nullptr) {
    const uint32_t ringFrames = ringBytes_ / 4;
    uint32_t at = static_cast<uint32_t>(position_ / 4 % ringFrames);
    uint32_t left = frames;
    while (left > 0) {
      const uint32_t n = std::min(left, ringFrames - at);
      std::memcpy(out, ring_ + 2 * static_cast<size_t>(at), static_cast<size_t>(n) * 4);
      out += 2 * static_cast<size_t>(n);
      left -= n;
      at = 0;
    }
  }
  position_ += static_cast<uint64_t>(frames) * 4;
}

std::span<const int16_t> VirtualWaveOut::Play(uint32_t frames) {
  if (ring_ == nullptr || ringBytes_ == 0) return {};
  const uint32_t ringFrames = ringBytes_ / 4;
  const uint32_t at = static_cast<uint32_t>(position_ / 4 % ringFrames);
  const uint32_t n = std::min(frames, ringFrames - at);
  position_ += static_cast<uint64_t>(n) * 4;
  return {ring_ + 2 * static_cast<size_t>(at), 2 * static_cast<size_t>(n)};
}

void FSOUND_SetWaveOutFactory(WaveOutFactory factory) {
  g_factory = factory;
}

std::unique_ptr<WaveOut> FSOUND_CreateVirtualWaveOut() {
  return std::make_unique<VirtualWaveOut>();
}

std::unique_ptr<WaveOut> FSOUND_CreateClockWaveOut() {
  return std::make_unique<ClockWaveOut>();
}

WaveOut* FSOUND_GetWaveOut() {
  return FSOUND_WaveOutHandle;
}

bool FSOUND_OpenWaveOut(int rate) {
  FSOUND_CloseWaveOut();
  std::unique_ptr<WaveOut> device = g_factory ? g_factory() : FSOUND_CreatePlatformWaveOut();
  if (device && device->Open(rate)) {
    FSOUND_WaveOutHandle = device.release();
    return true;
  }
  if (g_factory != nullptr) return false;
  device = FSOUND_CreateClockWaveOut();
  if (!device->Open(rate)) return false;
  if (!g_fallbackReported) {
    std::fputs("player: no audio device could be opened; playing silently in real time\n", stderr);
    g_fallbackReported = true;
  }
  FSOUND_WaveOutHandle = device.release();
  return true;
}

void FSOUND_CloseWaveOut() {
  if (FSOUND_WaveOutHandle == nullptr) return;
  FSOUND_WaveOutHandle->Reset();
  FSOUND_WaveOutHandle->Close();
  delete FSOUND_WaveOutHandle;
  FSOUND_WaveOutHandle = nullptr;
}
