// The song record: what the loader fills, the sequencer plays from and the
// mixer reads sample data from. Shared by every room of the player. A Song owns its pattern table
// and cells, its instrument table, every SongSample the loader allocated and their data;
// FMUSIC_DummySample and FMUSIC_DummyInstrument are shared and never freed.
// All allocations are zero-filled.
#pragma once
#include <cstdint>

struct NoteCell {
  uint8_t note;        // 0 none; 1..96 note (1 = C-0); NOTE_KEYOFF
  uint8_t instrument;  // 0 none; 1..128
  uint8_t volume;      // volume-column command
  uint8_t effect;
  uint8_t parameter;
};
static_assert(sizeof(NoteCell) == 5);
constexpr uint8_t NOTE_KEYOFF = 0xFF;  // stored as 97 in the file

struct SongPattern {
  int32_t rows;
  NoteCell* cells;  // rows x channel count, row-major; null = no notes
};

// Sample loop modes.
constexpr uint8_t LOOP_OFF = 1;
constexpr uint8_t LOOP_FORWARD = 2;
constexpr uint8_t LOOP_PINGPONG = 4;

struct SongSample {
  int16_t* data;    // length values followed by SAMPLE_SPARE_VALUES spare values; null if length 0
  uint32_t length;  // in sample values
  uint32_t loopStart;   // in sample values
  uint32_t loopLength;  // loopStart + loopLength is the end of play in every loop mode
  uint8_t volume;       // 0..64
  int8_t finetune;      // 1/128 semitone
  int32_t pan;          // 0..255
  uint8_t bits;         // 16 after loading
  uint8_t loopMode;     // LOOP_OFF, LOOP_FORWARD, LOOP_PINGPONG (0 for the dummy)
  int8_t relativeNote;  // semitones added to the played note
};
constexpr int SAMPLE_SPARE_VALUES = 8;

struct EnvelopePoint {
  uint16_t x;  // tick position
  uint16_t y;  // value 0..64 (pan: 32 is centre)
};
constexpr int MAX_ENVELOPE_POINTS = 12;
constexpr int MAX_SAMPLES_PER_INSTRUMENT = 16;

// Envelope type bits.
constexpr uint8_t ENVELOPE_ON = 1;
constexpr uint8_t ENVELOPE_SUSTAIN = 2;
constexpr uint8_t ENVELOPE_LOOP = 4;

struct SongInstrument {
  int32_t sampleCount;                              // 0..16
  SongSample* samples[MAX_SAMPLES_PER_INSTRUMENT];  // from sampleCount on: &FMUSIC_DummySample
  uint8_t noteToSample[96];                         // 16 or more selects the empty sample
  EnvelopePoint volumeEnvelope[MAX_ENVELOPE_POINTS];
  EnvelopePoint panEnvelope[MAX_ENVELOPE_POINTS];
  uint8_t volumePoints, panPoints;
  uint8_t volumeSustain, volumeLoopStart, volumeLoopEnd;
  uint8_t panSustain, panLoopStart, panLoopEnd;
  uint8_t volumeType, panType;  // ENVELOPE_* bits
  uint8_t vibratoType;          // 0 sine, 1 square, 2 and 3 saw shapes
  uint8_t vibratoSweep;         // ticks to full depth (0 = at once)
  uint8_t vibratoDepth;
  uint8_t vibratoRate;
  uint16_t fadeout;  // twice the file's value
};

struct Song;
using SongTickOperation = void (*)(Song* song);
// Called with a zero-filled buffer of 2 x length + 16 bytes, the sample's byte
// count in the file, 8 or 16 bits, and the 0-based instrument and sample.
using SampleLoadCallback = void (*)(void* buffer, int bytes, int bits, int instrument, int sample);

constexpr int16_t SONG_FLAG_LINEAR = 1;
// Channels a song may have: the sequencer's channel records and the pairs of
// mixer voices (i and i + 32) hold 32.
constexpr int MAX_CHANNELS = 32;

// The rules a song is played by (play/rules.h); null plays the show's own.
struct PlayRules;

// Playback state of the tracker's song-flow commands; FMUSIC_ResetEffectState
// clears it when playback starts.
struct SongFlowState {
  int32_t patternDelay;  // repeats of the current row still to come (EEx)
  uint8_t repeatingRow;  // 1 while the current row plays again for a pattern delay
  uint8_t positionJump;  // a position jump (Bxx) was met on the current row
  uint8_t breakSet;      // a pattern break (Dxx) was met on the current row
  uint8_t loopJump;      // a pattern loop (E6x) jumps back after the current row
  int32_t breakRow;      // row the next pattern change lands on (see the pattern loop)
};

struct Song {
  SongPattern* patterns;
  SongInstrument* instruments;
  int32_t samplesLeftInTick;  // output frames still to mix before the next tick
  int32_t samplesPerTick;     // set by FMUSIC_SetBPM
  int16_t songLength;
  int16_t restartPosition;
  int16_t channelCount;  // at most MAX_CHANNELS
  int32_t patternsUsed;
  int32_t patternCount;
  int16_t instrumentCount;
  int16_t flags;  // SONG_FLAG_LINEAR
  int16_t defaultSpeed;
  int16_t defaultBPM;
  uint8_t orderTable[256];
  uint8_t defaultGlobalVolume;  // 64
  // Playback state, written by the thread that runs the ticks.
  int32_t globalVolume;  // 0..64
  uint8_t globalVolumeSlide;
  int32_t tick;
  int32_t speed;
  int32_t bpm;
  int32_t row;
  int32_t order;
  int32_t nextRow;                  // -1 when none
  int32_t nextOrder;                // -1 when none
  int32_t time;                     // milliseconds of song played
  SongTickOperation tickOperation;  // FMUSIC_UpdateXM
  SampleLoadCallback sampleLoadCallback;
  const PlayRules* rules;  // null after loading: the show's rules; see FMUSIC_SetPlayRules
  SongFlowState flow;
};

extern SongSample FMUSIC_DummySample;
extern SongInstrument FMUSIC_DummyInstrument;
