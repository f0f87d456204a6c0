// The sequencer: advances a playing Song one tick at a time (row step on the
// first tick of a row, tick step on the others), applies the effects,
// envelopes, fadeout and auto-vibrato, and passes each channel's musical state
// on to its mixer voice. Runs inside the block fill, on the mixing thread (or
// on the caller's thread during the initial fill).
#pragma once
#include <cstdint>

#include "mixer.h"
#include "song.h"

constexpr int MAX_CHANNELS = 32;

// MusicChannel change flags: what the channel update passes on to the voice.
constexpr uint8_t CHANGE_FREQUENCY = 1;
constexpr uint8_t CHANGE_VOLUME = 2;
constexpr uint8_t CHANGE_PAN = 4;
constexpr uint8_t CHANGE_TRIGGER = 8;

struct EnvelopeState {
  int32_t tick;
  int32_t point;
  int32_t value;   // 16.16
  int32_t output;  // 0..64 (pan: 32 is centre)
  int32_t step;    // 16.16 per tick
  uint8_t stopped;
};

// Channel state that only the complete effect set uses (zero, and never read,
// with the show's set). Memories hold the last non-zero parameter of a
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
  uint8_t instrument;  // 0-based
  uint8_t portaDownMemory;
  uint8_t volumeSlideMemory;
  uint8_t fineVolumeUpMemory;
  EffectMemory fx;  // complete set only
};

extern MusicChannel FMUSIC_Channel[MAX_CHANNELS];

void FMUSIC_UpdateXM(Song* song);         // one tick
void FMUSIC_UpdateXMNote(Song* song);     // row step, all channels
void FMUSIC_UpdateXMEffects(Song* song);  // tick step, all channels
void FMUSIC_XM_Resetcptr(MusicChannel* channel, SongSample* sample);
void FMUSIC_XM_UpdateFlags(MusicChannel* channel, SongSample* sample, Song* song);
void FMUSIC_SetBPM(Song* song, int bpm);

// The row-time volume column; the two-argument form plays the show's set.
void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume);
void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume, EffectSet set);
void FMUSIC_XM_ProcessEnvelope(MusicChannel* channel, int32_t& point, int32_t& tick, uint8_t type,
                               int pointCount, const EnvelopePoint* points, int loopEnd,
                               int loopStart, int sustainPoint, int32_t& output, int32_t& value,
                               uint8_t& stopped, int32_t& step, uint8_t changeFlag);
void FMUSIC_XM_InstrumentVibrato(MusicChannel* channel, const SongInstrument* instrument);

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
// Lxx: moves the channel's volume envelope (and with it the pan envelope when
// the volume envelope has a sustain point) to tick `position`.
void FMUSIC_XM_SetEnvelopePosition(const Song* song, MusicChannel* channel, int position);

// Period of a note (0…119 after the relative note) in songs without the
// linear flag: the Amiga table, 1712 at C-4 with finetune 0, which the
// non-linear frequency 14,317,056 / period turns into 8,362 Hz.
int32_t FMUSIC_AmigaPeriod(int realNote, int finetune);

// Pitch limits that keep voices inside the mixer's range: periods are held
// below FMUSIC_MAX_PERIOD (far below audibility already) and frequencies below
// 256 x the mix rate (the mixer steps at most 255 sample values per frame).
constexpr int32_t FMUSIC_MAX_PERIOD = 1 << 20;
constexpr int32_t FMUSIC_MIN_FREQUENCY = 100;
