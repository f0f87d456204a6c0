// The software mixer: adds the sounding voices into interleaved float stereo
// frames with linear interpolation, loop handling without per-frame tests and
// a short volume ramp on every gain change, and clips float frames to 16-bit
// stereo. Called only from the block fill; it must not run twice at once.
// The per-frame loops run through the kernel set chosen at run time for this
// processor (mix_kernels.h); every set gives the same results.
//
// Fixed-point formats used by the voices:
//   sample position  32.32: `position` (integer part) and `fraction` (2^-32 units)
//   step             32.32: `stepInteger` and `stepFraction`
//   boundary step     8.24: low 8 bits of stepInteger above the top 24 of stepFraction
//   ramp gains        8.8 : rampLeft/rampRight = gain x 256, gain on a 0..255 scale
#pragma once
#include <cstdint>

#include "player/load/song.h"

constexpr int MIX_VOICES = 256;         // voices in FSOUND_Channel
constexpr int MIX_ACTIVE_VOICES = 64;   // voices the mixer processes
constexpr int GHOST_VOICE_OFFSET = 32;  // voices i and i + 32 serve music channel i

constexpr int32_t DIRECTION_FORWARD = 1;
constexpr int32_t DIRECTION_BACKWARD = 2;

struct MixChannel {
  int32_t index;                // own position in FSOUND_Channel
  int32_t volume;               // gain before panning (0..127 from the sequencer)
  int32_t pan;                  // 0..255
  SongSample* sample;           // null = idle
  int32_t leftGain, rightGain;  // targets on a 0..255 scale
  uint32_t position;            // 32.32 position: integer part
  uint32_t fraction;            // 32.32 position: fraction
  uint32_t stepFraction;        // 32.32 step: fraction
  uint32_t stepInteger;         // 32.32 step: integer part
  int32_t direction;            // DIRECTION_FORWARD or DIRECTION_BACKWARD
  int32_t lastLeftTarget, lastRightTarget;
  int32_t rampLeft, rampRight;        // 8.8 current gains
  float rampLeftStep, rampRightStep;  // per frame, 1.0 = gain 255
  int32_t rampCount;                  // frames left in the ramp; 0 = none
  int32_t rampFrames;                 // length of the next ramp; 0 = mix_volumerampsteps
};

extern MixChannel FSOUND_Channel[MIX_VOICES];

// Output frames per second and its reciprocal; set by FSOUND_Init, read by
// the sequencer (voice steps, frames per tick) and the block fill.
extern int FSOUND_MixRate;
extern float FSOUND_OOMixRate;

// Ramp length in frames (128 at 44,100 Hz) and its reciprocal; set by FSOUND_Init.
extern int mix_volumerampsteps;
extern float mix_1overvolumerampsteps;

// Adds `frames` frames of every sounding voice among 0..63 into `buffer`
// (frames of two floats, first = left). Nothing for frames <= 0.
void FSOUND_Mixer_FPU_Ramp(float* buffer, int frames);
// Converts 2 x frames floats to int16, rounding to nearest (ties to even) and
// clamping. Nothing for frames <= 0 or a null pointer.
void FSOUND_MixerClipCopy_Float32(int16_t* destination, const float* source, int frames);
