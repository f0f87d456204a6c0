// The mixer kernels in 256-bit AVX2: eight frames of a voice per step. Only
// these functions are compiled for that instruction set (target attribute, and
// not FMA: a fused multiply-add would round differently from the plain
// kernels), so the rest of the player stays portable x86-64; the table is
// handed out only after a run-time check (mix_kernels.cpp).
//
// One step works on the eight frames in the lane order 0 2 1 3 | 4 6 5 7:
// each 128-bit half holds four consecutive frames, and widening a half to
// doubles gives v0 v2 v1 v3, from which the in-lane unpacks make v0 v0 v1 v1
// and v2 v2 v3 v3, the multipliers of two frames' left and right values. The
// 64-bit positions sit in two registers, frames 0 2 4 6 and 1 3 5 7, so that
// one shuffle each brings their low words (the fractions) and high words (the
// sample indices) into that order.
//
// When the voice moves at most one sample value per frame, the eight frames'
// indices lie within eight values of the lowest one: the values from there
// and from one further, widened to 32 bits, are permuted into place. Faster
// voices gather one 32-bit word per frame holding value i and i + 1. The sums
// into the buffer are formed in double precision, two frames per instruction.
// Frames after the last full step go through the plain kernels.
#include "mix_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

#define VF_AVX2 __attribute__((target("avx2")))

constexpr float mix_1over2gig = 1.0f / 2147483648.0f;
constexpr uint64_t kOneValue = uint64_t{1} << 32;

// Positions of the eight frames of a step: frames 0 2 4 6 and 1 3 5 7.
struct Positions8 {
  __m256i even;
  __m256i odd;
  __m256i advance;
};

VF_AVX2 inline Positions8 StartPositions(uint64_t pos, uint64_t delta) {
  auto at = [&](uint64_t k) { return static_cast<int64_t>(pos + k * delta); };
  return {_mm256_setr_epi64x(at(0), at(2), at(4), at(6)),
          _mm256_setr_epi64x(at(1), at(3), at(5), at(7)),
          _mm256_set1_epi64x(static_cast<int64_t>(8 * delta))};
}

VF_AVX2 inline void NextPositions(Positions8& p) {
  p.even = _mm256_add_epi64(p.even, p.advance);
  p.odd = _mm256_add_epi64(p.odd, p.advance);
}

// Low (kSelector 0x88) or high (0xDD) words of the eight positions, in the
// lane order 0 2 1 3 | 4 6 5 7.
template <int kSelector>
VF_AVX2 inline __m256i Words(const Positions8& p) {
  return _mm256_castps_si256(
      _mm256_shuffle_ps(_mm256_castsi256_ps(p.even), _mm256_castsi256_ps(p.odd), kSelector));
}

// Interpolates eight frames from their sample values i and i + 1.
VF_AVX2 inline __m256 Interpolate8(__m256i s0i, __m256i s1i, const Positions8& p) {
  const __m256 t = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(Words<0x88>(p), 1)),
                                 _mm256_set1_ps(mix_1over2gig));
  const __m256 s0 = _mm256_cvtepi32_ps(s0i);
  const __m256 s1 = _mm256_cvtepi32_ps(s1i);
  return _mm256_add_ps(s0, _mm256_mul_ps(_mm256_sub_ps(s1, s0), t));
}

// How a step fetches its sample values, chosen per run by the step size.
enum class Fetch {
  kPermute,  // at most one value per frame: one window of eight values
  kShuffle,  // less than two values per frame: a window of eight per half
  kGather,   // faster voices
};

// Where the fetch looks, fixed for a run: the offsets from frame 0's
// position of the lowest position of the step and of each half (frames 0 and
// 4 moving forward, 7, 3 and 7 backward), and the index gathers count from.
struct FetchPlan {
  uint64_t lowest;
  uint64_t lowHalf;
  uint64_t highHalf;
  bool backward;
  uint32_t first;
};

VF_AVX2 inline FetchPlan PlanFetch(uint64_t pos, uint64_t delta) {
  const bool backward = static_cast<int64_t>(delta) < 0;
  return {backward ? 7 * delta : 0, backward ? 3 * delta : 0, backward ? 7 * delta : 4 * delta,
          backward, static_cast<uint32_t>(pos >> 32)};
}

// The interpolated values of one step, in lane order. `pos` is frame 0's position.
template <Fetch kFetch>
VF_AVX2 inline __m256 Step8(const int16_t* data, uint64_t pos, const FetchPlan& plan,
                            const Positions8& p) {
  const __m256i index = Words<0xDD>(p);
  if constexpr (kFetch == Fetch::kPermute) {
    // Eight values from the lowest index hold every frame's value i, the
    // eight after them every value i + 1.
    const uint32_t base = static_cast<uint32_t>((pos + plan.lowest) >> 32);
    const __m256i offset = _mm256_sub_epi32(index, _mm256_set1_epi32(static_cast<int32_t>(base)));
    const __m256i here =
        _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base)));
    const __m256i next =
        _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base + 1)));
    return Interpolate8(_mm256_permutevar8x32_epi32(here, offset),
                        _mm256_permutevar8x32_epi32(next, offset), p);
  }
  // One 32-bit word per frame holds value i (low half) and i + 1 (high half).
  __m256i pairs;
  if constexpr (kFetch == Fetch::kShuffle) {
    // Each half loads eight values from its lowest index, which in lane order
    // is its first element moving forward and its last moving backward; a
    // frame r values above it takes bytes 2r .. 2r + 3 (r <= 6).
    const uint32_t low = static_cast<uint32_t>((pos + plan.lowHalf) >> 32);
    const uint32_t high = static_cast<uint32_t>((pos + plan.highHalf) >> 32);
    const __m256i values = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + low))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + high)), 1);
    const __m256i lowest =
        plan.backward ? _mm256_shuffle_epi32(index, 0xFF) : _mm256_shuffle_epi32(index, 0x00);
    const __m256i r = _mm256_sub_epi32(index, lowest);
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 0,
                                            0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12);
    const __m256i bytes = _mm256_add_epi8(_mm256_shuffle_epi8(_mm256_add_epi32(r, r), spread),
                                          _mm256_set1_epi32(0x03020100));
    pairs = _mm256_shuffle_epi8(values, bytes);
  } else {
    const __m256i offset =
        _mm256_sub_epi32(index, _mm256_set1_epi32(static_cast<int32_t>(plan.first)));
    pairs = _mm256_i32gather_epi32(reinterpret_cast<const int*>(data + plan.first), offset, 2);
  }
  return Interpolate8(_mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16),
                      _mm256_srai_epi32(pairs, 16), p);
}

// out[0..3] += the two frames' values times their gains, in double precision.
// `values` holds v0, v0, v1, v1; `gains` left and right of each frame.
VF_AVX2 inline void AddTwoFrames(float* out, __m256d values, __m256d gains) {
  const __m256d o = _mm256_cvtps_pd(_mm_loadu_ps(out));
  _mm_storeu_ps(out, _mm256_cvtpd_ps(_mm256_add_pd(o, _mm256_mul_pd(values, gains))));
}

// The values of a step as doubles for the frames 0 1 (kPair 0), 2 3, 4 5 and
// 6 7, each twice.
template <int kPair>
VF_AVX2 inline __m256d TwoFrames(__m256 v) {
  const __m256d d =
      _mm256_cvtps_pd(kPair < 2 ? _mm256_castps256_ps128(v) : _mm256_extractf128_ps(v, 1));
  return kPair % 2 == 0 ? _mm256_unpacklo_pd(d, d) : _mm256_unpackhi_pd(d, d);
}

template <Fetch kFetch>
VF_AVX2 uint64_t SteadySteps(const int16_t* data, uint64_t pos, uint64_t delta, const float* fixed,
                             float* out, int groups) {
  const __m256d gains = _mm256_setr_pd(fixed[0], fixed[1], fixed[0], fixed[1]);
  const FetchPlan plan = PlanFetch(pos, delta);
  Positions8 p = StartPositions(pos, delta);
  for (int s = 0; s < groups; ++s) {
    const __m256 v = Step8<kFetch>(data, pos, plan, p);
    AddTwoFrames(out, TwoFrames<0>(v), gains);
    AddTwoFrames(out + 4, TwoFrames<1>(v), gains);
    AddTwoFrames(out + 8, TwoFrames<2>(v), gains);
    AddTwoFrames(out + 12, TwoFrames<3>(v), gains);
    out += 16;
    pos += 8 * delta;
    NextPositions(p);
  }
  return pos;
}

// Gains of two frames, [left, right] of the first then the second, as
// doubles; `g` moves on by two steps.
VF_AVX2 inline __m256d RampGains(__m128& g, __m128 step) {
  const __m128 first = g;
  const __m128 second = _mm_add_ps(first, step);
  g = _mm_add_ps(second, step);
  return _mm256_cvtps_pd(_mm_movelh_ps(first, second));
}

template <Fetch kFetch>
VF_AVX2 uint64_t RampSteps(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                           const float* steps, float* out, int groups) {
  __m128 g = _mm_setr_ps(gains[0], gains[1], 0.0f, 0.0f);
  const __m128 step = _mm_setr_ps(steps[0], steps[1], 0.0f, 0.0f);
  const FetchPlan plan = PlanFetch(pos, delta);
  Positions8 p = StartPositions(pos, delta);
  for (int s = 0; s < groups; ++s) {
    const __m256 v = Step8<kFetch>(data, pos, plan, p);
    AddTwoFrames(out, TwoFrames<0>(v), RampGains(g, step));
    AddTwoFrames(out + 4, TwoFrames<1>(v), RampGains(g, step));
    AddTwoFrames(out + 8, TwoFrames<2>(v), RampGains(g, step));
    AddTwoFrames(out + 12, TwoFrames<3>(v), RampGains(g, step));
    out += 16;
    pos += 8 * delta;
    NextPositions(p);
  }
  _mm_storel_pi(reinterpret_cast<__m64*>(gains), g);
  return pos;
}

// The fetch for a run: by the step's size in either direction.
inline Fetch FetchFor(uint64_t delta) {
  const uint64_t size = static_cast<int64_t>(delta) < 0 ? 0 - delta : delta;
  return size <= kOneValue      ? Fetch::kPermute
         : size < 2 * kOneValue ? Fetch::kShuffle
                                : Fetch::kGather;
}

VF_AVX2 uint64_t MixSteadyAvx2(const int16_t* data, uint64_t pos, uint64_t delta,
                               const float* gains, const float* lastGains, float* out, int count) {
  const int groups = count / 8;
  switch (FetchFor(delta)) {
    case Fetch::kPermute:
      pos = SteadySteps<Fetch::kPermute>(data, pos, delta, gains, out, groups);
      break;
    case Fetch::kShuffle:
      pos = SteadySteps<Fetch::kShuffle>(data, pos, delta, gains, out, groups);
      break;
    case Fetch::kGather:
      pos = SteadySteps<Fetch::kGather>(data, pos, delta, gains, out, groups);
      break;
  }
  return MixSteadyPlain(data, pos, delta, gains, lastGains, out + 16 * groups, count - 8 * groups);
}

VF_AVX2 uint64_t MixRampAvx2(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                             const float* steps, float* out, int count) {
  const int groups = count / 8;
  switch (FetchFor(delta)) {
    case Fetch::kPermute:
      pos = RampSteps<Fetch::kPermute>(data, pos, delta, gains, steps, out, groups);
      break;
    case Fetch::kShuffle:
      pos = RampSteps<Fetch::kShuffle>(data, pos, delta, gains, steps, out, groups);
      break;
    case Fetch::kGather:
      pos = RampSteps<Fetch::kGather>(data, pos, delta, gains, steps, out, groups);
      break;
  }
  return MixRampPlain(data, pos, delta, gains, steps, out + 16 * groups, count - 8 * groups);
}

// As the SSE2 version (mix_kernels_sse2.cpp), eight values at a time.
VF_AVX2 inline __m256i Clip8(__m256 x) {
  const __m256i bits = _mm256_castps_si256(x);
  const __m256i magnitude = _mm256_and_si256(bits, _mm256_set1_epi32(0x7FFFFFFF));
  const __m256i large = _mm256_cmpgt_epi32(magnitude, _mm256_set1_epi32(0x46FFFFFF));
  const __m256i bound = _mm256_xor_si256(_mm256_srai_epi32(bits, 31), _mm256_set1_epi32(0x7FFF));
  return _mm256_blendv_epi8(_mm256_cvtps_epi32(x), bound, large);
}

VF_AVX2 void ClipAvx2(int16_t* destination, const float* source, int values) {
  int i = 0;
  for (; i + 16 <= values; i += 16) {
    const __m256i a = Clip8(_mm256_loadu_ps(source + i));
    const __m256i b = Clip8(_mm256_loadu_ps(source + i + 8));
    // The pack works within 128-bit halves: put the quarters back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + i), packed);
  }
  ClipPlain(destination + i, source + i, values - i);
}

const MixKernels kAvx2 = {MixSteadyAvx2, MixRampAvx2, ClipAvx2};

}  // namespace

const MixKernels* Avx2MixKernelTable() {
  return &kAvx2;
}

#else

const MixKernels* Avx2MixKernelTable() {
  return nullptr;
}

#endif
