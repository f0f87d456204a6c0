// The platform steps of the display layer, as one small abstract class. The
// portable logic (ptc.cpp) decides the order of attempts, the fallbacks, the
// activity gating, the key handling and the shutdown order; a back end only
// performs single steps and reports whether each worked. Steps with a body
// here are those a back end may not need: it overrides only what it does.
//
// Only ptc.cpp calls the steps, all on the show's main thread:
// - ptc_open: the opening steps in the order below, up to the first failure;
//   after a failure, the release steps of ptc_close and ReportOpenFailure.
// - ptc_update: NextEvent until it returns false (HideCursor when the pointer
//   enters); then, while active, RestoreSurfaces, LockBackBuffer and, after a
//   successful lock, UnlockBackBuffer, Flip and Sleep(0); while inactive,
//   Sleep(1).
// - ptc_close: the release steps in the order below, each only for what the
//   opening steps acquired, then AllowScreenSaver(true).
// - the shutdown sequence (close or Escape): ptc_close, the show's after-close
//   step, EndProcess(0).
// On Windows the window's own procedure hands the show's messages to WndProc
// (ptc.h), also from inside any step that drives the window.
//
// Back ends: display_sdl.cpp (Linux), display_ddraw.cpp (Windows),
// display_web.cpp (the browser), each made by CreatePlatformDisplay; and
// display_headless.h (presentation into memory, scripted events, failure
// injection, a log of the steps).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

// What happens to the window, as the show sees it.
enum class DisplayEvent {
  kClose,         // the window is asked to close
  kActivate,      // the show became the active application
  kDeactivate,    // the show stopped being the active application
  kEscapeKey,     // the Escape key went down
  kOtherKey,      // any other key went down
  kPointerEnter,  // the pointer came over the window, where it is hidden
};

// The screen's pixel format as the presentation reports it.
struct DisplayPixelFormat {
  bool rgb = false;                   // an RGB format (not palettised, not YUV)
  int bits = 0;                       // bits per pixel
  unsigned long r = 0, g = 0, b = 0;  // channel masks within the pixel
};

class DisplayPlatform {
 public:
  virtual ~DisplayPlatform() = default;

  // --- opening, in the order ptc_open uses them; each returns false on failure.
  // Makes the presentation back end available.
  virtual bool LoadBackEnd() { return true; }
  // Opens the default display device.
  virtual bool OpenDevice() { return true; }
  // Creates the borderless window titled `title` that receives key, close and
  // activation events.
  virtual bool OpenWindow(const char* title) = 0;
  // Takes exclusive full-screen ownership of the screen for the window.
  virtual bool TakeScreen() { return true; }
  // Switches to a `width`×`height` screen of `bits` per pixel.
  virtual bool SetScreenMode(int width, int height, int bits) = 0;
  // Creates the visible surface with a flip chain of `backBuffers` back
  // buffers; 0 asks for a lone visible surface without any chain.
  virtual bool CreateFlipChain(int backBuffers) = 0;
  // Finds the back buffer of the flip chain; fails without a chain.
  virtual bool FindBackBuffer() = 0;
  virtual bool ReadScreenFormat(DisplayPixelFormat* format) = 0;
  // Off (false) once the display is open, on again when it closes.
  virtual void AllowScreenSaver(bool /*allow*/) {}
  // Called once when ptc_open fails, after it has released what it acquired:
  // the place to tell the user why the display could not be opened.
  virtual void ReportOpenFailure() {}

  // --- every frame, in this order.
  // Removes the next pending event; false when none is left.
  virtual bool NextEvent(DisplayEvent* /*event*/) { return false; }
  virtual void HideCursor() {}
  // Brings back surface memory lost to a mode switch.
  virtual void RestoreSurfaces() {}
  // Maps the whole back buffer: its first row and the row pitch in bytes,
  // which is at least width × bytes per pixel. Waits while it is busy.
  virtual bool LockBackBuffer(uint8_t** pixels, int* pitch) = 0;
  virtual void UnlockBackBuffer(uint8_t* pixels) = 0;
  // Makes the back buffer visible, waiting until the flip can be queued.
  virtual void Flip() = 0;
  // Gives up the processor for `ms` milliseconds (0: just yield).
  virtual void Sleep(int /*ms*/) {}

  // --- closing, in the order ptc_close uses them.
  virtual void ReleaseFlipChain() {}   // the visible surface and its chain
  virtual void RestoreScreenMode() {}  // the desktop's own screen mode
  virtual void GiveBackScreen() {}     // ends exclusive ownership
  virtual void CloseDevice() {}
  virtual void CloseWindow() {}
  virtual void UnloadBackEnd() {}
  // Ends the process with `status`. A back end for tests may record the call
  // and return instead; the display layer then draws nothing more.
  virtual void EndProcess(int status) { std::exit(status); }
};

// The platform's own back end. It offers screens of up to `deepestBits` per
// pixel (32, 24 or 16), so that the fallbacks to shallower screens can be
// tried on a real display.
std::unique_ptr<DisplayPlatform> CreatePlatformDisplay(int deepestBits = 32);
