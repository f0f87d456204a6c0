// Test support: loading the show's song from veldraflimmer.xm (real file,
// real seeks) and from the embedded stream (memory, seeks ignored).
//
// Contract: the loaders install process-wide file callbacks, so tests using
// them run on one thread, one load at a time. Songs are released by
// SongPtr's deleter (FMUSIC_FreeSong).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "player/load/song.h"
#include "player/output/output.h"

struct SongDeleter {
  void operator()(Song* song) const { FMUSIC_FreeSong(song); }
};
using SongPtr = std::unique_ptr<Song, SongDeleter>;

// veldraflimmer.xm in the working directory (the binary directory).
constexpr const char* kSongFile = "veldraflimmer.xm";

SongPtr LoadSongFile(const std::string& path);

// What the memory load read and asked.
struct StreamUse {
  long long bytesRead = 0;
  int tellCalls = 0;
  int seekCalls = 0;
  std::vector<long long> tellPositions;  // stream position at each tell call
};
// Loads musData through the show's own memory file (demo/music.h): sequential
// reads, seeks that do nothing, tell answered from musTell.
SongPtr LoadEmbeddedSong(StreamUse* use);
