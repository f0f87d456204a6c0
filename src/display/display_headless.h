// A display back end without a screen: the "screen" is memory. It presents
// into a buffer of any of the eight pixel formats with any row pitch, takes
// window events from a script, can be told to fail at every step that can
// fail, and logs every step by name, in order. Tests install it with
// ptc_use_platform; an offline renderer reads the last flipped frame with
// Presented(). Used from one thread; the owner keeps it alive while installed.
//
// Buffers: the back buffer is Height() rows of Pitch() bytes, made when the
// flip chain is created and filled with kUntouched so that bytes the display
// layer never writes stay recognisable; Flip copies it whole to the front
// buffer that Presented() returns.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "display_platform.h"

class HeadlessDisplay : public DisplayPlatform {
 public:
  // Steps that can be made to fail.
  enum class Step {
    kLoadBackEnd,
    kOpenDevice,
    kOpenWindow,
    kTakeScreen,
    kMode32,
    kMode24,
    kMode16,
    kChain2,  // chain with two back buffers
    kChain1,  // chain with one back buffer
    kChain0,  // lone visible surface
    kBackBuffer,
    kScreenFormat,
    kLock,
  };
  static constexpr uint8_t kUntouched = 0xA5;

  HeadlessDisplay();

  // --- set-up by the owner.
  // Makes `step` fail its next `times` attempts (-1: every attempt).
  void Fail(Step step, int times = -1);
  // The pixel format reported after a mode of `modeBits` (32, 24 or 16) is set.
  // Defaults: 32 and 24 with red in 0xFF0000 and blue in 0xFF, 16 as 5-6-5.
  void SetFormatForMode(int modeBits, const DisplayPixelFormat& format);
  // Row pitch of the back buffer in bytes; 0 (the default) packs rows tightly.
  // A pitch smaller than a row is reported as it is (a broken platform, which
  // the display layer must refuse to write through); the memory behind it
  // still holds whole rows.
  void SetPitch(int pitch) { requestedPitch_ = pitch; }
  // Scripted window events, handed out in order by NextEvent.
  void Post(DisplayEvent event) { events_.push_back(event); }
  void PostActivate(bool on) { Post(on ? DisplayEvent::kActivate : DisplayEvent::kDeactivate); }
  // Adds a line of the owner's own to the call log (to check interleaving).
  void Note(const std::string& line) { log_.push_back(line); }

  // --- what happened.
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // The last flipped frame (Height() rows of Pitch() bytes in Format()), or
  // null before the first flip. It stays readable after the display closes.
  const uint8_t* Presented() const { return frames_ ? front_.data() : nullptr; }
  int Pitch() const { return pitch_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  const DisplayPixelFormat& Format() const { return format_; }
  int Frames() const { return frames_; }
  // The back buffer, to look at bytes between flips.
  const uint8_t* Back() const { return back_.empty() ? nullptr : back_.data(); }
  bool Exited() const { return exited_; }
  int ExitStatus() const { return exitStatus_; }
  bool ScreenSaverOn() const { return screenSaverOn_; }
  bool CursorHidden() const { return cursorHidden_; }
  // Things acquired and not yet released (back end, device, window, visible
  // surface). 0 when everything has been given back.
  int Held() const;
  // Releases of things that were not held, and unlocks without a lock: the
  // display layer must never do either.
  int Misuses() const { return misuses_; }

  // --- DisplayPlatform.
  bool LoadBackEnd() override;
  bool OpenDevice() override;
  bool OpenWindow(const char* title) override;
  bool TakeScreen() override;
  bool SetScreenMode(int width, int height, int bits) override;
  bool CreateFlipChain(int backBuffers) override;
  bool FindBackBuffer() override;
  bool ReadScreenFormat(DisplayPixelFormat* format) override;
  void AllowScreenSaver(bool allow) override;
  void ReportOpenFailure() override { log_.push_back("ReportOpenFailure"); }
  bool NextEvent(DisplayEvent* event) override;
  void HideCursor() override;
  void RestoreSurfaces() override { log_.push_back("RestoreSurfaces"); }
  bool LockBackBuffer(uint8_t** pixels, int* pitch) override;
  void UnlockBackBuffer(uint8_t* pixels) override;
  void Flip() override;
  void Sleep(int ms) override;
  void ReleaseFlipChain() override;
  void RestoreScreenMode() override;
  void GiveBackScreen() override;
  void CloseDevice() override;
  void CloseWindow() override;
  void UnloadBackEnd() override;
  void EndProcess(int status) override;

 private:
  // Logs `what`; true when the step is to fail this time (logged as such).
  bool Failing(Step step, const std::string& what);
  void Release(bool* held, const char* what);

  std::vector<int> failures_;          // remaining failures per Step (-1: always)
  DisplayPixelFormat modeFormats_[3];  // for 32, 24, 16
  std::deque<DisplayEvent> events_;
  std::vector<std::string> log_;

  bool backEnd_ = false, device_ = false, window_ = false, primary_ = false;
  bool exclusive_ = false, modeSet_ = false, chain_ = false, backBuffer_ = false;
  bool locked_ = false;
  bool screenSaverOn_ = true, cursorHidden_ = false, exited_ = false;
  int exitStatus_ = -1;
  int misuses_ = 0;
  int requestedPitch_ = 0;
  int width_ = 0, height_ = 0, pitch_ = 0, frames_ = 0;
  DisplayPixelFormat format_;
  std::vector<uint8_t> back_, front_;
};
