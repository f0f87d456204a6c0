// Row kernels on 128-bit integer vectors, part of every x86-64 processor, so
// the portable build is fast without any run-time check. Same method as
// kernels_avx2.cpp (bytes widened into the high half of 16-bit lanes, high
// multiply by the weight), four pixels at a time; the weight lanes are built
// with unpacks since byte shuffles are not part of this instruction set.
#include "kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace raster {
namespace {

inline __m128i Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(uint32_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

inline __m128i Blend4(__m128i s, __m128i d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colourLanes = _mm_set1_epi64x(0x0000FFFFFFFFFFFFll);
  const __m128i full = _mm_set1_epi64x(0x000000FF00FF00FFll);
  __m128i a16 = _mm_packs_epi32(_mm_srli_epi32(s, 24), zero);  // a0 a1 a2 a3 in 16-bit lanes
  __m128i pairs = _mm_unpacklo_epi16(a16, a16);                // a0 a0 a1 a1 a2 a2 a3 a3
  __m128i aLo = _mm_and_si128(_mm_unpacklo_epi32(pairs, pairs), colourLanes);
  __m128i aHi = _mm_and_si128(_mm_unpackhi_epi32(pairs, pairs), colourLanes);
  __m128i lo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, s), aLo),
                             _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, d), _mm_xor_si128(aLo, full)));
  __m128i hi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, s), aHi),
                             _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, d), _mm_xor_si128(aHi, full)));
  return _mm_packus_epi16(lo, hi);
}

inline uint32_t BlendOne(uint32_t c, uint32_t d) {
  __m128i r =
      Blend4(_mm_cvtsi32_si128(static_cast<int>(c)), _mm_cvtsi32_si128(static_cast<int>(d)));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(r));
}

void BlendSse2(uint32_t* dst, const uint32_t* src, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(dst + i, Blend4(Load(src + i), Load(dst + i)));
  for (; i < n; ++i) dst[i] = BlendOne(src[i], dst[i]);
}

void BlurBlendSse2(uint32_t* dst, const uint32_t* const* rows, int kCount, uint32_t step,
                   int full) {
  int x = 0;
  for (; x + 4 <= full; x += 4) {
    __m128i d = Load(dst + x);
    uint32_t sub = 0;
    for (int k = 1; k <= kCount; ++k) {
      sub += step;
      d = Blend4(_mm_sub_epi32(Load(rows[k - 1] + x + k), _mm_set1_epi32(int32_t(sub))), d);
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

// 32-bit lane products (low halves) from the two 64-bit multiplies.
inline __m128i MulLo32(__m128i a, __m128i b) {
  __m128i even = _mm_mul_epu32(a, b);
  __m128i odd = _mm_mul_epu32(_mm_srli_si128(a, 4), _mm_srli_si128(b, 4));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

inline __m128i Hash4(__m128i i) {
  __m128i x = MulLo32(i, _mm_set1_epi32(int32_t(0x9E3779B9u)));
  x = _mm_xor_si128(x, _mm_srli_epi32(x, 16));
  x = MulLo32(x, _mm_set1_epi32(int32_t(0x85EBCA6Bu)));
  x = _mm_xor_si128(x, _mm_srli_epi32(x, 13));
  x = MulLo32(x, _mm_set1_epi32(int32_t(0xC2B2AE35u)));
  return _mm_xor_si128(x, _mm_srli_epi32(x, 16));
}

inline __m128i Brus4Pixels(__m128i v, __m128i r) {
  const __m128i zero = _mm_setzero_si128();
  r = _mm_and_si128(r, _mm_set1_epi32(0x00FFFFFF));
  __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(v, zero), _mm_unpacklo_epi8(zero, r));
  __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(v, zero), _mm_unpackhi_epi8(zero, r));
  return _mm_packus_epi16(lo, hi);
}

void Brus4Sse2(uint32_t* p, int n, uint32_t counter) {
  __m128i idx = _mm_add_epi32(_mm_set1_epi32(int32_t(counter)), _mm_setr_epi32(0, 1, 2, 3));
  const __m128i four = _mm_set1_epi32(4);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    Store(p + i, Brus4Pixels(Load(p + i), Hash4(idx)));
    idx = _mm_add_epi32(idx, four);
  }
  for (; i < n; ++i) {
    __m128i one = _mm_cvtsi32_si128(static_cast<int>(counter + uint32_t(i)));
    __m128i v = _mm_cvtsi32_si128(static_cast<int>(p[i]));
    p[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(Brus4Pixels(v, Hash4(one))));
  }
}

const RowKernels kSse2 = {BlendSse2, BlurBlendSse2, Brus4Sse2};

}  // namespace

const RowKernels* Sse2KernelTable() {
  return &kSse2;
}

}  // namespace raster

#else

namespace raster {
const RowKernels* Sse2KernelTable() {
  return nullptr;
}
}  // namespace raster

#endif
