// The effect column and the volume column, at row time (the first tick of a
// row) and on the later ticks. The show's set obeys the commands the show's
// song needs and ignores every other value; the complete set obeys every
// command of the format. Families: pitch in effects_pitch.cpp, song flow,
// retriggers and tremor in effects_flow.cpp, envelopes in envelopes.cpp.
#include <algorithm>

#include "effects.h"

using namespace fx;

namespace {

// Pan slides of the show's set do not limit the channel's pan (the channel
// update clamps the final pan); this bound, unreachable by music, only keeps
// the sum finite. The complete set keeps the pan inside 0…255.
constexpr int32_t kPanSlideLimit = 1 << 24;

void PanSlide(MusicChannel* ch, int amount, bool clampToRange) {
  const int32_t low = clampToRange ? 0 : -kPanSlideLimit;
  const int32_t high = clampToRange ? 255 : kPanSlideLimit;
  ch->pan = std::clamp(ch->pan + amount, low, high);
  ch->changeFlags |= CHANGE_PAN;
}

void SetPan(MusicChannel* ch, int pan) {
  ch->pan = pan;
  ch->changeFlags |= CHANGE_PAN;
}

// Slides by the nibbles of a remembered parameter: up by x, else down by y.
void SlideByMemory(int32_t& value, uint8_t memory) {
  if (HighNibble(memory))
    value = std::min(value + HighNibble(memory), 64);
  else if (LowNibble(memory))
    value = std::max(value - LowNibble(memory), 0);
}

void VolumeSlide(MusicChannel* ch) {
  SlideByMemory(ch->volume, ch->volumeSlideMemory);
  ch->changeFlags |= CHANGE_VOLUME;
}

// Pxy: right by x, else left by y, on the ticks after the first.
void PanSlideByMemory(MusicChannel* ch) {
  const uint8_t p = ch->fx.panSlide;
  PanSlide(ch, HighNibble(p) ? HighNibble(p) : -LowNibble(p), true);
}

void NoteCut(MusicChannel* ch) {
  ch->volume = 0;
  ch->changeFlags |= CHANGE_VOLUME;
}

// The extended commands (Exy) at row time.
void RowExtended(Song* song, MusicChannel* ch, uint8_t parameter) {
  const int y = LowNibble(parameter);
  const bool complete = Complete(song);
  EffectMemory& m = ch->fx;
  switch (HighNibble(parameter)) {
    case 0xA:  // fine volume up, in both sets
      if (y) ch->fineVolumeUpMemory = static_cast<uint8_t>(y);
      VolumeUp(ch, ch->fineVolumeUpMemory);
      return;
    default:
      break;
  }
  if (!complete) return;
  switch (HighNibble(parameter)) {
    case 0x1:
      SlidePeriod(ch, -4 * Remember(m.finePortaUp, static_cast<uint8_t>(y)));
      break;
    case 0x2:
      SlidePeriod(ch, 4 * Remember(m.finePortaDown, static_cast<uint8_t>(y)));
      break;
    case 0x3:
      m.glissando = static_cast<uint8_t>(y);
      break;
    case 0x4:
      m.vibratoControl = static_cast<uint8_t>(y);
      break;
    case 0x6:
      PatternLoop(song, ch, y);
      break;
    case 0x7:
      m.tremoloControl = static_cast<uint8_t>(y);
      break;
    case 0xB:
      VolumeDown(ch, Remember(m.fineVolumeDown, static_cast<uint8_t>(y)));
      break;
    case 0xC:
      if (y == 0) NoteCut(ch);
      break;
    case 0xE:
      song->flow.patternDelay = y;
      break;
    default:  // 5 (finetune) acts with the note; 0, 8, F do nothing
      break;
  }
}

// The extended commands on the ticks after the first.
void TickExtended(Song* song, MusicChannel* ch, uint8_t parameter) {
  const int y = LowNibble(parameter);
  switch (HighNibble(parameter)) {
    case 0x9:  // retrigger, in both sets
      if (y && song->tick % y == 0)
        ch->changeFlags |= CHANGE_FREQUENCY | CHANGE_VOLUME | CHANGE_TRIGGER;
      break;
    case 0xC:
      if (Complete(song) && song->tick == y) NoteCut(ch);
      break;
    default:
      break;
  }
}

}  // namespace

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume) {
  FMUSIC_XM_ProcessVolumeByte(channel, volume, EffectSet::kShow);
}

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume, EffectSet set) {
  const bool complete = set == EffectSet::kComplete;
  const int y = LowNibble(volume);
  if (volume >= 0x10 && volume <= 0x50) {
    channel->volume = volume - 0x10;
    channel->changeFlags |= CHANGE_VOLUME;
    return;
  }
  switch (HighNibble(volume)) {
    case 0x6:  // the complete set slides on the later ticks only
      if (!complete) VolumeDown(channel, y);
      break;
    case 0x7:
      if (!complete) VolumeUp(channel, y);
      break;
    case 0x8:
      VolumeDown(channel, y);
      break;
    case 0x9:
      VolumeUp(channel, y);
      break;
    case 0xA:
      if (complete && y) channel->fx.vibratoSpeed = static_cast<uint8_t>(y);
      break;
    case 0xB:
      if (complete && y) channel->fx.vibratoDepth = static_cast<uint8_t>(y);
      break;
    case 0xC:
      SetPan(channel, y * 16);
      break;
    case 0xD:
      if (!complete) PanSlide(channel, -y, false);
      break;
    case 0xE:
      if (!complete) PanSlide(channel, y, false);
      break;
    case 0xF:
      if (complete) {
        // Tone portamento at 16 y (the row does not restart the note).
        if (y) channel->fx.tonePortaSpeed = 64 * y;
      } else {
        // The show's set: the new period reaches the sound already playing
        // instead of restarting it.
        channel->changeFlags &= static_cast<uint8_t>(~CHANGE_TRIGGER);
      }
      break;
    default:
      break;
  }
}

void FMUSIC_XM_TickVolumeByte(const Song* song, MusicChannel* channel, uint8_t volume) {
  const bool complete = Complete(song);
  const int y = LowNibble(volume);
  switch (HighNibble(volume)) {
    case 0x6:
      VolumeDown(channel, y);
      break;
    case 0x7:
      VolumeUp(channel, y);
      break;
    case 0xB:
      if (complete) Vibrato(song, channel, true);
      break;
    case 0xD:
      PanSlide(channel, -y, complete);
      break;
    case 0xE:
      PanSlide(channel, y, complete);
      break;
    case 0xF:
      if (complete) TonePortamento(song, channel);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_RowEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const uint8_t param = cell.parameter;
  const bool complete = Complete(song);
  EffectMemory& m = channel->fx;
  switch (cell.effect) {
    case 0x2:
      if (param) channel->portaDownMemory = param;
      return;
    case 0xA:
      if (param) channel->volumeSlideMemory = param;
      return;
    case 0xC:
      // The show's set stores the parameter as it stands (up to 255).
      channel->volume = complete ? std::min<int>(param, 64) : param;
      channel->changeFlags |= CHANGE_VOLUME;
      return;
    case 0xD:
      if (complete) {
        PatternBreak(song, param);
      } else {
        const int row = 10 * HighNibble(param) + LowNibble(param);
        song->nextRow = row > 63 ? 0 : row;
        song->nextOrder = song->order + 1 >= song->songLength ? 0 : song->order + 1;
      }
      return;
    case 0xE:
      RowExtended(song, channel, param);
      return;
    case 0xF:
      if (param < 32)
        song->speed = param;
      else
        FMUSIC_SetBPM(song, param);
      return;
    case 0x10:
      song->globalVolume = std::min<int32_t>(param, 64);
      channel->changeFlags |= CHANGE_VOLUME;
      return;
    case 0x11:
      if (param) song->globalVolumeSlide = param;
      return;
    case 0x14:  // key off: on the row in the show's set (see the row step)
      return;
    default:
      break;
  }
  if (!complete) return;
  if (cell.effect != 0x1B) m.retrigCount = 0;
  switch (cell.effect) {
    case 0x1:
      Remember(m.portaUp, param);
      break;
    case 0x3:
      if (param) m.tonePortaSpeed = 4 * param;
      break;
    case 0x4:
      if (HighNibble(param)) m.vibratoSpeed = static_cast<uint8_t>(HighNibble(param));
      if (LowNibble(param)) m.vibratoDepth = static_cast<uint8_t>(LowNibble(param));
      Vibrato(song, channel, false);
      break;
    case 0x5:
      if (param) channel->volumeSlideMemory = param;
      break;
    case 0x6:
      if (param) channel->volumeSlideMemory = param;
      Vibrato(song, channel, false);
      break;
    case 0x7:
      if (HighNibble(param)) m.tremoloSpeed = static_cast<uint8_t>(HighNibble(param));
      if (LowNibble(param)) m.tremoloDepth = static_cast<uint8_t>(LowNibble(param));
      Tremolo(channel, false);
      break;
    case 0x8:
      SetPan(channel, param);
      break;
    case 0xB:
      PositionJump(song, param);
      break;
    case 0x15:
      FMUSIC_XM_SetEnvelopePosition(song, channel, param);
      break;
    case 0x19:
      Remember(m.panSlide, param);
      break;
    case 0x1B:
      MultiRetrig(song, channel, cell, channel->changeFlags & CHANGE_TRIGGER);
      break;
    case 0x1D:
      Remember(m.tremor, param);
      break;
    case 0x21:
      if (HighNibble(param) == 1)
        SlidePeriod(channel, -Remember(m.extraFinePortaUp, static_cast<uint8_t>(LowNibble(param))));
      else if (HighNibble(param) == 2)
        SlidePeriod(channel,
                    Remember(m.extraFinePortaDown, static_cast<uint8_t>(LowNibble(param))));
      break;
    default:
      break;
  }
}

void FMUSIC_XM_TickEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const uint8_t param = cell.parameter;
  const bool complete = Complete(song);
  switch (cell.effect) {
    case 0x0:
      if (param == 0) return;
      if (complete) {
        Arpeggio(song, channel, param);
      } else {
        // The show's set counts the ticks up (+x on tick 1) and shifts linear
        // songs only.
        const bool linear = song->flags & SONG_FLAG_LINEAR;
        const int phase = song->tick % 3;
        if (linear && phase == 1) channel->frequencyDelta = HighNibble(param) * 64;
        if (linear && phase == 2) channel->frequencyDelta = LowNibble(param) * 64;
        channel->changeFlags |= CHANGE_FREQUENCY;
      }
      return;
    case 0x2:
      channel->period = std::min(channel->period + channel->portaDownMemory * 4, FMUSIC_MAX_PERIOD);
      channel->frequencyDelta = 0;
      channel->changeFlags |= CHANGE_FREQUENCY;
      return;
    case 0xA:
      VolumeSlide(channel);
      return;
    case 0xE:
      TickExtended(song, channel, param);
      return;
    case 0x11:
      SlideByMemory(song->globalVolume, song->globalVolumeSlide);
      return;
    default:
      break;
  }
  if (!complete) return;
  switch (cell.effect) {
    case 0x1:
      SlidePeriod(channel, -4 * channel->fx.portaUp);
      break;
    case 0x3:
      TonePortamento(song, channel);
      break;
    case 0x4:
      Vibrato(song, channel, true);
      break;
    case 0x5:
      TonePortamento(song, channel);
      VolumeSlide(channel);
      break;
    case 0x6:
      Vibrato(song, channel, true);
      VolumeSlide(channel);
      break;
    case 0x7:
      Tremolo(channel, true);
      break;
    case 0x14:
      if (song->tick == param) FMUSIC_XM_KeyOff(song, channel);
      break;
    case 0x19:
      PanSlideByMemory(channel);
      break;
    case 0x1B:
      MultiRetrig(song, channel, cell, false);
      break;
    case 0x1D:
      Tremor(channel, param);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_Fadeout(MusicChannel* channel, const SongInstrument* instrument) {
  channel->fadeoutVolume = std::max(channel->fadeoutVolume - instrument->fadeout, 0);
  channel->changeFlags |= CHANGE_VOLUME;
}
