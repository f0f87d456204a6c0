// Command-line options of xmplay and their parsing.
#pragma once
#include <string>

#include "player/load/song.h"
#include "player/play/rules.h"

struct Options {
  std::string file;
  std::string wavPath;    // --wav OUT.wav: offline render
  bool timeline = false;  // --timeline: one line per tick on stdout
  double seconds = 0.0;   // --seconds N: length of the run; 0 = until the song loops
  bool help = false;
  bool info = false;                           // --info: describe the song and exit
  const PlayRules* effects = &kCompleteRules;  // --effects show: the show's subset
};

// Parses argv; false with a message in `error` for a usage error.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
void PrintUsage(const char* program, bool full);
