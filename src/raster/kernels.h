// Row kernels behind the whole-surface operations (blits, blur, noise): a
// plain version, a 128-bit vector version for every x86-64 processor, a
// 256-bit one chosen at run time when the processor has it, and a 128-bit
// WebAssembly version in the browser build.
// Internal header. Every version gives results bit-identical to the per-pixel
// rules in store.h; the tests compare them on random rows.
#pragma once

#include <cstdint>

#include "cpu/kernel_sets.h"

namespace raster {

// Counter-based noise: the word for draw index i. Its bytes 0, 1 and 2 are the
// blue, green and red factors of one pixel (see noise.h).
inline uint32_t NoiseHash(uint32_t i) {
  uint32_t x = i * 0x9E3779B9u;
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return x;
}

struct RowKernels {
  // dst[i] = Blend(src[i], dst[i]) for i < n.
  void (*blend)(uint32_t* dst, const uint32_t* src, int n);
  // One destination row of the blur in blend mode. rows[k - 1] is the start
  // of the source row k rows below, kCount of them (>= 1); the first `full`
  // pixels take every k (the caller ensures x + kCount < width there); step
  // is the weight decrement per k, already shifted to the weight byte.
  void (*blurBlend)(uint32_t* dst, const uint32_t* const* rows, int kCount, uint32_t step,
                    int full);
  // Noise mode 4 over n pixels whose first draw index is `counter`.
  void (*brus4)(uint32_t* p, int n, uint32_t counter);
};

// The sets and their names are the processor's (cpu/kernel_sets.h).
using cpu::KernelSet;
using cpu::KernelSetName;
using cpu::kKernelSets;

// The kernels in use: the widest the processor has, unless a narrower set
// was selected.
const RowKernels& Kernels();
// The table of one set, or null when this processor or build lacks it.
const RowKernels* KernelTable(KernelSet set);
// Lets tests and benchmarks run a narrower path; returns false (and keeps the
// current choice) when the set is unavailable. Main thread only.
bool UseKernels(KernelSet set);

}  // namespace raster
