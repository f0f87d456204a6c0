// The mixer kernels in 128-bit SSE2, which every x86-64 processor has: four
// frames of a voice per step. SSE2 has no gather, so the four pairs of
// neighbouring sample values are fetched one 32-bit load each; the
// interpolation runs on four frames at once and the sums into the buffer, in
// double precision, on one frame (left and right) per instruction. Frames
// after the last full step go through the plain kernels.
#include "mix_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include <cstring>

namespace {

constexpr float mix_1over2gig = 1.0f / 2147483648.0f;

// Sample values i and i + 1 in one word: i in the low half.
inline int32_t LoadPair(const int16_t* data, uint64_t pos) {
  int32_t pair;
  std::memcpy(&pair, data + static_cast<uint32_t>(pos >> 32), sizeof pair);
  return pair;
}

// The interpolated values of four frames whose positions are p0 + k x delta.
// `lo` holds the low words of the four positions.
inline __m128 Interpolate4(const int16_t* data, uint64_t p0, uint64_t delta, __m128i lo) {
  const uint64_t p1 = p0 + delta;
  const uint64_t p2 = p1 + delta;
  const uint64_t p3 = p2 + delta;
  const __m128i w01 = _mm_unpacklo_epi32(_mm_cvtsi32_si128(LoadPair(data, p0)),
                                         _mm_cvtsi32_si128(LoadPair(data, p1)));
  const __m128i w23 = _mm_unpacklo_epi32(_mm_cvtsi32_si128(LoadPair(data, p2)),
                                         _mm_cvtsi32_si128(LoadPair(data, p3)));
  const __m128i w = _mm_unpacklo_epi64(w01, w23);
  const __m128 s0 = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(w, 16), 16));
  const __m128 s1 = _mm_cvtepi32_ps(_mm_srai_epi32(w, 16));
  const __m128 t = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(lo, 1)), _mm_set1_ps(mix_1over2gig));
  return _mm_add_ps(s0, _mm_mul_ps(_mm_sub_ps(s1, s0), t));
}

// The low words of two vectors of two 64-bit positions: [a0, a1, b0, b1].
inline __m128i LowWords(__m128i a, __m128i b) {
  return _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

// out[0], out[1] += v x gains, summed in double precision.
inline void AddFrame(float* out, __m128d v, __m128d gains) {
  const __m128d o = _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(out))));
  const __m128 sum = _mm_cvtpd_ps(_mm_add_pd(o, _mm_mul_pd(v, gains)));
  _mm_store_sd(reinterpret_cast<double*>(out), _mm_castps_pd(sum));
}

// v[0], v[0] and v[1], v[1] as doubles.
inline __m128d Frame0(__m128 v) {
  return _mm_cvtps_pd(_mm_unpacklo_ps(v, v));
}
inline __m128d Frame1(__m128 v) {
  const __m128 d = _mm_unpacklo_ps(v, v);
  return _mm_cvtps_pd(_mm_movehl_ps(d, d));
}

// Positions of frames 0, 1 and 2, 3 of a step, and the advance of a step.
struct Positions4 {
  __m128i p01, p23;
  __m128i advance;
  Positions4(uint64_t pos, uint64_t delta)
      : p01(_mm_set_epi64x(static_cast<int64_t>(pos + delta), static_cast<int64_t>(pos))),
        p23(_mm_set_epi64x(static_cast<int64_t>(pos + 3 * delta),
                           static_cast<int64_t>(pos + 2 * delta))),
        advance(_mm_set1_epi64x(static_cast<int64_t>(4 * delta))) {}
  __m128i Low() const { return LowWords(p01, p23); }
  void Next() {
    p01 = _mm_add_epi64(p01, advance);
    p23 = _mm_add_epi64(p23, advance);
  }
};

uint64_t MixSteadySse2(const int16_t* data, uint64_t pos, uint64_t delta, const float* fixed,
                       const float* lastGains, float* out, int count) {
  const __m128d gains = _mm_setr_pd(fixed[0], fixed[1]);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m128 v = Interpolate4(data, pos, delta, p.Low());
    const __m128 v23 = _mm_movehl_ps(v, v);
    AddFrame(out + 2 * k, Frame0(v), gains);
    AddFrame(out + 2 * k + 2, Frame1(v), gains);
    AddFrame(out + 2 * k + 4, Frame0(v23), gains);
    AddFrame(out + 2 * k + 6, Frame1(v23), gains);
    pos += 4 * delta;
    p.Next();
  }
  return MixSteadyPlain(data, pos, delta, fixed, lastGains, out + 2 * k, count - k);
}

uint64_t MixRampSse2(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                     const float* steps, float* out, int count) {
  // Left and right gains side by side; each frame uses them, then adds the steps.
  __m128 g = _mm_setr_ps(gains[0], gains[1], 0.0f, 0.0f);
  const __m128 step = _mm_setr_ps(steps[0], steps[1], 0.0f, 0.0f);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m128 v = Interpolate4(data, pos, delta, p.Low());
    const __m128 v23 = _mm_movehl_ps(v, v);
    AddFrame(out + 2 * k, Frame0(v), _mm_cvtps_pd(g));
    g = _mm_add_ps(g, step);
    AddFrame(out + 2 * k + 2, Frame1(v), _mm_cvtps_pd(g));
    g = _mm_add_ps(g, step);
    AddFrame(out + 2 * k + 4, Frame0(v23), _mm_cvtps_pd(g));
    g = _mm_add_ps(g, step);
    AddFrame(out + 2 * k + 6, Frame1(v23), _mm_cvtps_pd(g));
    g = _mm_add_ps(g, step);
    pos += 4 * delta;
    p.Next();
  }
  _mm_storel_pi(reinterpret_cast<__m64*>(gains), g);
  return MixRampPlain(data, pos, delta, gains, steps, out + 2 * k, count - k);
}

// The processor's conversion rounds to nearest with ties to even; it gives
// INT32_MIN for NaN and magnitudes of 2^31 and more, so magnitudes of 32,768
// and more (NaN too) take the clamp of their sign instead. The saturating
// pack clamps the rest, +32,768 from rounding 32,767.5 included.
inline __m128i Clip4(__m128 x) {
  const __m128i bits = _mm_castps_si128(x);
  const __m128i magnitude = _mm_and_si128(bits, _mm_set1_epi32(0x7FFFFFFF));
  const __m128i large = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x46FFFFFF));  // >= 32768
  const __m128i bound = _mm_xor_si128(_mm_srai_epi32(bits, 31), _mm_set1_epi32(0x7FFF));
  const __m128i rounded = _mm_cvtps_epi32(x);
  return _mm_or_si128(_mm_and_si128(large, bound), _mm_andnot_si128(large, rounded));
}

void ClipSse2(int16_t* destination, const float* source, int values) {
  int i = 0;
  for (; i + 8 <= values; i += 8) {
    const __m128i a = Clip4(_mm_loadu_ps(source + i));
    const __m128i b = Clip4(_mm_loadu_ps(source + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packs_epi32(a, b));
  }
  ClipPlain(destination + i, source + i, values - i);
}

const MixKernels kSse2 = {MixSteadySse2, MixRampSse2, ClipSse2};

}  // namespace

const MixKernels* Sse2MixKernelTable() {
  return &kSse2;
}

#else

const MixKernels* Sse2MixKernelTable() {
  return nullptr;
}

#endif
