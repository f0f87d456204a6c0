// Internal to the sequencer and the effect files: the helpers the effect
// families share. One handler per effect serves both effect sets; where the
// show's set and the complete set differ, the handler tests Complete(song).
//
// Period units: 64 per semitone, 768 per octave on the linear scale; the
// non-linear scale uses Amiga periods of the same size (1712 at C-4), where a
// larger period is a lower pitch in both.
#pragma once
#include <algorithm>
#include <cstdint>

#include "sequencer.h"

namespace fx {

inline bool Complete(const Song* song) {
  return song->effectSet == EffectSet::kComplete;
}
inline int HighNibble(uint8_t v) {
  return v >> 4;
}
inline int LowNibble(uint8_t v) {
  return v & 0x0F;
}
// Stores a non-zero parameter in a memory and returns what the command uses.
inline uint8_t Remember(uint8_t& memory, uint8_t parameter) {
  if (parameter) memory = parameter;
  return memory;
}

inline void VolumeDown(MusicChannel* ch, int amount) {
  ch->volume = std::max(ch->volume - amount, 0);
  ch->changeFlags |= CHANGE_VOLUME;
}
inline void VolumeUp(MusicChannel* ch, int amount) {
  ch->volume = std::min(ch->volume + amount, 64);
  ch->changeFlags |= CHANGE_VOLUME;
}

// A command with note delay (EDx, x > 0) holds its cell's note, instrument
// and volume column back to tick x (complete set).
inline bool DelaysNote(const Song* song, const NoteCell& cell) {
  return Complete(song) && cell.effect == 0xE && HighNibble(cell.parameter) == 0xD &&
         LowNibble(cell.parameter) != 0;
}
// A tone-portamento row: the note slides the sounding pitch instead of
// starting anew. Effects 3 and 5; in the complete set also the volume
// column's portamento (Fx).
inline bool PortamentoRow(const Song* song, const NoteCell& cell) {
  return cell.effect == 3 || cell.effect == 5 || (Complete(song) && cell.volume >= 0xF0);
}

// Pitch (effects_pitch.cpp).
// Moves the sounding pitch by `units` period units this tick without
// touching the period (positive = lower, like a larger period): vibrato and
// glissando.
void PeriodOffset(const Song* song, MusicChannel* ch, int32_t units);
// Slides the period by `units` (positive = lower pitch), kept inside the
// pitch range.
void SlidePeriod(MusicChannel* ch, int32_t units);
void TonePortamento(const Song* song, MusicChannel* ch);
void Vibrato(const Song* song, MusicChannel* ch, bool advance);
void Tremolo(MusicChannel* ch, bool advance);
void Arpeggio(const Song* song, MusicChannel* ch, uint8_t parameter);
// A note starts (complete set): waves restart unless told not to.
void NoteStarted(MusicChannel* ch);

// Song flow (effects_flow.cpp): position jump, pattern break, pattern loop,
// pattern delay.
void PositionJump(Song* song, uint8_t parameter);
void PatternBreak(Song* song, uint8_t parameter);
void PatternLoop(Song* song, MusicChannel* ch, int count);
// Retriggers, cuts and tremor (effects_flow.cpp).
void MultiRetrig(Song* song, MusicChannel* ch, const NoteCell& cell, bool noteOnRow);
void Tremor(MusicChannel* ch, uint8_t parameter);

}  // namespace fx
