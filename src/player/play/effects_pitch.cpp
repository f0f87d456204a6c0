// Pitch commands: arpeggio, the portamentos (up, down, fine, extra fine and
// tone portamento with glissando), vibrato, and the tremolo that shares
// vibrato's waves. The show's rules obey portamento down and count their
// arpeggio their own way (effects.cpp); the rest is the tracker's.
#include <cmath>
#include <cstdlib>

#include "effects.h"
#include "pitch.h"

namespace fx {

namespace {

// Wave value 0…255 at a position 0…255 (64 steps of 4), before its sign:
// the first half of a cycle counts positive, the second negative.
//   0 sine: 255 sin(pi k / 32) rounded down, k the step within the half;
//   1 ramp: 8 k, turned into 255 - 8 k when `rampHalf` lies in the second half;
//   2, 3 square: 255.
// Vibrato passes its own position as `rampHalf`; tremolo passes vibrato's,
// as the tracker that defined the format does, so its ramp follows the
// vibrato's half.
int WaveMagnitude(uint8_t control, uint8_t position, uint8_t rampHalf) {
  const int k = (position >> 2) & 31;
  switch (control & 3) {
    case 0:
      return static_cast<int>(255.0 * std::sin(M_PI * k / 32.0) + 1e-9);
    case 1:
      return rampHalf >= 128 ? 255 - 8 * k : 8 * k;
    default:
      return 255;
  }
}

int SignedWave(uint8_t control, uint8_t position, uint8_t rampHalf) {
  const int magnitude = WaveMagnitude(control, position, rampHalf);
  return position >= 128 ? -magnitude : magnitude;
}

// The note period nearest to `period` (glissando), for the channel's finetune.
int32_t NearestNotePeriod(const Song* song, int32_t period, int finetune) {
  if (song->flags & SONG_FLAG_LINEAR) {
    const int note = static_cast<int>(std::lround((7680.0 - finetune / 2 - period) / 64.0));
    return FMUSIC_NotePeriod(song, std::clamp(note, 0, 119), finetune);
  }
  int best = 0;
  for (int note = 1; note < 120; ++note) {
    if (std::abs(FMUSIC_NotePeriod(song, note, finetune) - period) <
        std::abs(FMUSIC_NotePeriod(song, best, finetune) - period))
      best = note;
  }
  return FMUSIC_NotePeriod(song, best, finetune);
}

}  // namespace

void PeriodOffset(const Song* song, MusicChannel* ch, int32_t units) {
  // Linear songs: a positive frequency delta raises the pitch; others add it
  // to the period.
  ch->frequencyDelta += (song->flags & SONG_FLAG_LINEAR) ? -units : units;
  ch->changeFlags |= CHANGE_FREQUENCY;
}

void SlidePeriod(MusicChannel* ch, int32_t units) {
  ch->period = std::clamp(ch->period + units, 1, FMUSIC_MAX_PERIOD);
  ch->changeFlags |= CHANGE_FREQUENCY;
}

void TonePortamento(const Song* song, MusicChannel* ch) {
  const int32_t speed = ch->fx.tonePortaSpeed;
  if (ch->period < ch->targetPeriod)
    ch->period = std::min(ch->period + speed, ch->targetPeriod);
  else if (ch->period > ch->targetPeriod)
    ch->period = std::max(ch->period - speed, ch->targetPeriod);
  ch->changeFlags |= CHANGE_FREQUENCY;
  if (ch->fx.glissando) {
    const int32_t nearest = NearestNotePeriod(song, ch->period, ch->fx.finetune);
    PeriodOffset(song, ch, nearest - ch->period);
  }
}

void Vibrato(const Song* song, MusicChannel* ch, bool advance) {
  EffectMemory& m = ch->fx;
  const int wave = SignedWave(m.vibratoControl, m.vibratoPosition, m.vibratoPosition);
  PeriodOffset(song, ch, wave * m.vibratoDepth / 32);
  if (advance) m.vibratoPosition = static_cast<uint8_t>(m.vibratoPosition + 4 * m.vibratoSpeed);
}

void Tremolo(MusicChannel* ch, bool advance) {
  EffectMemory& m = ch->fx;
  const int wave = SignedWave(m.tremoloControl, m.tremoloPosition, m.vibratoPosition);
  m.volumeDelta = wave * m.tremoloDepth / 64;
  ch->changeFlags |= CHANGE_VOLUME;
  if (advance) m.tremoloPosition = static_cast<uint8_t>(m.tremoloPosition + 4 * m.tremoloSpeed);
}

void Arpeggio(const Song* song, MusicChannel* ch, uint8_t parameter) {
  // The tracker counts ticks down from the speed: at speed 6 ticks 1, 2, 3
  // play +y, +x, +0. A count of 16 plays the note itself.
  const int left = song->speed - song->tick;
  const int phase = left == 16 ? 0 : left % 3;
  const int semitones = phase == 1 ? HighNibble(parameter) : phase == 2 ? LowNibble(parameter) : 0;
  ch->changeFlags |= CHANGE_FREQUENCY;
  if (semitones == 0) return;
  if (song->flags & SONG_FLAG_LINEAR) {
    ch->frequencyDelta += 64 * semitones;
  } else {
    const double scaled = ch->period * std::exp2(-semitones / 12.0);
    ch->frequencyDelta += static_cast<int32_t>(std::lround(scaled)) - ch->period;
  }
}

void NoteStarted(MusicChannel* ch) {
  EffectMemory& m = ch->fx;
  if (!(m.vibratoControl & 4)) m.vibratoPosition = 0;
  if (!(m.tremoloControl & 4)) m.tremoloPosition = 0;
}

}  // namespace fx
