// Vector versions of the row kernels for processors with 256-bit integer
// instructions. Only these functions are compiled for that instruction set
// (target attribute), so the rest of the library stays portable x86-64; the
// table is handed out only after a run-time check (kernels.cpp).
//
// Blending eight pixels at once: each byte is widened to a 16-bit lane with
// the byte in the high half, so that the unsigned high multiply by a weight w
// gives (byte * 256 * w) >> 16 = (byte * w) >> 8, the rule's rounding exactly.
// The weight lanes are built by a byte shuffle from the source pixel, with 0
// in the lane of the weight byte itself, so the blended weight byte comes out
// 0 without masking. Sums stay <= 254, so the saturating pack is exact.
#include <cstdint>

#include "kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace raster {
namespace {

#define VF_AVX2 __attribute__((target("avx2")))

VF_AVX2 inline __m256i Blend8(__m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i pickLo = _mm256_setr_epi8(3, -128, 3, -128, 3, -128, -128, -128, 7, -128, 7, -128,
                                          7, -128, -128, -128, 3, -128, 3, -128, 3, -128, -128,
                                          -128, 7, -128, 7, -128, 7, -128, -128, -128);
  const __m256i pickHi = _mm256_setr_epi8(11, -128, 11, -128, 11, -128, -128, -128, 15, -128, 15,
                                          -128, 15, -128, -128, -128, 11, -128, 11, -128, 11, -128,
                                          -128, -128, 15, -128, 15, -128, 15, -128, -128, -128);
  const __m256i full = _mm256_set1_epi64x(0x000000FF00FF00FFll);
  __m256i aLo = _mm256_shuffle_epi8(s, pickLo);
  __m256i aHi = _mm256_shuffle_epi8(s, pickHi);
  __m256i naLo = _mm256_xor_si256(aLo, full);
  __m256i naHi = _mm256_xor_si256(aHi, full);
  __m256i lo = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, s), aLo),
                                _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, d), naLo));
  __m256i hi = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, s), aHi),
                                _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, d), naHi));
  return _mm256_packus_epi16(lo, hi);
}

VF_AVX2 inline __m256i Load(const uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VF_AVX2 inline void Store(uint32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Scalar tail of the blend, the same rule as store.h (kept local so that no
// shared inline function is compiled for the wider instruction set).
inline uint32_t BlendOne(uint32_t c, uint32_t d) {
  uint32_t a = c >> 24, na = 255 - a;
  return (((c & 0xFF) * a) >> 8) + (((d & 0xFF) * na) >> 8) +
         (((((c >> 8) & 0xFF) * a) >> 8) << 8) + (((((d >> 8) & 0xFF) * na) >> 8) << 8) +
         (((((c >> 16) & 0xFF) * a) >> 8) << 16) + (((((d >> 16) & 0xFF) * na) >> 8) << 16);
}

VF_AVX2 void BlendAvx2(uint32_t* dst, const uint32_t* src, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) Store(dst + i, Blend8(Load(src + i), Load(dst + i)));
  for (; i < n; ++i) dst[i] = BlendOne(src[i], dst[i]);
}

// Each destination pixel folds its kCount contributions in order k = 1, 2, ...
// with the destination kept in a register, so the row is read and written
// once however long the trail is.
VF_AVX2 void BlurBlendAvx2(uint32_t* dst, const uint32_t* const* rows, int kCount, uint32_t step,
                           int full) {
  int x = 0;
  for (; x + 8 <= full; x += 8) {
    __m256i d = Load(dst + x);
    uint32_t sub = 0;
    for (int k = 1; k <= kCount; ++k) {
      sub += step;
      __m256i s = _mm256_sub_epi32(Load(rows[k - 1] + x + k), _mm256_set1_epi32(int32_t(sub)));
      d = Blend8(s, d);
    }
    Store(dst + x, d);
  }
  for (; x < full; ++x) {
    uint32_t d = dst[x];
    uint32_t sub = 0;
    for (int k = 1; k <= kCount; ++k) {
      sub += step;
      d = BlendOne(rows[k - 1][x + k] - sub, d);
    }
    dst[x] = d;
  }
}

VF_AVX2 inline __m256i Hash8(__m256i i) {
  __m256i x = _mm256_mullo_epi32(i, _mm256_set1_epi32(int32_t(0x9E3779B9u)));
  x = _mm256_xor_si256(x, _mm256_srli_epi32(x, 16));
  x = _mm256_mullo_epi32(x, _mm256_set1_epi32(int32_t(0x85EBCA6Bu)));
  x = _mm256_xor_si256(x, _mm256_srli_epi32(x, 13));
  x = _mm256_mullo_epi32(x, _mm256_set1_epi32(int32_t(0xC2B2AE35u)));
  return _mm256_xor_si256(x, _mm256_srli_epi32(x, 16));
}

// Mode 4 is a per-byte (pixel * factor) >> 8 with factor byte 3 forced to 0,
// which also clears the weight byte.
VF_AVX2 void Brus4Avx2(uint32_t* p, int n, uint32_t counter) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
  __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(int32_t(counter)),
                                 _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i eight = _mm256_set1_epi32(8);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i r = _mm256_and_si256(Hash8(idx), rgb);
    idx = _mm256_add_epi32(idx, eight);
    __m256i v = Load(p + i);
    __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(v, zero), _mm256_unpacklo_epi8(zero, r));
    __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(v, zero), _mm256_unpackhi_epi8(zero, r));
    Store(p + i, _mm256_packus_epi16(lo, hi));
  }
  for (; i < n; ++i) {
    uint32_t x = (counter + uint32_t(i)) * 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    uint32_t v = p[i];
    p[i] = (((v & 0xFF) * (x & 0xFF)) >> 8) | ((((v >> 8) & 0xFF) * ((x >> 8) & 0xFF)) & 0xFF00) |
           (((((v >> 16) & 0xFF) * ((x >> 16) & 0xFF)) << 8) & 0xFF0000);
  }
}

const RowKernels kAvx2 = {BlendAvx2, BlurBlendAvx2, Brus4Avx2};

}  // namespace

const RowKernels* Avx2KernelTable() {
  return &kAvx2;
}

}  // namespace raster

#else

namespace raster {
const RowKernels* Avx2KernelTable() {
  return nullptr;
}
}  // namespace raster

#endif
