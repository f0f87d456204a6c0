// The effect column and the volume column, at row time (the first tick of a
// row) and on the later ticks, and the helpers the effect families share.
// One handler per command serves every set of rules; where the rules differ,
// the handler tests the named rule (rules.h). Called by the row and tick
// steps of the sequencer, on the thread that runs the song's ticks.
#pragma once
#include <algorithm>
#include <cstdint>

#include "channel.h"
#include "player/load/song.h"
#include "rules.h"

// The rules `song` plays by.
inline const PlayRules& RulesOf(const Song* song) {
  return song->rules ? *song->rules : kShowRules;
}

// The row-time volume column; the two-argument form plays by the show's rules.
void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume);
void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume, const PlayRules& rules);
// The row-time and tick-time parts of the effect and volume columns, and one
// fadeout step; called by the row and tick steps for each channel.
void FMUSIC_XM_RowEffect(Song* song, MusicChannel* channel, const NoteCell& cell);
void FMUSIC_XM_TickEffect(Song* song, MusicChannel* channel, const NoteCell& cell);
void FMUSIC_XM_TickVolumeByte(const Song* song, MusicChannel* channel, uint8_t volume);
void FMUSIC_XM_Fadeout(MusicChannel* channel, const SongInstrument* instrument);
// Key off now (a key-off note, or Kxx on its tick): releases a sustained
// envelope and starts the fadeout; silences an instrument without volume
// envelope at once.
void FMUSIC_XM_KeyOff(const Song* song, MusicChannel* channel);

namespace fx {

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
// and volume column back to tick x.
inline bool DelaysNote(const PlayRules& rules, const NoteCell& cell) {
  return cell.effect == 0xE && HighNibble(cell.parameter) == 0xD &&
         LowNibble(cell.parameter) != 0 && rules.commands.Extended(0xD);
}
// A tone-portamento row: the note slides the sounding pitch instead of
// starting anew. Effects 3 and 5, and the volume column's portamento (Fx)
// where it is one.
inline bool PortamentoRow(const PlayRules& rules, const NoteCell& cell) {
  return cell.effect == 3 || cell.effect == 5 ||
         (rules.volumeColumnPortamento && cell.volume >= 0xF0);
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
// A note starts: waves restart unless told not to.
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
