// The Linux display back end on SDL2: a borderless full-screen-desktop window
// showing the frame scaled by whole multiples with nearest-neighbour sampling,
// centred on black. A streaming texture of the frame's size is the back
// buffer; presenting is the flip, paced to the display's refresh rate. Focus, visibility and
// minimising become activation; Escape and the window's close button the two ending events. The
// only file of the display layer that includes SDL.
//
// SDL has no exclusive screen and no screen modes of the window's own: the
// screen taken here is the window's renderer, the screen mode is the frame
// texture (its pixel format is the screen format) and the flip chain is the
// renderer's scaling to whole multiples of the frame.
#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display_platform.h"

namespace {

// True when a window manager announces itself on the X display (the EWMH
// check window on the root). Only a window manager acts on a full-screen
// request.
bool WindowManagerRunning() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  bool found = false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
      found = count == 1;
      XFree(data);
    }
  }
  XCloseDisplay(display);
  return found;
}

// Texture formats tried for 32, 24 and 16 bits per pixel. The masks the
// converter chooser sees are read back from SDL, so byte order is SDL's word.
Uint32 TextureFormatFor(int bits) {
  switch (bits) {
    case 32:
      return SDL_PIXELFORMAT_RGB888;
    case 24:
      return SDL_PIXELFORMAT_RGB24;
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    default:
      return SDL_PIXELFORMAT_UNKNOWN;
  }
}

class SdlDisplay : public DisplayPlatform {
 public:
  explicit SdlDisplay(int deepestBits) : deepestBits_(deepestBits) {}
  ~SdlDisplay() override {
    if (videoUp_) {
      ReleaseFlipChain();
      RestoreScreenMode();
      GiveBackScreen();
      CloseWindow();
      UnloadBackEnd();
    }
  }

  bool LoadBackEnd() override {
    error_.clear();
    // Without these, SDL would fall back to its invisible off-screen driver
    // when there is no display (the show would run unseen and end with 0),
    // switch the screen saver off on its own, and turn Ctrl+C into a close
    // request. Wayland is only tried where a compositor is announced: probing
    // for one elsewhere prints complaints of its own on stderr. The
    // SDL_VIDEODRIVER environment variable still overrides the driver choice.
    const bool wayland = std::getenv("WAYLAND_DISPLAY") != nullptr;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, wayland ? "x11,wayland" : "x11");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL's software renderer by default: scaling a 320x240 frame costs well
    // under a millisecond, while an OpenGL renderer loads a driver that, on
    // machines without a GPU (or under Xvfb), is a software rasteriser of
    // tens of megabytes that takes several hundred milliseconds to start. The
    // SDL_RENDER_DRIVER environment variable still picks another renderer.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      Failed();
      if (!wayland && !std::getenv("DISPLAY")) error_ += " (DISPLAY is not set)";
      return false;
    }
    videoUp_ = true;
    return true;
  }

  bool OpenDevice() override {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return Failed();
    desktopWidth_ = desktop.w;
    desktopHeight_ = desktop.h;
    return true;
  }

  bool OpenWindow(const char* title) override {
    // Created at the desktop's size: a smaller full-screen-desktop window is
    // not enlarged when no window manager runs, and the picture is clipped.
    // Without a window manager the full-screen request is also left out: no
    // one would act on it, SDL would wait 100 ms for a change that never
    // comes, and a borderless window of the desktop's size already covers it.
    Uint32 flags = SDL_WINDOW_BORDERLESS;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0 || WindowManagerRunning()) {
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, desktopWidth_,
                               desktopHeight_, flags);
    if (!window_) return Failed();
    cursorPending_ = true;
    return true;
  }

  bool TakeScreen() override {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) return Failed();
    SDL_DisplayMode mode;
    const int hz = SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0
                       ? mode.refresh_rate
                       : 60;
    framePeriod_ = SDL_GetPerformanceFrequency() / static_cast<Uint64>(hz);
    nextFrame_ = 0;
    return true;
  }

  bool SetScreenMode(int width, int height, int bits) override {
    const Uint32 format = TextureFormatFor(bits);
    if (bits > deepestBits_ || format == SDL_PIXELFORMAT_UNKNOWN) {
      error_ = "no screen mode of " + std::to_string(bits) + " bits";
      return false;
    }
    RestoreScreenMode();
    texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture_) return Failed();
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    width_ = width;
    height_ = height;
    return true;
  }

  bool CreateFlipChain(int backBuffers) override {
    chain_ = backBuffers > 0;
    if (!chain_) return true;
    if (SDL_RenderSetLogicalSize(renderer_, width_, height_) != 0 ||
        SDL_RenderSetIntegerScale(renderer_, SDL_TRUE) != 0) {
      chain_ = false;
      return Failed();
    }
    return true;
  }

  bool FindBackBuffer() override {
    if (chain_ && texture_) return true;
    error_ = "no back buffer";
    return false;
  }

  bool ReadScreenFormat(DisplayPixelFormat* format) override {
    Uint32 f = 0;
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (SDL_QueryTexture(texture_, &f, nullptr, nullptr, nullptr) != 0 ||
        !SDL_PixelFormatEnumToMasks(f, &bpp, &r, &g, &b, &a)) {
      return Failed();
    }
    format->rgb = !SDL_ISPIXELFORMAT_INDEXED(f) && !SDL_ISPIXELFORMAT_FOURCC(f);
    format->bits = bpp;
    format->r = r;
    format->g = g;
    format->b = b;
    return true;
  }

  void AllowScreenSaver(bool allow) override {
    // The switch lives in the video subsystem; UnloadBackEnd hands it back
    // before quitting, so there is nothing left to do once video is down.
    if (!videoUp_) return;
    if (allow) {
      SDL_EnableScreenSaver();
    } else {
      SDL_DisableScreenSaver();
    }
  }

  void ReportOpenFailure() override {
    std::fprintf(stderr, "veldraflimmer: cannot open the display: %s\n",
                 error_.empty() ? "unsupported frame size or screen format" : error_.c_str());
  }

  bool NextEvent(DisplayEvent* event) override {
    // Hidden from the start: a window opened under the pointer may see no enter event.
    if (cursorPending_) {
      cursorPending_ = false;
      *event = DisplayEvent::kPointerEnter;
      return true;
    }
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent)) {
      if (Translate(sdlEvent, event)) return true;
    }
    return false;
  }

  void HideCursor() override { SDL_ShowCursor(SDL_DISABLE); }

  bool LockBackBuffer(uint8_t** pixels, int* pitch) override {
    void* p = nullptr;
    if (!texture_ || SDL_LockTexture(texture_, nullptr, &p, pitch) != 0) return false;
    *pixels = static_cast<uint8_t*>(p);
    return true;
  }

  void UnlockBackBuffer(uint8_t* /*pixels*/) override { SDL_UnlockTexture(texture_); }

  void Flip() override {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    WaitForNextRefresh();
  }

  void Sleep(int ms) override { SDL_Delay(static_cast<Uint32>(ms)); }

  void ReleaseFlipChain() override { chain_ = false; }

  void RestoreScreenMode() override {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
  }

  void GiveBackScreen() override {
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }

  void CloseWindow() override {
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    cursorPending_ = false;
  }

  void UnloadBackEnd() override {
    if (!videoUp_) return;
    if (!SDL_IsScreenSaverEnabled()) SDL_EnableScreenSaver();
    SDL_ShowCursor(SDL_ENABLE);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoUp_ = false;
  }

 private:
  bool Failed() {
    error_ = SDL_GetError();
    return false;
  }

  // Maps an SDL event to the show's; false for events the show ignores.
  static bool Translate(const SDL_Event& sdlEvent, DisplayEvent* event) {
    switch (sdlEvent.type) {
      case SDL_QUIT:
        *event = DisplayEvent::kClose;
        return true;
      case SDL_KEYDOWN:
        *event = sdlEvent.key.keysym.sym == SDLK_ESCAPE ? DisplayEvent::kEscapeKey
                                                        : DisplayEvent::kOtherKey;
        return true;
      case SDL_WINDOWEVENT:
        switch (sdlEvent.window.event) {
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            *event = DisplayEvent::kActivate;
            return true;
          case SDL_WINDOWEVENT_HIDDEN:
          case SDL_WINDOWEVENT_MINIMIZED:
          case SDL_WINDOWEVENT_FOCUS_LOST:
            *event = DisplayEvent::kDeactivate;
            return true;
          case SDL_WINDOWEVENT_ENTER:
            *event = DisplayEvent::kPointerEnter;
            return true;
          case SDL_WINDOWEVENT_CLOSE:
            *event = DisplayEvent::kClose;
            return true;
          default:
            return false;
        }
      default:
        return false;
    }
  }

  // The show's loop runs as fast as presentation allows, and a present that
  // does not wait for the vertical blank (the software renderer claims vsync
  // but does not wait on X11) would let it spin. Each flip is held to one
  // refresh period; a present that did wait leaves nothing to wait for here.
  // After a stall the schedule restarts from now rather than racing to catch up.
  void WaitForNextRefresh() {
    const Uint64 now = SDL_GetPerformanceCounter();
    if (nextFrame_ == 0 || now > nextFrame_ + framePeriod_) nextFrame_ = now;
    nextFrame_ += framePeriod_;
    if (now < nextFrame_) {
      const Uint64 ms = (nextFrame_ - now) * 1000 / SDL_GetPerformanceFrequency();
      if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
    }
  }

  int deepestBits_;
  bool videoUp_ = false;
  bool chain_ = false;
  bool cursorPending_ = false;
  int desktopWidth_ = 0, desktopHeight_ = 0;
  int width_ = 0, height_ = 0;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Uint64 framePeriod_ = 0;  // performance-counter ticks per refresh
  Uint64 nextFrame_ = 0;    // when the next flip may return; 0 before the first
  std::string error_;
};

}  // namespace

std::unique_ptr<DisplayPlatform> CreatePlatformDisplay(int deepestBits) {
  return std::make_unique<SdlDisplay>(deepestBits);
}
