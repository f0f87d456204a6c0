// Row kernels behind the whole-surface operations (blits, blur, noise), with
// a plain version and a wider vector version chosen once at run time.
// Internal header. Every version gives results bit-identical to the per-pixel
// rules in store.h; the tests compare them on random rows.
#pragma once

#include <cstdint>

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

// The kernels in use: the vector ones when the processor has them.
const RowKernels& Kernels();
// The plain kernels, and the vector ones or null when unavailable.
const RowKernels& PlainKernels();
const RowKernels* Avx2Kernels();
// Lets tests and benchmarks run the plain path on any machine.
void UsePlainKernels(bool plain);

}  // namespace raster
