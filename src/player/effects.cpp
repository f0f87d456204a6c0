// Pattern commands and per-tick instrument processes: the effect column and
// the volume column at row time and on the later ticks of a row, the volume
// and pan envelopes, the fadeout after key off and the auto-vibrato. Only the
// commands listed here have an effect; every other value is read and ignored.
// Periods are on the linear scale: 64 units per semitone, 768 per octave.
#include <algorithm>
#include <cmath>

#include "sequencer.h"

namespace {

// Pan slides do not limit the channel's pan (the channel update clamps the
// final pan); this bound, unreachable by music, only keeps the sum finite.
constexpr int32_t kPanSlideLimit = 1 << 24;

int HighNibble(uint8_t v) {
  return v >> 4;
}
int LowNibble(uint8_t v) {
  return v & 0x0F;
}

void VolumeDown(MusicChannel* ch, int amount) {
  ch->volume = std::max(ch->volume - amount, 0);
  ch->changeFlags |= CHANGE_VOLUME;
}

void VolumeUp(MusicChannel* ch, int amount) {
  ch->volume = std::min(ch->volume + amount, 64);
  ch->changeFlags |= CHANGE_VOLUME;
}

void PanSlide(MusicChannel* ch, int amount) {
  ch->pan = std::clamp(ch->pan + amount, -kPanSlideLimit, kPanSlideLimit);
  ch->changeFlags |= CHANGE_PAN;
}

// Slides by the nibbles of a remembered parameter: up by x, else down by y.
void SlideByMemory(int32_t& value, uint8_t memory) {
  if (HighNibble(memory))
    value = std::min(value + HighNibble(memory), 64);
  else if (LowNibble(memory))
    value = std::max(value - LowNibble(memory), 0);
}

int VibratoWave(uint8_t waveform, int32_t p) {
  switch (waveform) {
    case 0: {
      const float q = static_cast<float>(2.0 * M_PI / 256.0);
      return static_cast<int>(std::sin(static_cast<float>(p) * q) * 64.0f);
    }
    case 1:
      return p < 128 ? 64 : -64;
    case 2:
      return (128 - ((p + 128) % 256)) >> 1;
    case 3:
      return (128 - ((384 - p) % 256)) >> 1;
    default:
      // Waveforms above 3 have no shape: no vibrato (the position still
      // advances and the sweep still counts).
      return 0;
  }
}

}  // namespace

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume) {
  const int y = LowNibble(volume);
  if (volume >= 0x10 && volume <= 0x50) {
    channel->volume = volume - 0x10;
    channel->changeFlags |= CHANGE_VOLUME;
    return;
  }
  switch (HighNibble(volume)) {
    case 0x6:
    case 0x8:
      VolumeDown(channel, y);
      break;
    case 0x7:
    case 0x9:
      VolumeUp(channel, y);
      break;
    case 0xC:
      channel->pan = y * 16;
      channel->changeFlags |= CHANGE_PAN;
      break;
    case 0xD:
      PanSlide(channel, -y);
      break;
    case 0xE:
      PanSlide(channel, y);
      break;
    case 0xF:
      // Tone portamento in the volume column: the new period reaches the
      // sound already playing instead of restarting it.
      channel->changeFlags &= static_cast<uint8_t>(~CHANGE_TRIGGER);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_TickVolumeByte(MusicChannel* channel, uint8_t volume) {
  const int y = LowNibble(volume);
  switch (HighNibble(volume)) {
    case 0x6:
      VolumeDown(channel, y);
      break;
    case 0x7:
      VolumeUp(channel, y);
      break;
    case 0xD:
      PanSlide(channel, -y);
      break;
    case 0xE:
      PanSlide(channel, y);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_RowEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const uint8_t param = cell.parameter;
  switch (cell.effect) {
    case 0x2:
      if (param) channel->portaDownMemory = param;
      break;
    case 0xA:
      if (param) channel->volumeSlideMemory = param;
      break;
    case 0xC:
      channel->volume = param;
      channel->changeFlags |= CHANGE_VOLUME;
      break;
    case 0xD: {
      const int row = 10 * HighNibble(param) + LowNibble(param);
      song->nextRow = row > 63 ? 0 : row;
      song->nextOrder = song->order + 1 >= song->songLength ? 0 : song->order + 1;
      break;
    }
    case 0xE:
      if (HighNibble(param) == 0xA) {
        if (LowNibble(param)) channel->fineVolumeUpMemory = static_cast<uint8_t>(LowNibble(param));
        VolumeUp(channel, channel->fineVolumeUpMemory);
      }
      break;
    case 0xF:
      if (param < 32)
        song->speed = param;
      else
        FMUSIC_SetBPM(song, param);
      break;
    case 0x10:
      song->globalVolume = std::min<int32_t>(param, 64);
      channel->changeFlags |= CHANGE_VOLUME;
      break;
    case 0x11:
      if (param) song->globalVolumeSlide = param;
      break;
    case 0x14:
      channel->keyOff = 1;
      break;
    default:
      break;
  }
}

void FMUSIC_XM_TickEffect(Song* song, MusicChannel* channel, const NoteCell& cell) {
  const uint8_t param = cell.parameter;
  switch (cell.effect) {
    case 0x0:
      if (param) {
        const bool linear = song->flags & SONG_FLAG_LINEAR;
        const int phase = song->tick % 3;
        if (linear && phase == 1) channel->frequencyDelta = HighNibble(param) * 64;
        if (linear && phase == 2) channel->frequencyDelta = LowNibble(param) * 64;
        channel->changeFlags |= CHANGE_FREQUENCY;
      }
      break;
    case 0x2:
      channel->period = std::min(channel->period + channel->portaDownMemory * 4, FMUSIC_MAX_PERIOD);
      channel->frequencyDelta = 0;
      channel->changeFlags |= CHANGE_FREQUENCY;
      break;
    case 0xA:
      SlideByMemory(channel->volume, channel->volumeSlideMemory);
      channel->changeFlags |= CHANGE_VOLUME;
      break;
    case 0xE:
      if (HighNibble(param) == 0x9 && LowNibble(param) && song->tick % LowNibble(param) == 0)
        channel->changeFlags |= CHANGE_FREQUENCY | CHANGE_VOLUME | CHANGE_TRIGGER;
      break;
    case 0x11:
      SlideByMemory(song->globalVolume, song->globalVolumeSlide);
      break;
    default:
      break;
  }
}

void FMUSIC_XM_Fadeout(MusicChannel* channel, const SongInstrument* instrument) {
  channel->fadeoutVolume = std::max(channel->fadeoutVolume - instrument->fadeout, 0);
  channel->changeFlags |= CHANGE_VOLUME;
}

void FMUSIC_XM_ProcessEnvelope(MusicChannel* channel, int32_t& point, int32_t& tick, uint8_t type,
                               int pointCount, const EnvelopePoint* points, int loopEnd,
                               int loopStart, int sustainPoint, int32_t& output, int32_t& value,
                               uint8_t& stopped, int32_t& step, uint8_t changeFlag) {
  // The loader guarantees at most 12 points and indices inside them.
  if (point < pointCount && tick == points[point].x) {
    if ((type & ENVELOPE_LOOP) && point == loopEnd) {
      point = loopStart;
      tick = points[point].x;
    }
    if (point == pointCount - 1) {
      output = points[point].y;
      stopped = 1;
      channel->changeFlags |= changeFlag;
      return;
    }
    if ((type & ENVELOPE_SUSTAIN) && point == sustainPoint && !channel->keyOff) {
      output = points[point].y;
      channel->changeFlags |= changeFlag;
      return;
    }
    const int32_t dx = points[point + 1].x - points[point].x;
    const int32_t dy = points[point + 1].y - points[point].y;
    step = dx == 0 ? 0 : dy * 65536 / dx;
    value = points[point].y * 65536;
    point += 1;
  } else if (point < pointCount) {
    value += step;
  }
  output = value >> 16;
  tick += 1;
  channel->changeFlags |= changeFlag;
}

void FMUSIC_XM_InstrumentVibrato(MusicChannel* channel, const SongInstrument* instrument) {
  int32_t d =
      instrument->vibratoDepth * VibratoWave(instrument->vibratoType, channel->vibratoPosition);
  if (instrument->vibratoSweep) d = channel->vibratoSweepPosition * d / instrument->vibratoSweep;
  channel->frequencyDelta += d >> 6;
  channel->vibratoSweepPosition =
      std::min<int32_t>(channel->vibratoSweepPosition + 1, instrument->vibratoSweep);
  channel->vibratoPosition += instrument->vibratoRate;
  if (channel->vibratoPosition > 255) channel->vibratoPosition -= 256;
  channel->changeFlags |= CHANGE_FREQUENCY;
}
