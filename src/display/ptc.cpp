// The display layer's portable logic: the order of attempts and fallbacks when
// opening, the row-by-row conversion into the locked back buffer, the activity
// gating, the handling of the window's events and the shutdown order. Every
// platform step goes through the DisplayPlatform in use.
#include "ptc.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "convert.h"
#include "display_platform.h"

namespace {

// Frames larger than this in either direction are refused by ptc_open, so that
// a row's byte count always fits an int.
constexpr int kMaxSide = 16384;

DisplayPlatform* platform = nullptr;             // the back end in use
DisplayPlatform* installedPlatform = nullptr;    // set by ptc_use_platform
std::unique_ptr<DisplayPlatform> ownedPlatform;  // the platform's own, made once
void (*afterCloseStep)() = nullptr;

// What ptc_open has acquired so far; ptc_close releases exactly these.
bool library = false;     // the presentation back end
bool lpDD = false;        // the display device
bool wnd = false;         // the window
bool lpDDS = false;       // the visible surface with its flip chain
bool lpDDS_back = false;  // the chain's back buffer (released with lpDDS)
bool saverOff = false;    // the screen saver was switched off by ptc_open

int active = 0;                   // nonzero while the show is the active application
int dx = 0;                       // frame width in pixels
int dy = 0;                       // frame height in pixels
ptc_converter convert = nullptr;  // set once ptc_open succeeds
int bytesPerPixel = 0;            // of the screen format `convert` writes

DisplayPlatform* Platform() {
  if (installedPlatform) return installedPlatform;
  if (!ownedPlatform) ownedPlatform = CreatePlatformDisplay();
  return ownedPlatform.get();
}

int FailOpen() {
  ptc_close();
  platform->ReportOpenFailure();
  return 0;
}

// Escape or close: the display goes first, then the show's music, then the
// process. A platform that returns from EndProcess (tests) finds the display
// closed, so ptc_update draws nothing more.
void Shutdown() {
  DisplayPlatform* p = platform;
  ptc_close();
  if (afterCloseStep) afterCloseStep();
  if (p) {
    p->EndProcess(0);
  } else {
    std::exit(0);
  }
}

// The show's answer to each event, whether the back end delivers it or the
// window procedure translates it from a window message.
void Handle(DisplayEvent event) {
  if (event == DisplayEvent::kActivate || event == DisplayEvent::kDeactivate) {
    active = event == DisplayEvent::kActivate;
  } else if (event == DisplayEvent::kClose || event == DisplayEvent::kEscapeKey) {
    Shutdown();
  } else if (event == DisplayEvent::kPointerEnter && platform) {
    platform->HideCursor();
  }  // other keys are swallowed
}

}  // namespace

int ptc_open(const char* title, int width, int height) {
  ptc_close();
  dx = width;
  dy = height;
  platform = Platform();
  if (!title || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return FailOpen();
  }

  if (!platform->LoadBackEnd()) return FailOpen();
  library = true;
  if (!platform->OpenDevice()) return FailOpen();
  lpDD = true;
  if (!platform->OpenWindow(title)) return FailOpen();
  wnd = true;
  if (!platform->TakeScreen()) return FailOpen();

  // 15 bits is never asked for: a 16-bit mode may still turn out to be 5-5-5.
  if (!platform->SetScreenMode(dx, dy, 32) && !platform->SetScreenMode(dx, dy, 24) &&
      !platform->SetScreenMode(dx, dy, 16)) {
    return FailOpen();
  }

  // Two back buffers, then one, then a lone visible surface. The last one has
  // no chain, so the back-buffer request below fails after it.
  if (!platform->CreateFlipChain(2) && !platform->CreateFlipChain(1) &&
      !platform->CreateFlipChain(0)) {
    return FailOpen();
  }
  lpDDS = true;
  if (!platform->FindBackBuffer()) return FailOpen();
  lpDDS_back = true;

  DisplayPixelFormat format;
  if (!platform->ReadScreenFormat(&format) || !format.rgb) return FailOpen();
  convert = ptc_request_converter(format.bits, format.r, format.g, format.b);
  if (!convert) return FailOpen();
  bytesPerPixel = format.bits / 8;

  platform->AllowScreenSaver(false);
  saverOff = true;
  return 1;
}

int ptc_update(void* buffer) {
  if (!convert) return 0;

  // An event may run the shutdown sequence, which closes the display; nothing
  // of it may be touched after that.
  DisplayEvent event;
  while (convert && platform->NextEvent(&event)) Handle(event);
  if (!convert) return 0;

  if (!active) {
    platform->Sleep(1);
    return 1;
  }
  if (!buffer) return 0;

  platform->RestoreSurfaces();
  uint8_t* pixels = nullptr;
  int pitch = 0;
  if (!platform->LockBackBuffer(&pixels, &pitch)) return 0;
  if (pitch < dx * bytesPerPixel) {
    platform->UnlockBackBuffer(pixels);
    return 0;
  }

  // The destination advances by the reported pitch, which may exceed the row's
  // width: the padding at each row's end is never written.
  const auto* src = static_cast<const uint8_t*>(buffer);
  uint8_t* dst = pixels;
  for (int y = 0; y < dy; ++y, src += static_cast<size_t>(dx) * 4, dst += pitch) {
    convert(src, dst, dx);
  }
  platform->UnlockBackBuffer(pixels);
  platform->Flip();
  platform->Sleep(0);
  return 1;
}

void ptc_close() {
  if (!platform) return;
  if (lpDDS) {
    platform->ReleaseFlipChain();
    lpDDS = false;
    lpDDS_back = false;
  }
  if (lpDD) {
    platform->RestoreScreenMode();
    platform->GiveBackScreen();
    platform->CloseDevice();
    lpDD = false;
  }
  if (wnd) {
    platform->CloseWindow();
    wnd = false;
  }
  if (library) {
    platform->UnloadBackEnd();
    library = false;
  }
  if (saverOff) {
    platform->AllowScreenSaver(true);
    saverOff = false;
  }
  active = 0;
  convert = nullptr;
  bytesPerPixel = 0;
}

void ptc_set_shutdown(void (*afterClose)()) {
  afterCloseStep = afterClose;
}

void ptc_use_platform(DisplayPlatform* p) {
  ptc_close();
  installedPlatform = p;
  platform = nullptr;
}

// Windows' message numbers, and VK_ESCAPE (0x1B) in the low byte of a key.
long WndProc(unsigned message, unsigned wParam, long /*lParam*/) {
  if (message == 0x1C) {  // WM_ACTIVATEAPP
    Handle(wParam ? DisplayEvent::kActivate : DisplayEvent::kDeactivate);
  } else if (message == 0x10) {  // WM_CLOSE
    Handle(DisplayEvent::kClose);
  } else if (message == 0x20) {  // WM_SETCURSOR
    Handle(DisplayEvent::kPointerEnter);
  } else if (message == 0x100) {  // WM_KEYDOWN
    Handle((wParam & 0xFF) == 0x1B ? DisplayEvent::kEscapeKey : DisplayEvent::kOtherKey);
  }  // any other message is left to the window's own procedure
  return 0;
}
