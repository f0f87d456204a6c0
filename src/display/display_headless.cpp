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
  return backEnd_ + device_ + window_ + primary_;
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

bool HeadlessDisplay::LoadBackEnd() {
  if (backEnd_) ++misuses_;
  if (Failing(Step::kLoadBackEnd, "LoadBackEnd")) return false;
  return backEnd_ = true;
}

bool HeadlessDisplay::OpenDevice() {
  if (!backEnd_ || device_) ++misuses_;
  if (Failing(Step::kOpenDevice, "OpenDevice")) return false;
  return device_ = true;
}

bool HeadlessDisplay::OpenWindow(const char* title) {
  if (window_) ++misuses_;
  if (Failing(Step::kOpenWindow, std::string("OpenWindow ") + title)) return false;
  return window_ = true;
}

bool HeadlessDisplay::TakeScreen() {
  if (!device_ || !window_) ++misuses_;
  if (Failing(Step::kTakeScreen, "TakeScreen")) return false;
  return exclusive_ = true;
}

bool HeadlessDisplay::SetScreenMode(int width, int height, int bits) {
  const std::string what = "SetScreenMode " + std::to_string(width) + "x" + std::to_string(height) +
                           "x" + std::to_string(bits);
  const int i = ModeIndex(bits);
  if (!exclusive_ || i < 0) ++misuses_;
  const Step step = bits == 32 ? Step::kMode32 : bits == 24 ? Step::kMode24 : Step::kMode16;
  if (i < 0 || Failing(step, what)) return false;
  width_ = width;
  height_ = height;
  format_ = modeFormats_[i];
  return modeSet_ = true;
}

bool HeadlessDisplay::CreateFlipChain(int backBuffers) {
  if (!modeSet_ || primary_) ++misuses_;
  const Step step = backBuffers >= 2   ? Step::kChain2
                    : backBuffers == 1 ? Step::kChain1
                                       : Step::kChain0;
  if (Failing(step, "CreateFlipChain " + std::to_string(backBuffers))) return false;
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

bool HeadlessDisplay::FindBackBuffer() {
  if (!primary_) ++misuses_;
  // A lone visible surface has no back buffer to hand out.
  if (Failing(Step::kBackBuffer, "FindBackBuffer") || !chain_) {
    if (!chain_) log_.back() = "FindBackBuffer failed";
    return false;
  }
  return backBuffer_ = true;
}

bool HeadlessDisplay::ReadScreenFormat(DisplayPixelFormat* format) {
  if (!primary_) ++misuses_;
  if (Failing(Step::kScreenFormat, "ReadScreenFormat")) return false;
  *format = format_;
  return true;
}

void HeadlessDisplay::AllowScreenSaver(bool allow) {
  log_.push_back(allow ? "AllowScreenSaver 1" : "AllowScreenSaver 0");
  screenSaverOn_ = allow;
}

bool HeadlessDisplay::NextEvent(DisplayEvent* event) {
  if (!window_) ++misuses_;
  if (events_.empty()) return false;
  *event = events_.front();
  events_.pop_front();
  return true;
}

void HeadlessDisplay::HideCursor() {
  log_.push_back("HideCursor");
  cursorHidden_ = true;
}

bool HeadlessDisplay::LockBackBuffer(uint8_t** pixels, int* pitch) {
  if (!backBuffer_ || locked_) ++misuses_;
  if (Failing(Step::kLock, "LockBackBuffer") || !backBuffer_) return false;
  locked_ = true;
  *pixels = back_.data();
  *pitch = pitch_;
  return true;
}

void HeadlessDisplay::UnlockBackBuffer(uint8_t* pixels) {
  log_.push_back("UnlockBackBuffer");
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

void HeadlessDisplay::ReleaseFlipChain() {
  Release(&primary_, "ReleaseFlipChain");
  chain_ = backBuffer_ = false;
}

void HeadlessDisplay::RestoreScreenMode() {
  log_.push_back("RestoreScreenMode");
  modeSet_ = false;
}

void HeadlessDisplay::GiveBackScreen() {
  log_.push_back("GiveBackScreen");
  exclusive_ = false;
}

void HeadlessDisplay::CloseDevice() {
  Release(&device_, "CloseDevice");
}

void HeadlessDisplay::CloseWindow() {
  Release(&window_, "CloseWindow");
}

void HeadlessDisplay::UnloadBackEnd() {
  Release(&backEnd_, "UnloadBackEnd");
}

void HeadlessDisplay::EndProcess(int status) {
  log_.push_back("EndProcess " + std::to_string(status));
  exited_ = true;
  exitStatus_ = status;
}
