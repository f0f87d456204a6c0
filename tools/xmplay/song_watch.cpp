// The tick wrapper of xmplay.
#include "song_watch.h"

#include "player/load/song.h"
#include "player/play/sequencer.h"

namespace {

SongWatch* g_watch = nullptr;

void WatchedTick(Song* song) {
  SongWatch& w = *g_watch;
  const int tick = song->tick;
  w.end.Starting(*song);
  FMUSIC_UpdateXM(song);
  const bool ended = w.loopFrame.load(std::memory_order_relaxed) >= 0;
  if (w.end.Ended(*song) && !ended) {
    w.loopTime.store(song->time, std::memory_order_relaxed);
    w.loopFrame.store(w.tickFrame, std::memory_order_release);
  }
  const bool stopped = w.stopAtLoop && w.loopFrame.load(std::memory_order_relaxed) >= 0;
  if (w.timeline != nullptr && !stopped && w.tickFrame < w.limitFrames) {
    std::fprintf(w.timeline, "%d %d %d %d\n", song->order, song->row, tick, song->time);
  }
  w.tickFrame += song->samplesPerTick;
}

}  // namespace

void WatchSong(Song* song, SongWatch* watch) {
  g_watch = watch;
  song->tickOperation = &WatchedTick;
}
