// The platform operations the display layer (ptc.cpp) needs, as one small
// abstract class. The portable logic in ptc.cpp decides the order of attempts,
// the fallbacks, the activity gating, the key handling and the shutdown order;
// a back end only performs single steps and reports whether each worked.
//
// Back ends: display_sdl.cpp (the real window on Linux, made by
// CreatePlatformDisplay; display_web.cpp in the browser) and
// display_headless.h (presentation into memory, scripted events, failure
// injection). All calls come from the show's main
// thread, from inside ptc_open, ptc_update and ptc_close.
#pragma once

#include <cstdint>
#include <memory>

// Window messages delivered by PeekMessage to the window procedure (WndProc).
constexpr unsigned kMsgClose = 0x10;        // the window is asked to close
constexpr unsigned kMsgActivateApp = 0x1C;  // wParam nonzero: the show is the active application
constexpr unsigned kMsgSetCursor = 0x20;    // the pointer is over the window
constexpr unsigned kMsgKeyDown = 0x100;     // wParam: key code in its low byte
constexpr unsigned kKeyEscape = 0x1B;

struct DisplayMessage {
  unsigned message = 0;
  unsigned wParam = 0;
  long lParam = 0;
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
  virtual bool OpenLibrary() = 0;
  // Creates the display object for the default device.
  virtual bool CreateDisplay() = 0;
  // Creates the borderless window titled `title` that receives key, close and
  // activation events.
  virtual bool CreateWindow(const char* title) = 0;
  // Takes exclusive full-screen ownership of the display for the window.
  virtual bool TakeDisplay() = 0;
  // Switches to a `width`×`height` screen of `bits` per pixel.
  virtual bool SetMode(int width, int height, int bits) = 0;
  // Creates the visible surface with a flip chain of `backBuffers` back
  // buffers; 0 asks for a lone visible surface without any chain.
  virtual bool CreatePrimary(int backBuffers) = 0;
  // Fetches the back buffer of the flip chain; fails without a chain.
  virtual bool GetBackBuffer() = 0;
  virtual bool GetPixelFormat(DisplayPixelFormat* format) = 0;
  virtual void SetScreenSaver(bool on) = 0;
  // Called once when ptc_open fails, after it has released what it acquired:
  // the place to tell the user why the display could not be opened.
  virtual void ReportOpenFailure() {}

  // --- every frame.
  // Removes the next pending window message; false when none is left.
  virtual bool PeekMessage(DisplayMessage* message) = 0;
  // Default handling of a message the window procedure does not handle itself.
  virtual long DefaultMessage(const DisplayMessage& /*message*/) { return 0; }
  virtual void HideCursor() = 0;
  // Brings back surface memory lost to a mode switch.
  virtual void Restore() {}
  // Maps the whole back buffer: its first row and the row pitch in bytes,
  // which is at least width × bytes per pixel. Waits while it is busy.
  virtual bool Lock(uint8_t** pixels, int* pitch) = 0;
  virtual void Unlock(uint8_t* pixels) = 0;
  // Makes the back buffer visible, waiting until the flip can be queued.
  virtual void Flip() = 0;
  // Gives up the processor for `ms` milliseconds (0: just yield).
  virtual void Sleep(int ms) = 0;

  // --- closing, in the order ptc_close uses them.
  virtual void ReleasePrimary() = 0;   // the visible surface and its chain
  virtual void RestoreMode() = 0;      // the desktop's own screen mode
  virtual void GiveBackDisplay() = 0;  // ends exclusive ownership
  virtual void ReleaseDisplay() = 0;   // the display object
  virtual void DestroyWindow() = 0;
  virtual void CloseLibrary() = 0;
  // Ends the process with `status`. A back end for tests may record the call
  // and return instead; the display layer then draws nothing more.
  virtual void ExitProcess(int status) = 0;
};

// The platform's own back end (display_sdl.cpp on Linux). It offers screens
// of up to `deepestBits` per pixel (32, 24 or 16), so that the fallbacks to
// shallower screens can be tried on a real display.
std::unique_ptr<DisplayPlatform> CreatePlatformDisplay(int deepestBits = 32);
