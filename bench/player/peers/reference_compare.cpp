// reference_compare FILE.xm...: plays each XM file to its end with this
// player (the complete rules, loaded as xmplay loads files) and with
// libopenmpt, and prints per file whether the two played the same rows and
// how closely their loudness over 50 ms windows follows each other (Pearson
// correlation), then the totals. A measuring tool: it checks nothing.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "reference_render.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reference_compare FILE.xm...\n");
    return 2;
  }
  int loaded = 0, sameRows = 0, files = 0;
  double sum = 0.0;
  std::printf("%-60s %6s %5s %8s %8s\n", "file", "loads", "rows", "envelope", "seconds");
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    reference::Rendering ours, theirs;
    std::string error;
    if (!reference::RenderWithLibopenmpt(bytes, theirs, error)) continue;  // not a module to it
    ++files;
    std::string name = argv[i];
    if (name.size() > 60) name = name.substr(name.size() - 60);
    if (!reference::RenderWithPlayer(bytes, &kCompleteRules, ours, error)) {
      std::printf("%-60s %6s\n", name.c_str(), "no");
      continue;
    }
    ++loaded;
    const bool rows = reference::RowSequence(ours) == reference::RowSequence(theirs);
    sameRows += rows;
    const double r = reference::Correlation(reference::WindowRms(ours, reference::kRate / 20),
                                            reference::WindowRms(theirs, reference::kRate / 20));
    sum += r;
    std::printf("%-60s %6s %5s %8.3f %8.1f\n", name.c_str(), "yes", rows ? "same" : "other", r,
                static_cast<double>(ours.mono.size()) / reference::kRate);
  }
  std::printf("%d files libopenmpt plays: %d load, %d play the same rows, mean envelope "
              "correlation %.3f\n",
              files, loaded, sameRows, loaded ? sum / loaded : 0.0);
  return 0;
}
