// The tick wrapper of xmplay.
#include "song_watch.h"

#include "sequencer.h"
#include "song.h"

namespace {

SongWatch* g_watch = nullptr;

// True when the row just started takes the song back: to an earlier order
// entry (the restart after the last entry, or a jump back), or, for a song
// whose last entry is also its restart position, from that entry to its own
// row 0 again.
bool LoopsBack(const Song& song, const SongWatch& w) {
  if (w.previousOrder < 0) return false;
  if (song.order < w.previousOrder) return true;
  return song.order == w.previousOrder && song.row == 0 && w.previousRow > 0 &&
         song.order == song.songLength - 1 && song.order == song.restartPosition;
}

void WatchedTick(Song* song) {
  SongWatch& w = *g_watch;
  const int tick = song->tick;
  FMUSIC_UpdateXM(song);
  const bool looped = w.loopFrame.load(std::memory_order_relaxed) >= 0;
  if (tick == 0 && !looped) {
    if (LoopsBack(*song, w)) {
      w.loopTime.store(song->time, std::memory_order_relaxed);
      w.loopFrame.store(w.tickFrame, std::memory_order_release);
    }
    w.previousOrder = song->order;
    w.previousRow = song->row;
  }
  const bool ended = w.stopAtLoop && w.loopFrame.load(std::memory_order_relaxed) >= 0;
  if (w.timeline != nullptr && !ended && w.tickFrame < w.limitFrames) {
    std::fprintf(w.timeline, "%d %d %d %d\n", song->order, song->row, tick, song->time);
  }
  w.tickFrame += song->samplesPerTick;
}

}  // namespace

void WatchSong(Song* song, SongWatch* watch) {
  g_watch = watch;
  song->tickOperation = &WatchedTick;
}
