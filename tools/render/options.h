// Command line of veldraflimmer-render.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct RenderOptions {
  std::string out;         // --out: MP4 with sound
  std::string wav;         // --wav: the sound alone
  std::vector<int> pngAt;  // --png-at: song times (ms), ascending
  std::string pngDir;      // --png-dir ("" = working directory)
  std::string pictures;    // --pictures: folder of the raw pictures ("" = working directory)
  bool events = false;     // --events: one line per fired synchronisation record
  bool null = false;       // --null: render everything, write no file
  bool quiet = false;      // --quiet: no progress on stderr
  int fps = 60;
  int until = -1;  // --until: stop at the first frame whose song clock reaches this (ms)
  int scale = 0;   // --scale: whole-number enlargement of the video; 0 = not given
};

// The video's enlargement when --scale is not given: 1280 x 960.
constexpr int kDefaultScale = 4;
constexpr int kMaxScale = 8;

// Parses argv into `options`. Returns the exit status when the renderer is to
// end at once: 0 after --help or --version, 2 after a mistake or options that
// cannot go together (reported on stderr in one line); nothing when it is to
// render.
std::optional<int> ParseRenderOptions(int argc, char** argv, RenderOptions* options);
