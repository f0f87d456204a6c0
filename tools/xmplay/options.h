// Command-line options of xmplay and their parsing.
#pragma once
#include <optional>
#include <string>

#include "player/load/song.h"
#include "player/play/rules.h"

struct Options {
  std::string file;
  std::string wavPath;    // --wav OUT.wav: offline render
  bool timeline = false;  // --timeline: one line per tick on stdout
  double seconds = 0.0;   // --seconds N: length of the run; 0 = until the song loops
  bool info = false;      // --info: describe the song and exit
  const PlayRules* effects = &kCompleteRules;  // --effects show: the show's subset
};

// Parses argv into `options`. Returns the exit status when xmplay is to end
// at once: 0 after --help or --version, 2 after a usage error (reported on
// stderr, one line, then the usage); nothing when it is to play.
std::optional<int> ParseOptions(int argc, char** argv, Options& options);
