// show-startup: runs the show's own start-up on the real display and prints
// the time from process start to each step and to the first presented frame,
// then ends as the show does. The process start comes from the kernel's
// record of it (clock ticks since boot, usually 10 ms), so the figures carry
// that granularity; the steps after main are measured exactly.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ptc.h"
#include "show.h"
#include "show_state.h"

namespace {
double BootMs() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Field 22 of /proc/self/stat: start time in clock ticks after boot.
double ProcessStartMs() {
  std::ifstream in("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream rest(all.substr(all.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) rest >> field;
  return std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}
}  // namespace

int main() {
  const double start = ProcessStartMs();
  const double atMain = BootMs();
  if (ptc_open("VELDRAFLIMMER", 320, 240) == 0) return 1;
  const double opened = BootMs();
  Show show;
  show.Start();
  const double started = BootMs();
  show.Frame();
  const double presented = BootMs();
  std::printf("process start -> main:            %7.1f ms\n", atMain - start);
  std::printf("process start -> display open:    %7.1f ms\n", opened - start);
  std::printf("process start -> music playing:   %7.1f ms\n", started - start);
  std::printf("process start -> first frame:     %7.1f ms\n", presented - start);
  std::printf("  (main -> first frame:           %7.2f ms)\n", presented - atMain);
  show.Finish();
  return 0;
}
