// The effect column and the volume column, at row time (the first tick of a
// row) and on the later ticks. A command the rules do not obey is read and
// ignored. Families: pitch in effects_pitch.cpp, song flow, retriggers and
// tremor in effects_flow.cpp, envelopes in envelopes.cpp.
#include "effects.h"

#include <algorithm>

#include "envelopes.h"
#include "pitch.h"
#include "tempo.h"

using namespace fx;

namespace {

// Pan slides that the rules leave unclamped do not limit the channel's pan
// (the channel update clamps the final pan); this bound, unreachable by
// music, only keeps the sum finite.
constexpr int32_t kPanSlideLimit = 1 << 24;

void PanSlide(const PlayRules& rules, MusicChannel* ch, int amount) {
  const int32_t low = rules.clampPanSlide ? 0 : -kPanSlideLimit;
  const int32_t high = rules.clampPanSlide ? 255 : kPanSlideLimit;
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
void PanSlideByMemory(const PlayRules& rules, MusicChannel* ch) {
  const uint8_t p = ch->fx.panSlide;
  PanSlide(rules, ch, HighNibble(p) ? HighNibble(p) : -LowNibble(p));
}

void NoteCut(MusicChannel* ch) {
  ch->volume = 0;
  ch->changeFlags |= CHANGE_VOLUME | CHANGE_SET_VOLUME;
}

// Arpeggio as the show's player plays it: the tick number counted up picks
// the note (+x on tick 1), and only linear songs are shifted.
void ArpeggioCountingUp(const Song* song, MusicChannel* ch, uint8_t parameter) {
  const bool linear = song->flags & SONG_FLAG_LINEAR;
  const int phase = song->tick % 3;
  if (linear && phase == 1) ch->frequencyDelta = HighNibble(parameter) * 64;
  if (linear && phase == 2) ch->frequencyDelta = LowNibble(parameter) * 64;
  ch->changeFlags |= CHANGE_FREQUENCY;
}

// The extended commands (Exy) at row time.
void RowExtended(Song* song, MusicChannel* ch, uint8_t parameter) {
  const int y = LowNibble(parameter);
  EffectMemory& m = ch->fx;
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
    case 0xA:
      VolumeUp(ch, Remember(ch->fineVolumeUpMemory, static_cast<uint8_t>(y)));
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
    default:  // 5 (finetune) and D (note delay) act with the note; 0, 8, 9, F not at row time
      break;
  }
}

// The extended commands on the ticks after the first.
void TickExtended(Song* song, MusicChannel* ch, uint8_t parameter) {
  const int y = LowNibble(parameter);
  switch (HighNibble(parameter)) {
    case 0x9:
      if (y && song->tick % y == 0 && (ch->notePlayed || !RulesOf(song).instrumentWaitsForNote))
        ch->changeFlags |= CHANGE_FREQUENCY | CHANGE_VOLUME | CHANGE_TRIGGER;
      break;
    case 0xC:
      if (song->tick == y) NoteCut(ch);
      break;
    default:
      break;
  }
}

}  // namespace

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume) {
  FMUSIC_XM_ProcessVolumeByte(channel, volume, kShowRules);
}

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume, const PlayRules& rules) {
  if (!rules.commands.Volume(volume)) return;
  const int y = LowNibble(volume);
  if (volume >= 0x10 && volume <= 0x50) {
    channel->volume = volume - 0x10;
    channel->changeFlags |= CHANGE_VOLUME | CHANGE_SET_VOLUME;
    return;
  }
  const bool slideNow = rules.volumeColumnSlidesOnFirstTick;
  switch (HighNibble(volume)) {
    case 0x6:
      if (slideNow) VolumeDown(channel, y);
      break;
    case 0x7:
      if (slideNow) VolumeUp(channel, y);
      break;
    case 0x8:
      VolumeDown(channel, y);
      break;
    case 0x9:
      VolumeUp(channel, y);
      break;
    case 0xA:
      if (y) channel->fx.vibratoSpeed = static_cast<uint8_t>(y);
      break;
    case 0xB:
      if (y) channel->fx.vibratoDepth = static_cast<uint8_t>(y);
      break;
    case 0xC:
      SetPan(channel, y * 16);
      break;
    case 0xD:
      if (slideNow) PanSlide(rules, channel, -y);
      break;
    case 0xE:
      if (slideNow) PanSlide(rules, channel, y);
      break;
    case 0xF:
      if (rules.volumeColumnPortamento) {
        // Tone portamento at 16 y (the row does not restart the note).
        if (y) channel->fx.tonePortaSpeed = 64 * y;
      } else {
        // The new period reaches the sound already playing instead of
        // restarting it.
        channel->changeFlags &= static_cast<uint8_t>(~CHANGE_TRIGGER);
      }
      break;
    default:
      break;
  }
}

void FMUSIC_XM_TickVolumeByte(const Song* song, MusicChannel* channel, uint8_t volume) {
  const PlayRules& rules = RulesOf(song);
  if (!rules.commands.Volume(volume)) return;
  const int y = LowNibble(volume);
  switch (HighNibble(volume)) {
    case 0x6:
      VolumeDown(channel, y);
      break;
    case 0x7:
      VolumeUp(channel, y);
      break;
    case 0xB:
      Vibrato(song, channel, true);
      break;
    case 0xD:
      PanSlide(rules, channel, -y);
      break;
    case 0xE:
      PanSlide(rules, channel, y);
      break;
    case 0xF:
      if (rules.volumeColumnPortamento) TonePortamento(song, channel);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_RowEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const PlayRules& rules = RulesOf(song);
  const uint8_t param = cell.parameter;
  EffectMemory& m = channel->fx;
  if (cell.effect != 0x1B) m.retrigCount = 0;
  if (!rules.commands.Effect(cell.effect)) return;
  switch (cell.effect) {
    case 0x1:
      Remember(m.portaUp, param);
      break;
    case 0x2:
      Remember(channel->portaDownMemory, param);
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
      Remember(channel->volumeSlideMemory, param);
      break;
    case 0x6:
      Remember(channel->volumeSlideMemory, param);
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
    case 0xA:
      Remember(channel->volumeSlideMemory, param);
      break;
    case 0xB:
      PositionJump(song, param);
      break;
    case 0xC:
      channel->volume = rules.clampSetVolume ? std::min<int>(param, 64) : param;
      channel->changeFlags |= CHANGE_VOLUME | CHANGE_SET_VOLUME;
      break;
    case 0xD:
      PatternBreak(song, param);
      break;
    case 0xE:
      if (rules.commands.Extended(HighNibble(param))) RowExtended(song, channel, param);
      break;
    case 0xF:
      if (param >= 32)
        FMUSIC_SetBPM(song, param);
      else if (param > 0 || !rules.ignoreSpeedZero)
        song->speed = param;
      break;
    case 0x10:
      song->globalVolume = std::min<int32_t>(param, 64);
      channel->changeFlags |= CHANGE_VOLUME;
      break;
    case 0x11:
      Remember(song->globalVolumeSlide, param);
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
    default:  // 0x14 (key off) acts with the note (see the row step)
      break;
  }
}

void FMUSIC_XM_TickEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const PlayRules& rules = RulesOf(song);
  const uint8_t param = cell.parameter;
  if (!rules.commands.Effect(cell.effect)) return;
  switch (cell.effect) {
    case 0x0:
      if (param == 0) break;
      if (rules.arpeggioCountsDown)
        Arpeggio(song, channel, param);
      else
        ArpeggioCountingUp(song, channel, param);
      break;
    case 0x1:
      SlidePeriod(channel, -4 * channel->fx.portaUp);
      break;
    case 0x2:
      channel->period = std::min(channel->period + channel->portaDownMemory * 4, FMUSIC_MAX_PERIOD);
      channel->frequencyDelta = 0;
      channel->changeFlags |= CHANGE_FREQUENCY;
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
    case 0xA:
      VolumeSlide(channel);
      break;
    case 0xE:
      if (rules.commands.Extended(HighNibble(param))) TickExtended(song, channel, param);
      break;
    case 0x11:
      SlideByMemory(song->globalVolume, song->globalVolumeSlide);
      break;
    case 0x14:
      if (rules.keyOffAtTick && song->tick == param) FMUSIC_XM_KeyOff(song, channel);
      break;
    case 0x19:
      PanSlideByMemory(rules, channel);
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
  // The end of a fade ends the note at once.
  channel->changeFlags |= channel->fadeoutVolume == 0 ? CHANGE_VOLUME | CHANGE_SET_VOLUME
                                                      : CHANGE_VOLUME;
}

void FMUSIC_XM_KeyOff(const Song* song, MusicChannel* channel) {
  channel->keyOff = 1;
  const ChannelSound sound = SoundOf(song, *channel);
  if (!(sound.instrument->volumeType & ENVELOPE_ON)) {
    if (RulesOf(song).keyOffZeroesVolume) {
      channel->volume = 0;
      channel->changeFlags |= CHANGE_SET_VOLUME;
    }
    else
      channel->volumeEnvelope.output = 0;
  }
  channel->changeFlags |= CHANGE_VOLUME;
}
