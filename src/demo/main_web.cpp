// veldraflimmer in a web browser: the entry points the page (index.html)
// calls and the frame loop the browser drives. The show itself is the same
// Show as on the desktop; only the loop is turned inside out, because a page
// must hand the browser its thread back after every frame: the browser calls
// one frame per animation frame (emscripten_set_main_loop, driven by
// requestAnimationFrame). Keeping the desktop's blocking loop through
// Asyncify instead was measured: no faster per frame, and a module 6% larger.
//
// There are no threads. Each frame first runs the player's poll, which refills
// every block of the ring the audio has played; the wave-output device's audio
// callback runs the same poll, whichever comes first.
//
// The show ends at its stop record (the frame is presented, then the display
// closes and the music stops, as Show::Finish does on the desktop) or on
// Escape or the page closing (the display layer's shutdown sequence); either
// way the loop stops and the page is told, and may start the show again.
#include <emscripten/emscripten.h>

#include <memory>

#include "display/display_web.h"
#include "display/ptc.h"
#include "music.h"
#include "player/output/output.h"
#include "raster/kernels.h"
#include "show.h"
#include "show_state.h"

namespace {

std::unique_ptr<Show> show;
bool live = false;       // started, and neither at its end nor stopped
int frames = 0;          // frames composed and presented since the start
double frameMsSum = 0;   // the time those took, from the clock to the canvas
double frameMsMost = 0;  // the longest of them

EM_JS(void, vf_page_show_ended, (), {
  if (Module['onShowEnd']) Module['onShowEnd']();
});

void Ended() {
  emscripten_cancel_main_loop();
  live = false;
  vf_page_show_ended();
}

// Escape or the page closing: the display layer has closed the display and
// stopped the music (ptc_set_shutdown); a page has no process to end.
void Stopped(int /*status*/) {
  Ended();
}

void FrameLoop() {
  FSOUND_Software_Poll();
  const double start = emscripten_get_now();
  show->Frame();
  if (!live) return;  // stopped inside the frame's ptc_update
  const double ms = emscripten_get_now() - start;
  ++frames;
  frameMsSum += ms;
  if (ms > frameMsMost) frameMsMost = ms;
  if (!running) {
    show->Finish();
    Ended();
  }
}

}  // namespace

// Starts the show with its music mixed at `mixRate` frames per second (the
// audio context's rate). 0 when it runs; 1 when the display could not be
// opened (a line on stderr says why). Does nothing while the show runs.
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_start(int mixRate) {
  if (live) return 0;
  show.reset();
  ResetShowState();
  WebDisplaySetExitHandler(Stopped);
  if (ptc_open("VELDRAFLIMMER", 320, 240) == 0) return 1;
  ptc_set_shutdown(StopMusic);
  show = std::make_unique<Show>();
  show->mixRate = mixRate;
  show->Start();
  live = true;
  frames = 0;
  frameMsSum = frameMsMost = 0;
  emscripten_set_main_loop(FrameLoop, 0, 0);
  return 0;
}

// What the page's read-only hook reports.
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_running() {
  return live ? 1 : 0;
}
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_frames() {
  return frames;
}
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_song_ms() {
  return MusicTime();
}
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_order() {
  return FMUSIC_GetOrder(mod);
}
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_row() {
  return FMUSIC_GetRow(mod);
}
extern "C" EMSCRIPTEN_KEEPALIVE double vf_web_frame_ms_mean() {
  return frames > 0 ? frameMsSum / frames : 0.0;
}
extern "C" EMSCRIPTEN_KEEPALIVE double vf_web_frame_ms_most() {
  return frameMsMost;
}

// For measurements (tests/web/measure_show.js): the raster row kernels of
// `set` (a raster::KernelSet; 0 is the best this build has) from the next
// frame on. 0 when this build lacks that set.
extern "C" EMSCRIPTEN_KEEPALIVE int vf_web_use_kernels(int set) {
  return raster::UseKernels(static_cast<raster::KernelSet>(set)) ? 1 : 0;
}
