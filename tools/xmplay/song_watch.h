// Watches a playing song tick by tick: wraps its tick operation to note where
// each tick starts (in output frames), to find the tick where the song ends
// (the first return to a row already played, outside a pattern loop), and to
// print the timeline. The wrapped operation runs wherever
// the player runs ticks (the mixing thread in real time).
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "player/play/song_end.h"

struct Song;

struct SongWatch {
  // Timeline lines go here when not null, for ticks starting before `limitFrames`.
  FILE* timeline = nullptr;
  int64_t limitFrames = INT64_MAX;
  // Whether the run ends where the song first loops back (no --seconds).
  bool stopAtLoop = true;
  // Set once, by the tick where the song ends (its first return to a row it
  // has played): that tick's first frame and the song time at its start
  // (milliseconds).
  std::atomic<int64_t> loopFrame{-1};
  std::atomic<int> loopTime{-1};

  // Internal state of the tick wrapper.
  int64_t tickFrame = 0;
  SongEndWatch end;
};

// Makes `song` report its ticks to `watch` (one song at a time).
void WatchSong(Song* song, SongWatch* watch);
