// show-measure: runs the real show on the real display and prints what it
// costs: the time from process start to the first presented frame, then, over
// the whole show (or the first N seconds given as the only argument), the
// frames per second, the processor time as a share of one core, and the
// resident memory sampled every second.
//
// The process start comes from the kernel's record of it (clock ticks since
// boot, usually 10 ms), so the start-up figures carry that granularity.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "demo/show.h"
#include "demo/show_state.h"
#include "display/ptc.h"

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

double CpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

long RssKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 1e9;
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
  std::fflush(stdout);

  const double cpu0 = CpuMs();
  long frames = 1, rssMin = RssKb(), rssMax = rssMin;
  const long rssFirst = rssMin;
  double nextSample = presented + 1000.0;
  while (running && BootMs() - presented < seconds * 1000.0) {
    show.Frame();
    ++frames;
    if (BootMs() >= nextSample) {
      const long rss = RssKb();
      rssMin = rss < rssMin ? rss : rssMin;
      rssMax = rss > rssMax ? rss : rssMax;
      nextSample += 1000.0;
    }
  }
  const double wall = BootMs() - presented;
  const double cpu = CpuMs() - cpu0;
  std::printf("frames: %ld in %.1f s = %.1f frames/s\n", frames, wall / 1000.0,
              frames * 1000.0 / wall);
  std::printf("processor time: %.1f%% of one core (all threads: show, mixing, display)\n",
              100.0 * cpu / wall);
  std::printf("resident memory: first frame %ld KB, min %ld KB, max %ld KB, end %ld KB\n", rssFirst,
              rssMin, rssMax, RssKb());
  show.Finish();
  return 0;
}
