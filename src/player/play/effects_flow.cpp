// Commands that change the song's course or restart and
// silence notes on their own schedule: position jump, pattern break, pattern
// loop, multi retrig and tremor. Pattern delay and note delay live in the
// sequencer's tick, which they reshape.
#include "effects.h"

namespace fx {

// Bxx: continue at order xx, row 0, after this row. A pattern break met
// earlier on the row keeps its order change but loses its row: the tracker
// clears the break row on a jump.
void PositionJump(Song* song, uint8_t parameter) {
  song->nextOrder = parameter;
  song->flow.positionJump = 1;
  song->flow.breakRow = 0;
}

// Dxy: continue at row 10 x + y (0 above 63) of the next order entry, or of
// the order a position jump on this row named.
void PatternBreak(Song* song, uint8_t parameter) {
  const int row = 10 * HighNibble(parameter) + LowNibble(parameter);
  song->flow.breakRow = row > 63 ? 0 : row;
  song->flow.breakSet = 1;
}

// E60 marks the loop start row of this channel; E6x (x > 0) plays the rows
// from there x more times. Each channel keeps its own loop. The row the
// loop jumps to also becomes the row the next pattern starts at, as in the
// tracker that defined the format.
void PatternLoop(Song* song, MusicChannel* ch, int count) {
  EffectMemory& m = ch->fx;
  if (count == 0) {
    m.loopRow = static_cast<uint8_t>(song->row);
    return;
  }
  if (m.loopCount == 0) {
    m.loopCount = static_cast<uint8_t>(count);
  } else if (--m.loopCount == 0) {
    return;
  }
  song->flow.breakRow = m.loopRow;
  song->flow.loopJump = 1;
}

namespace {

// Volume after a multi retrig, by the x nibble of Rxy.
int32_t RetrigVolume(int32_t volume, int change) {
  switch (change) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
      return volume - (1 << (change - 1));
    case 6:
      return volume * 2 / 3;
    case 7:
      return volume / 2;
    case 9:
    case 0xA:
    case 0xB:
    case 0xC:
    case 0xD:
      return volume + (1 << (change - 9));
    case 0xE:
      return volume * 3 / 2;
    case 0xF:
      return volume * 2;
    default:
      return volume;
  }
}

}  // namespace

// Rxy: restart the sample every y ticks, changing the volume by x. The
// count runs over every tick of the rows that carry the command and starts
// again after a row without it; a note on the row counts its own tick twice
// and cannot retrigger on it. On a row with a volume-column command the
// count runs but nothing restarts. A channel without a note restarts nothing.
void MultiRetrig(Song* song, MusicChannel* ch, const NoteCell& cell, bool noteOnRow) {
  EffectMemory& m = ch->fx;
  if (song->tick == 0) {
    Remember(m.retrigInterval, static_cast<uint8_t>(LowNibble(cell.parameter)));
    if (HighNibble(cell.parameter))
      m.retrigVolume = static_cast<uint8_t>(HighNibble(cell.parameter));
    if (noteOnRow) {
      m.retrigCount = 2;
      return;
    }
  }
  const bool due = m.retrigCount >= m.retrigInterval && m.retrigInterval != 0;
  if (due && cell.volume == 0 && ch->notePlayed) {
    m.retrigCount = 0;
    ch->volume = std::clamp(RetrigVolume(ch->volume, m.retrigVolume), 0, 64);
    ch->changeFlags |= CHANGE_FREQUENCY | CHANGE_VOLUME | CHANGE_TRIGGER;
  }
  if (m.retrigCount < 255) ++m.retrigCount;
}

// Txy: sound for x + 1 ticks, then silence for y + 1 ticks, counting the
// ticks after the first of each row. The silence stays until the tremor
// lifts it or an instrument number resets the channel.
void Tremor(MusicChannel* ch, uint8_t parameter) {
  EffectMemory& m = ch->fx;
  const uint8_t p = Remember(m.tremor, parameter);
  const bool on = m.tremorPhase & 0x80;
  int left = (m.tremorPhase & 0x7F) - 1;
  bool nowOn = on;
  if (left < 0) {
    nowOn = !on;
    left = nowOn ? HighNibble(p) : LowNibble(p);
  }
  m.tremorPhase = static_cast<uint8_t>((nowOn ? 0x80 : 0) | left);
  m.tremorMuted = nowOn ? 0 : 1;
  ch->changeFlags |= CHANGE_VOLUME;
}

}  // namespace fx
