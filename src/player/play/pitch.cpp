// Periods and frequencies on the two frequency tables.
#include "pitch.h"

#include <algorithm>
#include <cmath>

int32_t FMUSIC_AmigaPeriod(int realNote, int finetune) {
  const double semitones = 48.0 - realNote - finetune / 128.0;
  return static_cast<int32_t>(std::lround(1712.0 * std::exp2(semitones / 12.0)));
}

int64_t FMUSIC_Frequency(const Song* song, int64_t period, int64_t delta) {
  if (song->flags & SONG_FLAG_LINEAR) {
    const double q = static_cast<float>(1.0 / 768.0);
    const double exponent = static_cast<double>(4608 - period + delta) * q;
    // Bounded before the conversion; the step limit applies afterwards.
    return static_cast<int64_t>(std::min(8363.0 * std::exp2(exponent), 1e12));
  }
  return 14317056 / (period + delta);
}

double FMUSIC_ExactFrequency(const Song* song, int64_t period, int64_t delta) {
  if (song->flags & SONG_FLAG_LINEAR)
    return std::min(8363.0 * std::exp2(static_cast<double>(4608 - period + delta) / 768.0), 1e12);
  const int64_t p = period + delta;
  return p > 0 ? 8363.0 * 1712.0 / static_cast<double>(p) : 1e12;
}
