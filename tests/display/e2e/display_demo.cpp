// Opens the real display (the platform's own back end) at 320×240 and presents
// a known frame until Escape or a window close ends the process through the
// display layer's shutdown sequence. Used by e2e_display.sh under Xvfb.
//
//   display_demo [--bits 32|24|16]
//
// --bits limits the screen depths the back end offers, so that the 24- and
// 16-bit fallbacks run on a real window. Exit status 1 when the display
// cannot be opened, 0 on Escape or close.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "display/display_platform.h"
#include "display/ptc.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

std::unique_ptr<DisplayPlatform> limitedPlatform;

void AfterClose() {
  std::printf("after-close step ran\n");
  std::fflush(stdout);
}

// Four quadrants (red, green / blue, white) with the weight byte set, which
// must not show, and a yellow marker pixel at (1, 1) to check the scaling.
std::vector<uint32_t> TestFrame() {
  std::vector<uint32_t> frame(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool right = x >= kWidth / 2;
      const bool bottom = y >= kHeight / 2;
      const uint32_t colour =
          bottom ? (right ? 0xFFFFFF : 0x0000FF) : (right ? 0x00FF00 : 0xFF0000);
      frame[static_cast<size_t>(y * kWidth + x)] = 0x80000000u | colour;
    }
  }
  frame[kWidth + 1] = 0x80FFFF00u;
  return frame;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--bits") == 0) {
    limitedPlatform = CreatePlatformDisplay(std::atoi(argv[2]));
    ptc_use_platform(limitedPlatform.get());
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: display_demo [--bits 32|24|16]\n");
    return 2;
  }
  ptc_set_shutdown(AfterClose);
  if (!ptc_open("VELDRAFLIMMER", kWidth, kHeight)) return 1;
  std::vector<uint32_t> frame = TestFrame();
  for (;;) {
    ptc_update(frame.data());
    // Xvfb has no vertical retrace to wait for: keep the loop from spinning.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
