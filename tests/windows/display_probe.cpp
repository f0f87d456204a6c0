// display_probe: opens the real display twice in a row through the display
// layer and checks what the desktop sees: while open, the screen is 320x240
// and the screen saver is off; after ptc_close, the desktop has its own size
// again and the screen saver is back on. Used by the Windows smoke test in a
// Wine virtual desktop. Prints what it saw; exit status 0 when all held, 1
// when something did not, 2 when the display could not be opened.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "display/ptc.h"

namespace {

bool ScreenSaverOn() {
  BOOL on = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
  return on != FALSE;
}

struct Size {
  int width, height;
};

Size Screen() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

int main() {
  const Size desktop = Screen();
  std::vector<uint32_t> frame(320 * 240, 0x00336699u);
  int failures = 0;
  for (int round = 1; round <= 2; ++round) {
    if (!ptc_open("VELDRAFLIMMER", 320, 240)) {
      std::printf("display_probe: round %d: the display cannot be opened\n", round);
      return 2;
    }
    for (int i = 0; i < 20; ++i) ptc_update(frame.data());
    const Size open = Screen();
    const bool saverWhileOpen = ScreenSaverOn();
    ptc_close();
    const Size closed = Screen();
    const bool saverAfter = ScreenSaverOn();
    std::printf(
        "display_probe: round %d: desktop %dx%d, open %dx%d with screen saver %s, "
        "closed %dx%d with screen saver %s\n",
        round, desktop.width, desktop.height, open.width, open.height,
        saverWhileOpen ? "on" : "off", closed.width, closed.height, saverAfter ? "on" : "off");
    const bool ok = open.width == 320 && open.height == 240 && !saverWhileOpen &&
                    closed.width == desktop.width && closed.height == desktop.height && saverAfter;
    if (!ok) ++failures;
  }
  std::puts(failures == 0 ? "display_probe: the desktop comes back as it was"
                          : "display_probe: FAILED");
  return failures == 0 ? 0 : 1;
}
