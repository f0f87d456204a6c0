// Song-end detection: a set of the order entries and rows played so far.
#include "song_end.h"

bool FMUSIC_TickStartsRow(const Song* song) {
  return song->tick == 0 && !song->flow.repeatingRow;
}

bool SongEndWatch::Ended(const Song& song) {
  if (!rowStart_) return false;
  const int order = song.order & 0xFF;
  const int row = song.row;
  if (loopBack_ && order == loopOrder_) {
    // A pattern loop took the song back: the rows from its target up to the
    // row that jumped may play again.
    for (int r = row; r <= loopRow_ && r < kRows; ++r) played_.reset(order * kRows + r);
  }
  loopBack_ = song.flow.loopJump;
  loopOrder_ = order;
  loopRow_ = row;
  if (row < 0 || row >= kRows) return false;
  const size_t at = static_cast<size_t>(order * kRows + row);
  if (played_.test(at)) return true;
  played_.set(at);
  return false;
}
