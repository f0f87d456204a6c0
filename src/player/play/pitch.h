// Pitch: the period of a note and the frequency a period plays at, on the
// song's frequency table. Shared by the sequencer (notes, the channel update)
// and the pitch effects (slides, glissando).
//
// Period units: 64 per semitone, 768 per octave on the linear table (7680 at
// note 0, 4608 at C-4, which plays at 8,363 Hz); songs without the linear
// flag use Amiga periods (1712 at C-4), where a larger period is also a lower
// pitch.
#pragma once
#include <cstdint>

#include "player/load/song.h"

// Pitch limits that keep voices inside the mixer's range: periods are held
// below FMUSIC_MAX_PERIOD (far below audibility already) and frequencies at
// FMUSIC_MIN_FREQUENCY and above.
constexpr int32_t FMUSIC_MAX_PERIOD = 1 << 20;
constexpr int32_t FMUSIC_MIN_FREQUENCY = 100;

// Period of a note (0…119 after the relative note) in songs without the
// linear flag: the Amiga table, 1712 at C-4 with finetune 0, which the
// non-linear frequency 14,317,056 / period turns into 8,362 Hz.
int32_t FMUSIC_AmigaPeriod(int realNote, int finetune);

// Period of a note (0…119 after the relative note) with finetune in 1/128
// semitone, on the song's table.
inline int32_t FMUSIC_NotePeriod(const Song* song, int realNote, int finetune) {
  if (song->flags & SONG_FLAG_LINEAR) return 7680 - 64 * realNote - finetune / 2;
  return FMUSIC_AmigaPeriod(realNote, finetune);
}

// Frequency in whole hertz of a period with a per-tick offset (linear songs:
// a positive offset raises the pitch; others add it to the period), as the
// show's player computes it.
int64_t FMUSIC_Frequency(const Song* song, int64_t period, int64_t delta);
// The same without rounding to whole hertz. Periods of the non-linear table
// stand for 8,363 x 1712 / period Hz here, C-4 at 8,363 Hz.
double FMUSIC_ExactFrequency(const Song* song, int64_t period, int64_t delta);
