// Song-end detection as trackers' players do it: a song ends the first time
// playback starts a row it has already played, except when a pattern loop
// (E6x) takes it back, whose rows may play again. Works with both effect sets
// (the show's set has no pattern loop).
//
// Contract: one SongEndWatch per playback, owned by the caller and fed by the
// thread that runs the song's ticks: Starting(song) before every tick
// operation, then Ended(song) after it. No global state.
#pragma once
#include <bitset>

#include "player/load/song.h"

// True when the next tick operation starts a row: the first tick of a row
// that a pattern delay is not playing again.
bool FMUSIC_TickStartsRow(const Song* song);

class SongEndWatch {
 public:
  // Call before each tick operation.
  void Starting(const Song& song) { rowStart_ = FMUSIC_TickStartsRow(&song); }
  // Call after it: true when that tick started a row already played, which
  // is where the song ends (the tick belongs to the song's next round).
  bool Ended(const Song& song);

 private:
  static constexpr int kRows = 256;
  std::bitset<256 * kRows> played_;
  bool rowStart_ = false;
  bool loopBack_ = false;  // the row just played ends with a pattern loop jump
  int loopOrder_ = 0, loopRow_ = 0;
};
