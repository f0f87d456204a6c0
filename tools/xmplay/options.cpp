// Parsing of xmplay's command line.
#include "options.h"
#include "player/play/rules.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// A WAV file's sizes are 32-bit: at 44,100 Hz stereo 16-bit that is about
// 6.7 hours; the timeline and real-time play are capped at a day.
constexpr double kMaxWavSeconds = 6 * 3600.0;
constexpr double kMaxSeconds = 24 * 3600.0;

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    } else if (arg == "--wav") {
      const char* v = value("--wav");
      if (v == nullptr) return false;
      options.wavPath = v;
    } else if (arg == "--timeline") {
      options.timeline = true;
    } else if (arg == "--info") {
      options.info = true;
    } else if (arg == "--effects") {
      const char* v = value("--effects");
      if (v == nullptr) return false;
      const std::string_view set = v;
      if (set == "complete") {
        options.effects = &kCompleteRules;
      } else if (set == "show") {
        options.effects = &kShowRules;
      } else {
        error = std::string("--effects is 'complete' or 'show', not '") + v + "'";
        return false;
      }
    } else if (arg == "--seconds") {
      const char* v = value("--seconds");
      if (v == nullptr) return false;
      char* end = nullptr;
      options.seconds = std::strtod(v, &end);
      if (end == v || *end != '\0' || !(options.seconds > 0.0) || options.seconds > kMaxSeconds) {
        error = std::string("--seconds needs a positive number of seconds, not '") + v + "'";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      error = "more than one file given";
      return false;
    }
  }
  if (options.file.empty()) {
    error = "no XM file given";
    return false;
  }
  if (!options.wavPath.empty() && options.timeline) {
    error = "--wav and --timeline cannot be used together";
    return false;
  }
  if (options.info && (options.timeline || !options.wavPath.empty() || options.seconds > 0)) {
    error = "--info cannot be used with --wav, --timeline or --seconds";
    return false;
  }
  if (!options.wavPath.empty() && options.seconds > kMaxWavSeconds) {
    error = "--seconds is too long for a WAV file (at most 21600)";
    return false;
  }
  return true;
}

void PrintUsage(const char* program, bool full) {
  std::fprintf(full ? stdout : stderr,
               "usage: %s FILE.xm [--wav OUT.wav | --timeline | --info] [--seconds N]\n"
               "       [--effects complete|show]\n",
               program);
  if (!full) return;
  std::printf(
      "\n"
      "Plays an XM module.\n"
      "\n"
      "  (no option)      play in real time through the audio device, showing the\n"
      "                   order, row and time being heard, until the song ends or\n"
      "                   Ctrl-C; a song ends where it first comes back to a row it\n"
      "                   has played (the rows a pattern loop repeats do not count)\n"
      "  --wav OUT.wav    render offline to a 16-bit stereo 44,100 Hz WAV file\n"
      "  --timeline       print one line per tick, 'order row tick time_ms', from the\n"
      "                   sequencer's own state\n"
      "  --seconds N      stop after N seconds instead of where the song ends\n"
      "                   (without it, offline runs stop after 10 minutes at most)\n"
      "  --info           print the song's name, tracker, channels, orders, patterns,\n"
      "                   instruments, samples, frequency table and length as played\n"
      "  --effects SET    'complete' (default): every XM effect as trackers play it;\n"
      "                   'show': only the effects the show's own song uses\n"
      "  --help           show this text\n"
      "\n"
      "Exit status: 0 done, 1 the file cannot be played or written, 2 usage error.\n");
}
