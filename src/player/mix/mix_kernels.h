// The inner loops of the mixer and the clip copy, in a plain version and
// vector versions chosen at run time: 128-bit SSE2 on every x86-64 processor,
// 256-bit AVX2 where the processor has it, WebAssembly's 128-bit vectors in
// the browser build. Internal header of the mixer.
//
// Every version gives results bit-identical to the plain one, frame for frame:
// the same interpolation weight, the same single-precision interpolation, the
// same double-precision addition into the buffer, the same sequence of ramp
// gains; only how many frames are worked on at once differs. The tests mix
// random voices through every set and compare the buffers word for word.
//
// Adding a set: a file of its own that defines the three functions and a table
// of them, compiled only for its target (a function returning null
// elsewhere), and its place in cpu/kernel_sets.h. Nothing else in the player
// changes.
#pragma once
#include <cstdint>

#include "cpu/kernel_sets.h"

// One voice run: `count` frames of a voice whose sample values are `data`.
// Frame k plays the sample at position pos + k x delta (32.32 fixed point,
// modulo 2^64: delta is the step, or its negation moving backward), that is
// v = s0 + (s1 - s0) x t with s0 = data[i], s1 = data[i + 1], i the integer
// part and t = (fraction >> 1) x 2^-31, in single precision; it adds v x left
// to out[2k] and v x right to out[2k + 1], each sum formed in double precision
// from the single-precision values and stored back as single precision. The
// caller guarantees that every i lies inside the sample with its spare values.
struct MixKernels {
  // Fixed gains: left gains[0], right gains[1]; when count is odd, the last
  // frame takes lastGains instead. Returns the position after the last frame.
  uint64_t (*steady)(const int16_t* data, uint64_t pos, uint64_t delta, const float* gains,
                     const float* lastGains, float* out, int count);
  // Moving gains: frame k uses gains[0] and gains[1] as they stand after k
  // additions of steps[0] and steps[1] (single precision, one at a time); the
  // gains after the last frame's addition are stored back. Returns the
  // position after the last frame.
  uint64_t (*ramp)(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                   const float* steps, float* out, int count);
  // Converts `values` floats to int16: rounding to nearest with ties to even,
  // clamped to -32768..32767; NaN clamps by its sign (+NaN 32767, -NaN -32768).
  void (*clip)(int16_t* destination, const float* source, int values);
};

// The sets, their names and the order of preference are the processor's
// (cpu/kernel_sets.h), shared with the raster's row kernels.
using cpu::KernelSet;
using cpu::KernelSetName;
using cpu::kKernelSets;

// The kernels in use: the widest this processor runs, unless a narrower set
// was selected. Read by the mixing thread at the start of every mix call.
const MixKernels& CurrentMixKernels();
// The table of one set, or null when this processor or build lacks it.
const MixKernels* MixKernelTable(KernelSet set);
// Makes the mixer use `set` (tests and benchmarks compare sets with it);
// false, keeping the current choice, when the set is unavailable. Call it
// while no block fill runs.
bool UseMixKernels(KernelSet set);

// The plain kernels; vector versions may use them for the frames left over
// after their last full vector step.
uint64_t MixSteadyPlain(const int16_t* data, uint64_t pos, uint64_t delta, const float* gains,
                        const float* lastGains, float* out, int count);
uint64_t MixRampPlain(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                      const float* steps, float* out, int count);
void ClipPlain(int16_t* destination, const float* source, int values);
