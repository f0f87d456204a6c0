// The wave-output device the player drives: opened for 16-bit stereo PCM at
// the mix rate, it plays one ring of blocks over and over without further
// calls and reports how many bytes it has played since Start. The player owns
// the device opened by FSOUND_Init and closes it in FSOUND_Close.
//
// Back ends: the platform device (wave_out_sdl.cpp on Linux; in the browser
// wave_out_web.cpp, which needs no mixing thread) with a silent clock-paced
// fallback when no audio device can be opened, and a virtual device whose
// position moves only when its owner advances it (tests, offline render).
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

class WaveOut {
 public:
  virtual ~WaveOut() = default;
  // Opens the device for 16-bit stereo at `rate` frames per second.
  virtual bool Open(int rate) = 0;
  // Starts playing `ring` (bytes long) from its start, over and over. The ring
  // stays valid and owned by the player until Reset.
  virtual void Start(const int16_t* ring, uint32_t bytes) = 0;
  // Bytes played since Start: as far as the device can tell, what reaches the
  // speaker now, not what it has taken from the ring (a device that buffers
  // what it takes subtracts that buffer). Never decreases while playing, and
  // everything before it has been read from the ring. 64-bit: never wraps in
  // practice.
  virtual uint64_t Position() = 0;
  // Stops playing and forgets the ring: the output is silent afterwards.
  virtual void Reset() = 0;
  virtual void Close() = 0;
  // True when a mixing thread must poll this device in real time; a virtual
  // device is polled by its owner with FSOUND_Software_Poll instead.
  virtual bool RealTime() const { return true; }

  // Called by the player after it has written blocks into the ring. A device
  // that reads the ring on a thread of its own calls RingAcquire before each
  // read: the player's writes then happen before the device's reads. The
  // other direction is ordered by Position: a device that reads the ring on
  // its own thread publishes its position with release after the reads.
  void RingWritten() { ringWrites_.fetch_add(1, std::memory_order_release); }

 protected:
  void RingAcquire() const { (void)ringWrites_.load(std::memory_order_acquire); }

 private:
  std::atomic<uint64_t> ringWrites_{0};
};

// A device whose play position moves only when Advance is called: what it
// "plays" is copied out of the ring, so offline rendering hears exactly the
// blocks that real-time playback would.
class VirtualWaveOut : public WaveOut {
 public:
  bool Open(int rate) override;
  void Start(const int16_t* ring, uint32_t bytes) override;
  uint64_t Position() override { return position_; }
  void Reset() override;
  void Close() override {}
  bool RealTime() const override { return false; }
  // Plays `frames` stereo frames from the ring; copies them to `out`
  // (2 x frames values) when it is not null. Silence when not started.
  void Advance(uint32_t frames, int16_t* out);
  // Plays up to `frames` stereo frames without copying them: returns the
  // values played (2 per frame) where they lie in the ring, stopping at the
  // ring's end, so fewer frames may be played. They stay valid until the next
  // poll refills them. Empty when not started.
  std::span<const int16_t> Play(uint32_t frames);
  int Rate() const { return rate_; }
  // Places the play position as if `bytes` had been played since Start
  // (tests use it to reach positions past 2^32 bytes cheaply).
  void SetPosition(uint64_t bytes) { position_ = bytes; }

 private:
  const int16_t* ring_ = nullptr;
  uint32_t ringBytes_ = 0;
  uint64_t position_ = 0;
  int rate_ = 0;
};

// Creates the device FSOUND_Init opens. The default factory opens the
// platform's audio device, or the silent clock-paced device (saying so once on
// stderr) when none can be opened.
using WaveOutFactory = std::unique_ptr<WaveOut> (*)();
void FSOUND_SetWaveOutFactory(WaveOutFactory factory);    // null: the default
std::unique_ptr<WaveOut> FSOUND_CreatePlatformWaveOut();  // defined by the platform back end
std::unique_ptr<WaveOut> FSOUND_CreateVirtualWaveOut();
// A silent device whose position runs with the monotonic clock while started:
// a program that follows the song's clock still runs when no audio device can
// be opened. Real time: polled by the mixing thread.
std::unique_ptr<WaveOut> FSOUND_CreateClockWaveOut();
// The device opened by the last successful FSOUND_Init, or null.
WaveOut* FSOUND_GetWaveOut();

// Used by FSOUND_Init and FSOUND_Close only. Opening makes the device of the
// installed factory, or with the default factory the platform device and, when
// that cannot be opened, the clock device; false when no device opens.
// Closing resets, closes and destroys the open device, if any.
bool FSOUND_OpenWaveOut(int rate);
void FSOUND_CloseWaveOut();
