// Shared fixture: the display layer runs over a fresh headless back end for
// each test and is closed and detached again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_headless.h"
#include "display/ptc.h"

class HeadlessTest : public testing::Test {
 protected:
  void SetUp() override { ptc_use_platform(&screen); }
  void TearDown() override {
    ptc_close();
    ptc_use_platform(nullptr);
    ptc_set_shutdown(nullptr);
    EXPECT_EQ(screen.Misuses(), 0);
  }

  // The log lines from `first` on, or empty when it never appears.
  std::vector<std::string> LogFrom(const std::string& first) const {
    const auto& log = screen.Log();
    for (size_t i = 0; i < log.size(); ++i) {
      if (log[i] == first) return {log.begin() + static_cast<long>(i), log.end()};
    }
    return {};
  }

  HeadlessDisplay screen;
};

// Windows' numbers for the messages WndProc handles, and the Escape key's.
constexpr unsigned kWmClose = 0x10, kWmActivateApp = 0x1C, kWmSetCursor = 0x20, kWmKeyDown = 0x100,
                   kVkEscape = 0x1B;

inline const std::vector<std::string> kReleaseAll = {
    "ReleaseFlipChain", "RestoreScreenMode", "GiveBackScreen",    "CloseDevice",
    "CloseWindow",      "UnloadBackEnd",     "AllowScreenSaver 1"};
