// The sequencer's state of one pattern channel: what the row and tick steps,
// the effects and the envelopes read and write, and what the channel update
// passes on to the channel's mixer voice. Written only by the thread that
// runs the song's ticks.
#pragma once
#include <cstdint>

#include "player/load/song.h"
#include "player/mix/mixer.h"

// MusicChannel change flags: what the channel update passes on to the voice.
constexpr uint8_t CHANGE_FREQUENCY = 1;
constexpr uint8_t CHANGE_VOLUME = 2;
constexpr uint8_t CHANGE_PAN = 4;
constexpr uint8_t CHANGE_TRIGGER = 8;
// The volume was set, not slid: the voice takes the mixer's short ramp to it
// even where the rules glide changes over the tick.
constexpr uint8_t CHANGE_SET_VOLUME = 16;

struct EnvelopeState {
  int32_t tick;
  int32_t point;
  int32_t value;   // 16.16
  int32_t output;  // 0..64 (pan: 32 is centre)
  int32_t step;    // 16.16 per tick
  uint8_t stopped;
};

// Channel state of the commands beyond the show's own (zero, and never read,
// under the show's rules). Memories hold the last non-zero parameter of a
// command; positions of the vibrato and tremolo waves run 0…255 for one
// cycle of 64 steps.
struct EffectMemory {
  uint8_t portaUp;
  uint8_t finePortaUp, finePortaDown;
  uint8_t extraFinePortaUp, extraFinePortaDown;
  uint8_t fineVolumeDown;
  uint8_t panSlide;
  uint8_t sampleOffset;
  uint8_t tremor;
  uint8_t retrigInterval, retrigVolume;
  int32_t tonePortaSpeed;  // period units per tick
  uint8_t vibratoSpeed, vibratoDepth, vibratoControl, vibratoPosition;
  uint8_t tremoloSpeed, tremoloDepth, tremoloControl, tremoloPosition;
  uint8_t glissando;
  uint8_t tremorPhase;  // bit 7 on, low bits ticks left in the phase
  uint8_t tremorMuted;  // the tremor's off phase silences the channel until lifted
  uint8_t retrigCount;
  uint8_t loopRow, loopCount;
  int32_t volumeDelta;   // tremolo's offset this tick
  uint32_t startOffset;  // sample position the next trigger starts at
  int32_t finetune;      // of the last note, for glissando
};

struct MusicChannel {
  uint8_t note;         // 0..95
  uint8_t changeFlags;  // CHANGE_*
  MixChannel* voice;    // the mixer voice currently owned
  int32_t period;       // linear period of the sounding pitch
  int32_t targetPeriod;
  int32_t volume;  // 0..64 (row-time set volume may store up to 255)
  int32_t pan;     // 0..255 nominal
  int32_t frequencyDelta;
  EnvelopeState volumeEnvelope;
  EnvelopeState panEnvelope;
  int32_t fadeoutVolume;  // 0..65536
  int32_t vibratoPosition;
  int32_t vibratoSweepPosition;
  uint8_t keyOff;
  uint8_t instrument;      // 0-based: the sounding instrument
  uint8_t nextInstrument;  // 1-based: the one the next note plays, 0 none (see PlayRules)
  uint8_t notePlayed;      // a note has started on the channel since the song's start
  uint8_t portaDownMemory;
  uint8_t volumeSlideMemory;
  uint8_t fineVolumeUpMemory;
  EffectMemory fx;
};

extern MusicChannel FMUSIC_Channel[MAX_CHANNELS];

// The instrument a channel plays and the sample its note selects in it: the
// empty instrument and sample for an instrument number past the song's, the
// empty sample for a map entry or slot without one.
struct ChannelSound {
  const SongInstrument* instrument;
  SongSample* sample;
};

inline ChannelSound SoundOf(const Song* song, const MusicChannel& channel) {
  if (channel.instrument >= song->instrumentCount || !song->instruments)
    return {&FMUSIC_DummyInstrument, &FMUSIC_DummySample};
  const SongInstrument* instrument = &song->instruments[channel.instrument];
  const int slot = channel.note < 96 ? instrument->noteToSample[channel.note] : 255;
  if (slot >= MAX_SAMPLES_PER_INSTRUMENT || !instrument->samples[slot])
    return {instrument, &FMUSIC_DummySample};
  return {instrument, instrument->samples[slot]};
}
