// Per-tick instrument processes: the volume and pan envelopes (and the
// command that moves them, Lxx), and the auto-vibrato.
#include "envelopes.h"

#include <algorithm>
#include <cmath>

namespace {

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

namespace {

// Places one envelope at tick `position` as if it had been stepped there:
// the segment holding the position, the value on it, and the next tick.
void PlaceEnvelope(EnvelopeState& e, int pointCount, const EnvelopePoint* points, int position) {
  if (pointCount < 1) return;
  int i = 0;
  while (i + 1 < pointCount && points[i + 1].x <= position) ++i;
  if (i + 1 >= pointCount) {
    // At or past the last point: the next step lands on it and stops there.
    e.point = pointCount - 1;
    e.tick = points[pointCount - 1].x;
    return;
  }
  const int32_t dx = points[i + 1].x - points[i].x;
  const int32_t dy = points[i + 1].y - points[i].y;
  e.step = dx == 0 ? 0 : dy * 65536 / dx;
  e.value = points[i].y * 65536 + e.step * (position - points[i].x);
  e.output = e.value >> 16;
  e.point = i + 1;
  e.tick = position + 1;
  e.stopped = 0;
}

}  // namespace

void FMUSIC_XM_SetEnvelopePosition(const Song* song, MusicChannel* channel, int position) {
  if (channel->instrument >= song->instrumentCount || !song->instruments) return;
  const SongInstrument& in = song->instruments[channel->instrument];
  PlaceEnvelope(channel->volumeEnvelope, in.volumePoints, in.volumeEnvelope, position);
  // As in the tracker that defined the format, the pan envelope follows only
  // when the volume envelope has its sustain on.
  if (in.volumeType & ENVELOPE_SUSTAIN)
    PlaceEnvelope(channel->panEnvelope, in.panPoints, in.panEnvelope, position);
  channel->changeFlags |= CHANGE_VOLUME | CHANGE_PAN;
}
