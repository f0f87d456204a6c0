// The platform wave-output device on Windows (WINMM), and the mixing thread's
// priority. The only file of the player that includes a platform header.
//
// The device is opened on the wave mapper for 16-bit stereo PCM and plays the
// player's ring through one header marked as both the start and the end of a
// loop with an endless loop count, so it goes round without further calls.
// The play position is the device's byte count, widened to 64 bits: the
// position of what it plays, not of what it has taken from the ring, so no
// buffer is subtracted.
#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <mutex>

#include "output_thread.h"
#include "wave_out.h"
#include "wave_position.h"

namespace {

class WinmmWaveOut : public WaveOut {
 public:
  ~WinmmWaveOut() override { Close(); }

  bool Open(int rate) override {
    Close();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nAvgBytesPerSec = static_cast<DWORD>(rate) * 4;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    HWAVEOUT handle = nullptr;
    if (waveOutOpen(&handle, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    handle_ = handle;
    // The mixing thread sleeps 5 ms between polls; the default timer tick
    // (about 15.6 ms) would make it three times coarser.
    timerRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    return true;
  }

  void Start(const int16_t* ring, uint32_t bytes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == nullptr) return;
    StopLocked();
    header_ = WAVEHDR{};
    // The device only reads the ring; the header's field is not const.
    header_.lpData = reinterpret_cast<LPSTR>(const_cast<int16_t*>(ring));
    header_.dwBufferLength = bytes & ~3u;
    header_.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    header_.dwLoops = 0xFFFFFFFFu;
    if (waveOutPrepareHeader(handle_, &header_, sizeof(header_)) != MMSYSERR_NOERROR) return;
    prepared_ = true;
    position_.Restart();
    waveOutWrite(handle_, &header_, sizeof(header_));
  }

  uint64_t Position() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == nullptr || !prepared_) return 0;
    MMTIME time{};
    time.wType = TIME_BYTES;
    if (waveOutGetPosition(handle_, &time, sizeof(time)) != MMSYSERR_NOERROR) {
      return position_.Extend(last_);
    }
    // A device may answer in another format than the one asked for.
    uint32_t bytes = last_;
    if (time.wType == TIME_BYTES) {
      bytes = time.u.cb;
    } else if (time.wType == TIME_SAMPLES) {
      bytes = time.u.sample * 4u;
    }
    last_ = bytes;
    return position_.Extend(bytes);
  }

  void Reset() override {
    std::lock_guard<std::mutex> lock(mutex_);
    StopLocked();
  }

  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == nullptr) return;
    StopLocked();
    waveOutClose(handle_);
    handle_ = nullptr;
    if (timerRaised_) timeEndPeriod(1);
    timerRaised_ = false;
  }

 private:
  // Silences the device and hands the ring back: after waveOutReset the
  // device has returned the header, which may then be unprepared.
  void StopLocked() {
    if (handle_ == nullptr) return;
    waveOutReset(handle_);
    if (prepared_) {
      waveOutUnprepareHeader(handle_, &header_, sizeof(header_));
      prepared_ = false;
    }
    header_ = WAVEHDR{};
    last_ = 0;
    position_.Restart();
  }

  std::mutex mutex_;  // Position may be asked from another thread than Start
  HWAVEOUT handle_ = nullptr;
  WAVEHDR header_{};
  bool prepared_ = false;
  bool timerRaised_ = false;
  uint32_t last_ = 0;
  WavePosition position_;
};

}  // namespace

std::unique_ptr<WaveOut> FSOUND_CreatePlatformWaveOut() {
  return std::make_unique<WinmmWaveOut>();
}

void FSOUND_RaiseThreadPriority() {
  // The mixing thread is started by the portable player; on Windows it is a
  // native thread underneath, and raising it here gives it the time-critical
  // class the device's refill deadline needs.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}
