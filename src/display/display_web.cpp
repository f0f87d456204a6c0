// The display back end in a web browser. The back buffer is a block of the
// module's memory that the page's canvas shows as it is: 32-bit pixels whose
// bytes are red, green, blue, alpha, so the display layer converts into it
// with its 32-bit converter for that layout. Presenting makes the pixels
// opaque (the converter leaves the fourth byte 0, which a canvas would take
// for transparent) and hands the block to the canvas. The browser paces the
// frames, so nothing here waits. The page side is display_web.js.
#include "display_web.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "display_platform.h"

extern "C" {
// display_web.js. Finds the page's canvas and starts listening to the page:
// 0 when the page has no canvas that can draw.
int vf_canvas_open(const char* title);
// Sets the canvas to `width`x`height` pixels and fits it to the window.
void vf_canvas_set_size(int width, int height);
// Takes the oldest page event as a window message; 0 when none is waiting.
int vf_canvas_next_event(unsigned* message, unsigned* wParam);
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
  bool OpenLibrary() override { return true; }
  bool CreateDisplay() override { return true; }

  bool CreateWindow(const char* title) override {
    window_ = vf_canvas_open(title) != 0;
    return window_;
  }

  bool TakeDisplay() override { return true; }

  bool SetMode(int width, int height, int bits) override {
    if (bits != 32) return false;  // a canvas holds 32-bit pixels only
    width_ = width;
    height_ = height;
    vf_canvas_set_size(width, height);
    return true;
  }

  bool CreatePrimary(int backBuffers) override {
    if (backBuffers == 0) return false;  // the canvas is the visible surface
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    return true;
  }

  bool GetBackBuffer() override { return !pixels_.empty(); }

  bool GetPixelFormat(DisplayPixelFormat* format) override {
    // Bytes red, green, blue, alpha: as a little-endian word, red is lowest.
    *format = {true, 32, 0x0000FF, 0x00FF00, 0xFF0000};
    return true;
  }

  void SetScreenSaver(bool on) override { vf_canvas_keep_awake(on ? 0 : 1); }

  void ReportOpenFailure() override {
    std::fprintf(stderr, "The page has no canvas the show can draw on.\n");
  }

  bool PeekMessage(DisplayMessage* message) override {
    if (!window_) return false;
    unsigned code = 0, wParam = 0;
    if (vf_canvas_next_event(&code, &wParam) == 0) return false;
    *message = {code, wParam, 0};
    return true;
  }

  void HideCursor() override { vf_canvas_hide_cursor(); }

  bool Lock(uint8_t** pixels, int* pitch) override {
    if (pixels_.empty()) return false;
    *pixels = reinterpret_cast<uint8_t*>(pixels_.data());
    *pitch = width_ * 4;
    return true;
  }

  void Unlock(uint8_t* /*pixels*/) override {
    for (uint32_t& p : pixels_) p |= 0xFF000000u;
  }

  void Flip() override {
    vf_canvas_present(reinterpret_cast<const uint8_t*>(pixels_.data()), width_, height_);
  }

  // The browser's thread must not be held: it paces the frames itself.
  void Sleep(int /*ms*/) override {}

  void ReleasePrimary() override {
    pixels_.clear();
    pixels_.shrink_to_fit();
  }
  void RestoreMode() override {}
  void GiveBackDisplay() override {}
  void ReleaseDisplay() override {}

  void DestroyWindow() override {
    if (window_) vf_canvas_close();
    window_ = false;
  }

  void CloseLibrary() override {}

  void ExitProcess(int status) override {
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
