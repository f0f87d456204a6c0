// Command line of veldraflimmer-render.
#pragma once
#include <string>
#include <vector>

struct RenderOptions {
  std::string out;           // --out: MP4 with sound
  std::string wav;           // --wav: the sound alone
  std::vector<int> pngAt;    // --png-at: song times (ms), ascending
  std::string pngDir = ".";  // --png-dir
  std::string pictures;      // --pictures: folder of the raw pictures ("" = working directory)
  bool events = false;       // --events: one line per fired synchronisation record
  bool null = false;         // --null: render everything, write nothing
  bool quiet = false;        // --quiet: no progress bar
  bool help = false;
  int fps = 60;
  int until = -1;  // --until: stop at the first frame whose song clock reaches this (ms)
};

// Parses argv; on a mistake returns false with a one-line reason in `error`.
bool ParseRenderOptions(int argc, char** argv, RenderOptions* options, std::string* error);

// The --help text.
const char* RenderUsage();
