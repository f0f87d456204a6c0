// Parsing the renderer's command line.
#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {
bool ParseInt(const std::string& text, long lo, long hi, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseTimes(const std::string& list, std::vector<int>* times) {
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    int t = 0;
    if (!ParseInt(list.substr(start, comma - start), 0, 100000000, &t)) return false;
    times->push_back(t);
    start = comma + 1;
  }
  std::sort(times->begin(), times->end());
  times->erase(std::unique(times->begin(), times->end()), times->end());
  return !times->empty();
}
}  // namespace

const char* RenderUsage() {
  return "usage: veldraflimmer-render [options]\n"
         "Renders the show offline and deterministically: the display is kept in\n"
         "memory and the sound device is stepped by the video clock.\n"
         "\n"
         "  --out FILE.mp4    encode video and sound with ffmpeg (H.264 + AAC)\n"
         "  --scale N         enlarge the video N times with hard pixel edges (1 to 8,\n"
         "                    default 4: 1280x960); even N keep single-pixel colour\n"
         "  --wav FILE.wav    write the sound (16-bit stereo, 44,100 Hz)\n"
         "  --png-at T1,T2..  for each song time T (ms), write the first frame whose\n"
         "                    song clock has reached T as at-T.png (320x240)\n"
         "  --png-dir DIR     folder for the PNG files (default: the working directory)\n"
         "  --events          print each fired synchronisation record on stdout as\n"
         "                    'frame song_ms order row command' (order and row as heard)\n"
         "  --null            render the whole show and write no file (speed check)\n"
         "  --fps N           video frames per second (default 60)\n"
         "  --until T         stop after the first frame whose song clock reaches T (ms)\n"
         "  --pictures DIR    folder of the raw pictures (default: the working directory)\n"
         "  --quiet           no progress on stderr\n"
         "  --help            this text\n"
         "\n"
         "With only --png-at the rendering stops after the last picture; otherwise it\n"
         "runs to the show's own end. Running it twice gives identical files. Progress\n"
         "is a bar on a terminal and a line every tenth of the show elsewhere.\n"
         "Exit status: 0 done, 1 a failure (said in one line), 2 a usage error.\n";
}

namespace {
// The first pair of options that cannot go together, as a one-line reason;
// empty when there is none.
std::string Conflict(const RenderOptions& o, bool pngDirGiven) {
  const std::pair<bool, const char*> nullWith[] = {
      {!o.out.empty(), "--out"},  {!o.wav.empty(), "--wav"}, {!o.pngAt.empty(), "--png-at"},
      {pngDirGiven, "--png-dir"}, {o.scale != 0, "--scale"},
  };
  for (const auto& [given, name] : nullWith) {
    if (o.null && given) return std::string("--null writes no file: it cannot go with ") + name;
  }
  if (o.scale != 0 && o.out.empty()) return "--scale sizes the video: it needs --out";
  if (pngDirGiven && o.pngAt.empty())
    return "--png-dir is the folder of --png-at: it needs --png-at";
  if (!o.out.empty() && o.out == o.wav) return "--out and --wav name the same file";
  if (o.until >= 0 && !o.pngAt.empty() && o.pngAt.back() > o.until) {
    return "--until " + std::to_string(o.until) + " stops before --png-at " +
           std::to_string(o.pngAt.back());
  }
  return "";
}
}  // namespace

bool ParseRenderOptions(int argc, char** argv, RenderOptions* o, std::string* error) {
  bool pngDirGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *into = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      o->help = true;
    } else if (arg == "--out") {
      if (!value(&o->out)) return false;
    } else if (arg == "--wav") {
      if (!value(&o->wav)) return false;
    } else if (arg == "--png-dir") {
      if (!value(&o->pngDir)) return false;
      pngDirGiven = true;
    } else if (arg == "--pictures") {
      if (!value(&o->pictures)) return false;
    } else if (arg == "--png-at") {
      if (!value(&v)) return false;
      if (!ParseTimes(v, &o->pngAt)) {
        *error = "--png-at takes song times in milliseconds, separated by commas";
        return false;
      }
    } else if (arg == "--fps") {
      if (!value(&v)) return false;
      if (!ParseInt(v, 1, 1000, &o->fps)) {
        *error = "--fps takes a whole number from 1 to 1000";
        return false;
      }
    } else if (arg == "--until") {
      if (!value(&v)) return false;
      if (!ParseInt(v, 0, 100000000, &o->until)) {
        *error = "--until takes a song time in milliseconds";
        return false;
      }
    } else if (arg == "--scale") {
      if (!value(&v)) return false;
      if (!ParseInt(v, 1, kMaxScale, &o->scale)) {
        *error = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale);
        return false;
      }
    } else if (arg == "--events") {
      o->events = true;
    } else if (arg == "--null") {
      o->null = true;
    } else if (arg == "--quiet") {
      o->quiet = true;
    } else {
      *error = "unknown option " + arg + " (see --help)";
      return false;
    }
  }
  if (o->help) return true;
  *error = Conflict(*o, pngDirGiven);
  if (!error->empty()) return false;
  if (o->out.empty() && o->wav.empty() && o->pngAt.empty() && !o->events && !o->null) {
    *error = "nothing to do: give --out, --wav, --png-at, --events or --null";
    return false;
  }
  if (!o->out.empty() && o->scale == 0) o->scale = kDefaultScale;
  if (!o->pictures.empty() && o->pictures.back() != '/') o->pictures += '/';
  return true;
}
