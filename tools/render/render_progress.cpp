// Progress of the offline rendering.
#include "render_progress.h"

#include <algorithm>
#include <cstdio>

#include "demo/sync.h"
#include "player/load/song.h"
#include "player/output/output.h"

namespace {
// Rows played before order position `order`, row `row`.
long RowsBefore(const Song* song, int order, int row) {
  long rows = row;
  for (int o = 0; o < order && o < song->songLength; ++o) {
    rows += song->patterns[song->orderTable[o]].rows;
  }
  return rows;
}
}  // namespace

RenderProgress::RenderProgress(const Song* song, bool enabled, bool terminal)
    : song_(song), enabled_(enabled), terminal_(terminal) {
  if (song_ != nullptr) {
    rowsToStop_ = RowsBefore(song_, sync_data[kSyncWords - 3], sync_data[kSyncWords - 2]);
  }
}

void RenderProgress::Update(long frame) {
  if (!enabled_ || rowsToStop_ <= 0) return;
  const long done = RowsBefore(song_, FMUSIC_GetOrder(const_cast<Song*>(song_)),
                               FMUSIC_GetRow(const_cast<Song*>(song_)));
  int percent = static_cast<int>(std::clamp(done * 100 / rowsToStop_, 0L, 100L));
  if (!terminal_) percent -= percent % 10;
  if (percent != shown_) Show(frame, percent);
}

void RenderProgress::Done(long frame, bool completed) {
  if (!enabled_) return;
  if (terminal_) {
    if (completed) Show(frame, 100);
    if (shown_ >= 0) std::fputc('\n', stderr);
  }
  if (!completed) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(stderr, "%ld frames rendered in %.2f s: %.0f frames/s\n", frame, seconds,
               seconds > 0 ? frame / seconds : 0.0);
}

void RenderProgress::Show(long frame, int percent) {
  shown_ = percent;
  if (!terminal_) {
    // The start is not worth a line of its own.
    if (percent > 0) std::fprintf(stderr, "rendered %3d%%  frame %ld\n", percent, frame);
    return;
  }
  char bar[41];
  const int filled = percent * 40 / 100;
  for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
  bar[40] = '\0';
  std::fprintf(stderr, "\r[%s] %3d%%  frame %ld", bar, percent, frame);
  std::fflush(stderr);
}
