// The headless display back end: memory instead of a screen, a script instead
// of a user, and a call log instead of a picture on a monitor.
#include "display_headless.h"

#include <algorithm>

namespace {

int ModeIndex(int bits) {
  return bits == 32 ? 0 : bits == 24 ? 1 : bits == 16 ? 2 : -1;
}

}  // namespace

HeadlessDisplay::HeadlessDisplay() : failures_(static_cast<size_t>(Step::kLock) + 1, 0) {
  modeFormats_[0] = {true, 32, 0xFF0000, 0xFF00, 0xFF};
  modeFormats_[1] = {true, 24, 0xFF0000, 0xFF00, 0xFF};
  modeFormats_[2] = {true, 16, 0xF800, 0x07E0, 0x001F};
}

void HeadlessDisplay::Fail(Step step, int times) {
  failures_[static_cast<size_t>(step)] = times;
}

void HeadlessDisplay::SetFormatForMode(int modeBits, const DisplayPixelFormat& format) {
  const int i = ModeIndex(modeBits);
  if (i >= 0) modeFormats_[i] = format;
}

int HeadlessDisplay::Held() const {
  return library_ + display_ + window_ + primary_;
}

bool HeadlessDisplay::Failing(Step step, const std::string& what) {
  int& left = failures_[static_cast<size_t>(step)];
  if (left == 0) {
    log_.push_back(what);
    return false;
  }
  if (left > 0) --left;
  log_.push_back(what + " failed");
  return true;
}

void HeadlessDisplay::Release(bool* held, const char* what) {
  log_.push_back(what);
  if (!*held) ++misuses_;
  *held = false;
}

bool HeadlessDisplay::OpenLibrary() {
  if (library_) ++misuses_;
  if (Failing(Step::kOpenLibrary, "OpenLibrary")) return false;
  return library_ = true;
}

bool HeadlessDisplay::CreateDisplay() {
  if (!library_ || display_) ++misuses_;
  if (Failing(Step::kCreateDisplay, "CreateDisplay")) return false;
  return display_ = true;
}

bool HeadlessDisplay::CreateWindow(const char* title) {
  if (window_) ++misuses_;
  if (Failing(Step::kCreateWindow, std::string("CreateWindow ") + title)) return false;
  return window_ = true;
}

bool HeadlessDisplay::TakeDisplay() {
  if (!display_ || !window_) ++misuses_;
  if (Failing(Step::kTakeDisplay, "TakeDisplay")) return false;
  return exclusive_ = true;
}

bool HeadlessDisplay::SetMode(int width, int height, int bits) {
  const std::string what = "SetMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                           std::to_string(bits);
  const int i = ModeIndex(bits);
  if (!exclusive_ || i < 0) ++misuses_;
  const Step step = bits == 32 ? Step::kMode32 : bits == 24 ? Step::kMode24 : Step::kMode16;
  if (i < 0 || Failing(step, what)) return false;
  width_ = width;
  height_ = height;
  format_ = modeFormats_[i];
  return modeSet_ = true;
}

bool HeadlessDisplay::CreatePrimary(int backBuffers) {
  if (!modeSet_ || primary_) ++misuses_;
  const Step step = backBuffers >= 2   ? Step::kPrimary2
                    : backBuffers == 1 ? Step::kPrimary1
                                       : Step::kPrimary0;
  if (Failing(step, "CreatePrimary " + std::to_string(backBuffers))) return false;
  primary_ = true;
  chain_ = backBuffers > 0;
  frames_ = 0;
  if (chain_) {
    const int row = width_ * ((format_.bits + 7) / 8);
    pitch_ = requestedPitch_ > 0 ? requestedPitch_ : row;
    back_.assign(static_cast<size_t>(std::max(pitch_, row)) * height_, kUntouched);
    front_ = back_;
  }
  return true;
}

bool HeadlessDisplay::GetBackBuffer() {
  if (!primary_) ++misuses_;
  // A lone visible surface has no back buffer to hand out.
  if (Failing(Step::kBackBuffer, "GetBackBuffer") || !chain_) {
    if (!chain_) log_.back() = "GetBackBuffer failed";
    return false;
  }
  return backBuffer_ = true;
}

bool HeadlessDisplay::GetPixelFormat(DisplayPixelFormat* format) {
  if (!primary_) ++misuses_;
  if (Failing(Step::kPixelFormat, "GetPixelFormat")) return false;
  *format = format_;
  return true;
}

void HeadlessDisplay::SetScreenSaver(bool on) {
  log_.push_back(on ? "ScreenSaver on" : "ScreenSaver off");
  screenSaverOn_ = on;
}

bool HeadlessDisplay::PeekMessage(DisplayMessage* message) {
  if (!window_) ++misuses_;
  if (events_.empty()) return false;
  *message = events_.front();
  events_.pop_front();
  return true;
}

long HeadlessDisplay::DefaultMessage(const DisplayMessage& message) {
  log_.push_back("DefaultMessage " + std::to_string(message.message));
  return 0;
}

void HeadlessDisplay::HideCursor() {
  log_.push_back("HideCursor");
  cursorHidden_ = true;
}

bool HeadlessDisplay::Lock(uint8_t** pixels, int* pitch) {
  if (!backBuffer_ || locked_) ++misuses_;
  if (Failing(Step::kLock, "Lock") || !backBuffer_) return false;
  locked_ = true;
  *pixels = back_.data();
  *pitch = pitch_;
  return true;
}

void HeadlessDisplay::Unlock(uint8_t* pixels) {
  log_.push_back("Unlock");
  if (!locked_ || pixels != back_.data()) ++misuses_;
  locked_ = false;
}

void HeadlessDisplay::Flip() {
  log_.push_back("Flip");
  if (!backBuffer_ || locked_) {
    ++misuses_;
    return;
  }
  front_ = back_;
  ++frames_;
}

void HeadlessDisplay::Sleep(int ms) {
  log_.push_back("Sleep " + std::to_string(ms));
}

void HeadlessDisplay::ReleasePrimary() {
  Release(&primary_, "ReleasePrimary");
  chain_ = backBuffer_ = false;
}

void HeadlessDisplay::RestoreMode() {
  log_.push_back("RestoreMode");
  modeSet_ = false;
}

void HeadlessDisplay::GiveBackDisplay() {
  log_.push_back("GiveBackDisplay");
  exclusive_ = false;
}

void HeadlessDisplay::ReleaseDisplay() {
  Release(&display_, "ReleaseDisplay");
}

void HeadlessDisplay::DestroyWindow() {
  Release(&window_, "DestroyWindow");
}

void HeadlessDisplay::CloseLibrary() {
  Release(&library_, "CloseLibrary");
}

void HeadlessDisplay::ExitProcess(int status) {
  log_.push_back("ExitProcess " + std::to_string(status));
  exited_ = true;
  exitStatus_ = status;
}
