// The wave-output device in a web browser, on the page's audio graph
// (wave_out_web.js). The browser build has no threads: instead of a mixing
// thread, the device's audio callback (a message from the audio graph, on the
// main thread) runs the player's poll, and so does the show's frame loop,
// whichever comes first. The block fill itself is unchanged.
#include <emscripten/emscripten.h>

#include <cstdint>

#include "output.h"
#include "output_thread.h"
#include "wave_out.h"

extern "C" {
// wave_out_web.js. Readies the device for 16-bit stereo at `rate`: on the
// page's audio graph when it runs at that rate, else on a silent clock.
void vf_audio_open(int rate);
// Starts playing `bytes` of ring at `ring` from its start, over and over.
void vf_audio_start(const int16_t* ring, uint32_t bytes);
// Frames heard since the start (a whole number).
double vf_audio_position();
void vf_audio_reset();
void vf_audio_close();
}

namespace {

class WebWaveOut : public WaveOut {
 public:
  ~WebWaveOut() override { Close(); }
  bool Open(int rate) override {
    if (rate <= 0) return false;
    vf_audio_open(rate);
    open_ = true;
    return true;
  }
  void Start(const int16_t* ring, uint32_t bytes) override {
    if (open_) vf_audio_start(ring, bytes & ~3u);
  }
  uint64_t Position() override {
    return open_ ? static_cast<uint64_t>(vf_audio_position()) * 4 : 0;
  }
  void Reset() override {
    if (open_) vf_audio_reset();
  }
  void Close() override {
    if (open_) vf_audio_close();
    open_ = false;
  }
  // Polled by its own audio callback and by the frame loop, not by a thread.
  bool RealTime() const override { return false; }

 private:
  bool open_ = false;
};

}  // namespace

// The device's audio callback: wave_out_web.js calls it whenever the audio
// graph reports progress, and then hands the graph more of the ring.
extern "C" EMSCRIPTEN_KEEPALIVE void vf_audio_refill() {
  FSOUND_Software_Poll();
}

std::unique_ptr<WaveOut> FSOUND_CreatePlatformWaveOut() {
  return std::make_unique<WebWaveOut>();
}

// No mixing thread runs in the browser.
void FSOUND_RaiseThreadPriority() {}
