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
};

extern MusicChannel FMUSIC_Channel[MAX_CHANNELS];

void FMUSIC_UpdateXM(Song* song);         // one tick
void FMUSIC_UpdateXMNote(Song* song);     // row step, all channels
void FMUSIC_UpdateXMEffects(Song* song);  // tick step, all channels
void FMUSIC_XM_Resetcptr(MusicChannel* channel, SongSample* sample);
void FMUSIC_XM_UpdateFlags(MusicChannel* channel, SongSample* sample, Song* song);
void FMUSIC_SetBPM(Song* song, int bpm);

void FMUSIC_XM_ProcessVolumeByte(MusicChannel* channel, uint8_t volume);
void FMUSIC_XM_ProcessEnvelope(MusicChannel* channel, int32_t& point, int32_t& tick, uint8_t type,
                               int pointCount, const EnvelopePoint* points, int loopEnd,
                               int loopStart, int sustainPoint, int32_t& output, int32_t& value,
                               uint8_t& stopped, int32_t& step, uint8_t changeFlag);
void FMUSIC_XM_InstrumentVibrato(MusicChannel* channel, const SongInstrument* instrument);

// The row-time and tick-time parts of the effect and volume columns, and one
// fadeout step; called by the row and tick steps for each channel.
void FMUSIC_XM_RowEffect(Song* song, MusicChannel* channel, const NoteCell& cell);
void FMUSIC_XM_TickEffect(Song* song, MusicChannel* channel, const NoteCell& cell);
void FMUSIC_XM_TickVolumeByte(MusicChannel* channel, uint8_t volume);
void FMUSIC_XM_Fadeout(MusicChannel* channel, const SongInstrument* instrument);

// Period of a note (0…119 after the relative note) in songs without the
// linear flag: the Amiga table, 1712 at C-4 with finetune 0, which the
// non-linear frequency 14,317,056 / period turns into 8,362 Hz.
int32_t FMUSIC_AmigaPeriod(int realNote, int finetune);

// Pitch limits that keep voices inside the mixer's range: periods are held
// below FMUSIC_MAX_PERIOD (far below audibility already) and frequencies below
// 256 x the mix rate (the mixer steps at most 255 sample values per frame).
constexpr int32_t FMUSIC_MAX_PERIOD = 1 << 20;
constexpr int32_t FMUSIC_MIN_FREQUENCY = 100;
