// The display back end in a web browser. The back buffer is a block of the
// module's memory that the page's canvas shows as it is: 32-bit pixels whose
// bytes are red, green, blue, alpha, so the display layer converts into it
// with its 32-bit converter for that layout. Presenting makes the pixels
// opaque (the converter leaves the fourth byte 0, which a canvas would take
// for transparent) and hands the block to the canvas. The browser paces the
// frames and its thread must not be held, so nothing here sleeps or waits.
// There is nothing to load, no device and no screen to take: those steps keep
// the display layer's defaults. The page side is display_web.js.
#include "display_web.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "display_platform.h"

extern "C" {
// display_web.js. Finds the page's canvas and starts listening to the page:
// 0 when the page has no canvas that can draw. The page's events are queued
// as the codes given here, one for each DisplayEvent.
int vf_canvas_open(const char* title, int close, int activate, int deactivate, int escapeKey,
                   int otherKey, int pointerEnter);
// Sets the canvas to `width`x`height` pixels and fits it to the window.
void vf_canvas_set_size(int width, int height);
// Takes the oldest page event's code; -1 when none is waiting.
int vf_canvas_next_event();
void vf_canvas_hide_cursor();
// Shows `width`x`height` pixels of 4 bytes (red, green, blue, alpha) at `rgba`.
void vf_canvas_present(const uint8_t* rgba, int width, int height);
// Asks the browser to keep the screen on (1) or lets it sleep again (0).
void vf_canvas_keep_awake(int on);
// Stops listening to the page and shows the pointer again.
void vf_canvas_close();
}

namespace {

void (*exitHandler)(int status) = nullptr;

class WebDisplay : public DisplayPlatform {
 public:
  bool OpenWindow(const char* title) override {
    using E = DisplayEvent;
    const auto code = [](E event) { return static_cast<int>(event); };
    window_ = vf_canvas_open(title, code(E::kClose), code(E::kActivate), code(E::kDeactivate),
                             code(E::kEscapeKey), code(E::kOtherKey), code(E::kPointerEnter)) != 0;
    return window_;
  }

  bool SetScreenMode(int width, int height, int bits) override {
    if (bits != 32) return false;  // a canvas holds 32-bit pixels only
    width_ = width;
    height_ = height;
    vf_canvas_set_size(width, height);
    return true;
  }

  bool CreateFlipChain(int backBuffers) override {
    if (backBuffers == 0) return false;  // the canvas is the visible surface
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    return true;
  }

  bool FindBackBuffer() override { return !pixels_.empty(); }

  bool ReadScreenFormat(DisplayPixelFormat* format) override {
    // Bytes red, green, blue, alpha: as a little-endian word, red is lowest.
    *format = {true, 32, 0x0000FF, 0x00FF00, 0xFF0000};
    return true;
  }

  void AllowScreenSaver(bool allow) override { vf_canvas_keep_awake(allow ? 0 : 1); }

  void ReportOpenFailure() override {
    std::fprintf(stderr, "The page has no canvas the show can draw on.\n");
  }

  bool NextEvent(DisplayEvent* event) override {
    const int code = window_ ? vf_canvas_next_event() : -1;
    if (code < 0) return false;
    *event = static_cast<DisplayEvent>(code);
    return true;
  }

  void HideCursor() override { vf_canvas_hide_cursor(); }

  bool LockBackBuffer(uint8_t** pixels, int* pitch) override {
    if (pixels_.empty()) return false;
    *pixels = reinterpret_cast<uint8_t*>(pixels_.data());
    *pitch = width_ * 4;
    return true;
  }

  void UnlockBackBuffer(uint8_t* /*pixels*/) override {
    for (uint32_t& p : pixels_) p |= 0xFF000000u;
  }

  void Flip() override {
    vf_canvas_present(reinterpret_cast<const uint8_t*>(pixels_.data()), width_, height_);
  }

  void ReleaseFlipChain() override {
    pixels_.clear();
    pixels_.shrink_to_fit();
  }

  void CloseWindow() override {
    if (window_) vf_canvas_close();
    window_ = false;
  }

  void EndProcess(int status) override {
    if (exitHandler) exitHandler(status);
  }

 private:
  bool window_ = false;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace

void WebDisplaySetExitHandler(void (*handler)(int status)) {
  exitHandler = handler;
}

std::unique_ptr<DisplayPlatform> CreatePlatformDisplay(int deepestBits) {
  (void)deepestBits;  // the canvas is always 32-bit
  return std::make_unique<WebDisplay>();
}
