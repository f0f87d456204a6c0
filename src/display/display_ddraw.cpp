// The Windows display back end: DirectDraw 1, loaded at run time, in exclusive
// full-screen mode with a page-flipped chain of video surfaces, and the show's
// borderless pop-up window with its window procedure. The only file of the
// display layer that includes a platform header. Also holds the WinMain entry
// that forwards to the show's main.
//
// Window messages reach the display layer's window procedure (::WndProc in
// ptc.h) straight from the registered procedure below, as Windows delivers
// them: from the message pump in NextEvent for posted ones, and from inside
// DirectDraw calls for sent ones such as the activation message. So NextEvent
// itself never returns an event. ::WndProc takes 32-bit message arguments;
// messages it does not handle never pass through it, so DefWindowProcA always
// sees their full-width arguments (lParam is a pointer for several of them on
// 64-bit Windows).
#include <windows.h>
// After windows.h, whose types it uses.
#include <ddraw.h>

#include <cstdio>

#include "display_platform.h"
#include "ptc.h"

int main();

namespace {

using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW*, IUnknown*);

// Messages the show's window procedure handles; everything else gets the
// default handling here.
bool HandledByShow(UINT message) {
  return message == WM_ACTIVATEAPP || message == WM_CLOSE || message == WM_SETCURSOR ||
         message == WM_KEYDOWN;
}

LRESULT CALLBACK ShowWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!HandledByShow(message)) return DefWindowProcA(hwnd, message, wParam, lParam);
  return ::WndProc(message, static_cast<unsigned>(wParam), static_cast<long>(lParam));
}

class DirectDrawDisplay : public DisplayPlatform {
 public:
  explicit DirectDrawDisplay(int deepestBits) : deepestBits_(deepestBits) {}

  bool LoadBackEnd() override {
    library_ = LoadLibraryA("ddraw.dll");
    return Check(library_ != nullptr, "ddraw.dll cannot be loaded");
  }

  bool OpenDevice() override {
    auto create = reinterpret_cast<DirectDrawCreateFn>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DirectDrawCreate")));
    if (!Check(create != nullptr, "ddraw.dll has no DirectDrawCreate")) return false;
    if (FAILED(create(nullptr, &lpDD_, nullptr))) {
      lpDD_ = nullptr;
      return Check(false, "DirectDrawCreate failed");
    }
    return true;
  }

  bool OpenWindow(const char* title) override {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    wc_ = WNDCLASSA{};
    wc_.style = 0;
    wc_.lpfnWndProc = ShowWindowProc;
    wc_.cbClsExtra = 0;
    wc_.cbWndExtra = 0;
    wc_.hInstance = instance;
    // The executable carries no icon resource: this yields none.
    wc_.hIcon = LoadIconA(instance, "IDI_MAIN");
    wc_.hCursor = nullptr;
    wc_.hbrBackground = nullptr;
    wc_.lpszMenuName = nullptr;
    wc_.lpszClassName = title;
    RegisterClassA(&wc_);
    wnd_ = CreateWindowExA(0, title, title, WS_POPUP | WS_SYSMENU, 0, 0, 0, 0, nullptr, nullptr,
                           nullptr, nullptr);
    // Nothing can be shown without a window: the cooperative level needs one.
    return Check(wnd_ != nullptr, "the window cannot be created");
  }

  bool TakeScreen() override {
    return Check(SUCCEEDED(lpDD_->SetCooperativeLevel(wnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)),
                 "exclusive full-screen access refused");
  }

  bool SetScreenMode(int width, int height, int bits) override {
    if (bits > deepestBits_) return Check(false, "no screen mode deep enough");
    return Check(
        SUCCEEDED(lpDD_->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                        static_cast<DWORD>(bits))),
        "no 320x240 screen mode of 32, 24 or 16 bits");
  }

  bool CreateFlipChain(int backBuffers) override {
    DDSURFACEDESC desc{};
    // The structure holds a pointer, so its size is that of this build
    // (108 bytes in a 32-bit program, more in a 64-bit one).
    desc.dwSize = sizeof(desc);
    if (backBuffers > 0) {
      desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
      desc.dwBackBufferCount = static_cast<DWORD>(backBuffers);
      desc.ddsCaps.dwCaps =
          DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY;
    } else {
      desc.dwFlags = DDSD_CAPS;
      desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
    }
    if (FAILED(lpDD_->CreateSurface(&desc, &lpDDS_, nullptr))) {
      lpDDS_ = nullptr;
      return Check(false, "the visible surface cannot be created");
    }
    return true;
  }

  bool FindBackBuffer() override {
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FAILED(lpDDS_->GetAttachedSurface(&caps, &lpDDS_back_))) {
      lpDDS_back_ = nullptr;
      return Check(false, "no flip chain with a back buffer");
    }
    return true;
  }

  bool ReadScreenFormat(DisplayPixelFormat* format) override {
    DDPIXELFORMAT pf{};
    pf.dwSize = sizeof(pf);
    if (FAILED(lpDDS_->GetPixelFormat(&pf))) return Check(false, "the screen format is unknown");
    format->rgb = (pf.dwFlags & DDPF_RGB) != 0;
    format->bits = static_cast<int>(pf.dwRGBBitCount);
    format->r = pf.dwRBitMask;
    format->g = pf.dwGBitMask;
    format->b = pf.dwBBitMask;
    error_ = "the screen format has no converter";
    return true;
  }

  void AllowScreenSaver(bool allow) override {
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, allow ? TRUE : FALSE, nullptr, 0);
  }

  // A program of the window subsystem has no console; the line reaches
  // whoever redirected the error output (the tests, a terminal under Wine).
  void ReportOpenFailure() override {
    std::fprintf(stderr, "veldraflimmer: cannot open the display: %s\n", error_);
    std::fflush(stderr);
  }

  // Pumps the window's messages through the registered window procedure.
  bool NextEvent(DisplayEvent* /*event*/) override {
    MSG msg;
    while (wnd_ != nullptr && PeekMessageA(&msg, wnd_, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return false;
  }

  void HideCursor() override { SetCursor(nullptr); }

  void RestoreSurfaces() override {
    if (lpDDS_) lpDDS_->Restore();
  }

  bool LockBackBuffer(uint8_t** pixels, int* pitch) override {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (FAILED(lpDDS_back_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return false;
    *pixels = static_cast<uint8_t*>(desc.lpSurface);
    *pitch = static_cast<int>(desc.lPitch);
    return true;
  }

  void UnlockBackBuffer(uint8_t* pixels) override { lpDDS_back_->Unlock(pixels); }

  void Flip() override { lpDDS_->Flip(nullptr, DDFLIP_WAIT); }

  void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }

  // The back buffer belongs to the chain and goes with it.
  void ReleaseFlipChain() override {
    if (lpDDS_) lpDDS_->Release();
    lpDDS_ = nullptr;
    lpDDS_back_ = nullptr;
  }

  void RestoreScreenMode() override {
    if (lpDD_) lpDD_->RestoreDisplayMode();
  }

  void GiveBackScreen() override {
    if (lpDD_) lpDD_->SetCooperativeLevel(wnd_, DDSCL_NORMAL);
  }

  void CloseDevice() override {
    if (lpDD_) lpDD_->Release();
    lpDD_ = nullptr;
  }

  void CloseWindow() override {
    // Cleared first: destroying the window sends it messages of its own.
    HWND wnd = wnd_;
    wnd_ = nullptr;
    if (wnd) ::DestroyWindow(wnd);
  }

  void UnloadBackEnd() override {
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
  }

  void EndProcess(int status) override { ::ExitProcess(static_cast<UINT>(status)); }

 private:
  bool Check(bool ok, const char* why) {
    if (!ok) error_ = why;
    return ok;
  }

  int deepestBits_;
  HMODULE library_ = nullptr;
  LPDIRECTDRAW lpDD_ = nullptr;
  LPDIRECTDRAWSURFACE lpDDS_ = nullptr;
  LPDIRECTDRAWSURFACE lpDDS_back_ = nullptr;
  WNDCLASSA wc_{};
  HWND wnd_ = nullptr;
  const char* error_ = "unsupported frame size";
};

}  // namespace

std::unique_ptr<DisplayPlatform> CreatePlatformDisplay(int deepestBits) {
  return std::make_unique<DirectDrawDisplay>(deepestBits);
}

// The Windows entry of a program of the window subsystem: its four arguments
// are not used. The process entry itself (WinMainCRTStartup) is the runtime
// library's: it constructs the show's global surfaces and then calls main. A
// second definition here would clash with it, or, taken as the entry, skip
// that construction; so only this forwarding entry is defined, for a start-up
// that looks for WinMain.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return main();
}
