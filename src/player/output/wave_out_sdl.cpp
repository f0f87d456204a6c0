// The platform wave-output device on SDL2, and the mixing thread's priority.
// The only file of the player that includes a platform header.
//
// SDL pulls audio through a callback on its own thread: the callback copies
// the next bytes of the player's ring and counts them. What is heard lags that
// count by the buffer the callback fills, so the play position is the count
// less one buffer (SDL grants the size at open), and 0 until a whole buffer
// has gone through. Whatever the sound server adds after SDL's buffer is not
// reported by SDL 2, and no portable query exists for it: not counted. The
// ring pointer is swapped only under the device lock, so the callback never
// reads a ring the player has released.
//
// SDL's ALSA driver reports a failed open through SDL's error, but the ALSA
// library also prints its own lines to stderr (about eight of them on a
// machine without a sound card). The player says in one line that it plays
// silently, so ALSA's printing is muted while SDL starts and opens the device.
#include <SDL.h>
#include <alsa/asoundlib.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "output_thread.h"
#include "wave_out.h"

namespace {

void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Mutes the ALSA library's error printer for its lifetime (main thread only:
// the printer is global to the process).
class QuietAlsa {
 public:
  QuietAlsa() { snd_lib_error_set_handler(&QuietAlsaError); }
  ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;
};

class SdlWaveOut : public WaveOut {
 public:
  ~SdlWaveOut() override { Close(); }

  bool Open(int rate) override {
    Close();
    const QuietAlsa quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlWaveOut::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts rate and format to whatever the hardware wants; the buffer
    // size may change, so that the callback fills the device's own buffer
    // and `have` tells its size.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device_ == 0) {
      Close();
      return false;
    }
    bufferBytes_ = static_cast<uint64_t>(have.samples) * 4;
    return true;
  }

  void Start(const int16_t* ring, uint32_t bytes) override {
    if (device_ == 0) return;
    SDL_LockAudioDevice(device_);
    ring_ = reinterpret_cast<const uint8_t*>(ring);
    ringBytes_ = bytes & ~3u;
    played_.store(0, std::memory_order_relaxed);
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
  }

  // Bytes heard since Start: those handed to SDL less the buffer between.
  uint64_t Position() override {
    const uint64_t handed = played_.load(std::memory_order_acquire);
    return handed > bufferBytes_ ? handed - bufferBytes_ : 0;
  }

  void Reset() override {
    if (device_ == 0) return;
    SDL_PauseAudioDevice(device_, 1);
    SDL_LockAudioDevice(device_);
    ring_ = nullptr;
    ringBytes_ = 0;
    played_.store(0, std::memory_order_relaxed);
    SDL_UnlockAudioDevice(device_);
  }

  void Close() override {
    if (device_ != 0) {
      SDL_CloseAudioDevice(device_);
      device_ = 0;
    }
    if (subsystem_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      subsystem_ = false;
    }
    ring_ = nullptr;
    ringBytes_ = 0;
  }

 private:
  // Runs on SDL's audio thread with the device lock held.
  static void Callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlWaveOut*>(user);
    if (self->ring_ == nullptr || self->ringBytes_ == 0) {
      std::memset(stream, 0, static_cast<size_t>(len));
      return;
    }
    self->RingAcquire();
    const uint64_t played = self->played_.load(std::memory_order_relaxed);
    uint32_t at = static_cast<uint32_t>(played % self->ringBytes_);
    int left = len;
    while (left > 0) {
      const int n =
          static_cast<int>(std::min<uint32_t>(static_cast<uint32_t>(left), self->ringBytes_ - at));
      std::memcpy(stream, self->ring_ + at, static_cast<size_t>(n));
      stream += n;
      left -= n;
      at = 0;
    }
    // Release: the player refills what was just read only after seeing this.
    self->played_.store(played + static_cast<uint64_t>(len), std::memory_order_release);
  }

  SDL_AudioDeviceID device_ = 0;
  bool subsystem_ = false;
  const uint8_t* ring_ = nullptr;    // guarded by the device lock
  uint32_t ringBytes_ = 0;           // guarded by the device lock
  uint64_t bufferBytes_ = 0;         // the callback's buffer: set by Open
  std::atomic<uint64_t> played_{0};  // bytes handed to SDL since Start
};

}  // namespace

std::unique_ptr<WaveOut> FSOUND_CreatePlatformWaveOut() {
  return std::make_unique<SdlWaveOut>();
}

void FSOUND_RaiseThreadPriority() {
  // Real-time scheduling where the system grants it; otherwise a better nice
  // value for this thread; otherwise nothing. Failures are expected for
  // unprivileged users and are not reported.
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -10);
}
