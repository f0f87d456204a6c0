// The mixer kernels on WebAssembly's 128-bit vectors, for the browser build
// (which is compiled with them enabled): four frames of a voice per step, as
// the SSE2 version does. There is no gather: each frame's pair of neighbouring
// sample values, i and i + 1, comes in as one 32-bit lane load. The 32.32
// positions of the four frames sit in two 64-bit vectors, whose low words give
// the interpolation weights. The sums into the buffer are formed in double
// precision, one frame (left and right) per 64-bit-lane operation: the floats
// are widened exactly and each sum narrowed once, rounding to nearest like
// the plain kernels' conversion. Frames after the last full step go through
// the plain kernels.
#include "mix_kernels.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>

namespace {

constexpr float mix_1over2gig = 1.0f / 2147483648.0f;

// Where the sample values of a position start: value i, the integer part.
inline const int16_t* At(const int16_t* data, uint64_t pos) {
  return data + static_cast<uint32_t>(pos >> 32);
}

// Positions of frames 0, 1 and 2, 3 of a step, and the advance of a step.
struct Positions4 {
  v128_t p01, p23;
  v128_t advance;
  Positions4(uint64_t pos, uint64_t delta)
      : p01(wasm_u64x2_make(pos, pos + delta)),
        p23(wasm_u64x2_make(pos + 2 * delta, pos + 3 * delta)),
        advance(wasm_u64x2_splat(4 * delta)) {}
  // The fractions of the four positions.
  v128_t Low() const { return wasm_i32x4_shuffle(p01, p23, 0, 2, 4, 6); }
  void Next() {
    p01 = wasm_i64x2_add(p01, advance);
    p23 = wasm_i64x2_add(p23, advance);
  }
};

// The interpolated values of four frames whose positions are p0 + k x delta.
inline v128_t Interpolate4(const int16_t* data, uint64_t p0, uint64_t delta, v128_t lo) {
  const uint64_t p1 = p0 + delta;
  const uint64_t p2 = p1 + delta;
  const uint64_t p3 = p2 + delta;
  // One word per frame: value i in the low half, i + 1 in the high half.
  v128_t w = wasm_v128_load32_zero(At(data, p0));
  w = wasm_v128_load32_lane(At(data, p1), w, 1);
  w = wasm_v128_load32_lane(At(data, p2), w, 2);
  w = wasm_v128_load32_lane(At(data, p3), w, 3);
  const v128_t s0 = wasm_f32x4_convert_i32x4(wasm_i32x4_shr(wasm_i32x4_shl(w, 16), 16));
  const v128_t s1 = wasm_f32x4_convert_i32x4(wasm_i32x4_shr(w, 16));
  const v128_t t = wasm_f32x4_mul(wasm_f32x4_convert_i32x4(wasm_u32x4_shr(lo, 1)),
                                  wasm_f32x4_splat(mix_1over2gig));
  return wasm_f32x4_add(s0, wasm_f32x4_mul(wasm_f32x4_sub(s1, s0), t));
}

// out[0..3] += the values of two frames times their gains, in double
// precision: `v` holds the frames' values as v0 v0 v1 v1, `gains` the left
// and right gains of the first frame, then of the second. The whole 128 bits
// are loaded and stored: narrowing only half of them, the compiler would work
// lane by lane.
inline void AddTwoFrames(float* out, v128_t v, v128_t gains) {
  const v128_t o = wasm_v128_load(out);
  const v128_t first = wasm_f64x2_add(
      wasm_f64x2_promote_low_f32x4(o),
      wasm_f64x2_mul(wasm_f64x2_promote_low_f32x4(v), wasm_f64x2_promote_low_f32x4(gains)));
  const v128_t second = wasm_f64x2_add(
      wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(o, o, 2, 3, 2, 3)),
      wasm_f64x2_mul(wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(v, v, 2, 3, 2, 3)),
                     wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(gains, gains, 2, 3, 2, 3))));
  wasm_v128_store(out, wasm_i32x4_shuffle(wasm_f32x4_demote_f64x2_zero(first),
                                          wasm_f32x4_demote_f64x2_zero(second), 0, 1, 4, 5));
}

// The values of frames 0 and 1 (kPair 0) or 2 and 3 (kPair 1) of a step,
// each twice.
template <int kPair>
inline v128_t TwoFrames(v128_t v) {
  return wasm_i32x4_shuffle(v, v, 2 * kPair, 2 * kPair, 2 * kPair + 1, 2 * kPair + 1);
}

uint64_t MixSteadySimd128(const int16_t* data, uint64_t pos, uint64_t delta, const float* fixed,
                          const float* lastGains, float* out, int count) {
  const v128_t gains = wasm_f32x4_make(fixed[0], fixed[1], fixed[0], fixed[1]);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const v128_t v = Interpolate4(data, pos, delta, p.Low());
    AddTwoFrames(out + 2 * k, TwoFrames<0>(v), gains);
    AddTwoFrames(out + 2 * k + 4, TwoFrames<1>(v), gains);
    pos += 4 * delta;
    p.Next();
  }
  return MixSteadyPlain(data, pos, delta, fixed, lastGains, out + 2 * k, count - k);
}

// The gains of two frames, left and right of the first then the second; `g`
// (left and right in its low lanes) moves on by two steps, one at a time in
// single precision.
inline v128_t RampGains(v128_t& g, v128_t step) {
  const v128_t first = g;
  const v128_t second = wasm_f32x4_add(first, step);
  g = wasm_f32x4_add(second, step);
  return wasm_i32x4_shuffle(first, second, 0, 1, 4, 5);
}

uint64_t MixRampSimd128(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                        const float* steps, float* out, int count) {
  v128_t g = wasm_f32x4_make(gains[0], gains[1], 0.0f, 0.0f);
  const v128_t step = wasm_f32x4_make(steps[0], steps[1], 0.0f, 0.0f);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const v128_t v = Interpolate4(data, pos, delta, p.Low());
    AddTwoFrames(out + 2 * k, TwoFrames<0>(v), RampGains(g, step));
    AddTwoFrames(out + 2 * k + 4, TwoFrames<1>(v), RampGains(g, step));
    pos += 4 * delta;
    p.Next();
  }
  wasm_v128_store64_lane(gains, g, 0);
  return MixRampPlain(data, pos, delta, gains, steps, out + 2 * k, count - k);
}

// Rounding to the nearest integer, ties to even, then converting exactly (the
// conversion saturates, and turns NaN into 0). Magnitudes of 32,768 and more,
// NaN and infinities too, take the clamp of their sign instead; the
// saturating narrowing clamps the rest, +32,768 from rounding 32,767.5
// included.
inline v128_t Clip4(v128_t x) {
  const v128_t magnitude = wasm_v128_and(x, wasm_i32x4_splat(0x7FFFFFFF));
  const v128_t large = wasm_i32x4_gt(magnitude, wasm_i32x4_splat(0x46FFFFFF));  // >= 32768
  const v128_t bound = wasm_v128_xor(wasm_i32x4_shr(x, 31), wasm_i32x4_splat(0x7FFF));
  const v128_t rounded = wasm_i32x4_trunc_sat_f32x4(wasm_f32x4_nearest(x));
  return wasm_v128_bitselect(bound, rounded, large);
}

void ClipSimd128(int16_t* destination, const float* source, int values) {
  int i = 0;
  for (; i + 8 <= values; i += 8) {
    const v128_t a = Clip4(wasm_v128_load(source + i));
    const v128_t b = Clip4(wasm_v128_load(source + i + 4));
    wasm_v128_store(destination + i, wasm_i16x8_narrow_i32x4(a, b));
  }
  ClipPlain(destination + i, source + i, values - i);
}

const MixKernels kSimd128 = {MixSteadySimd128, MixRampSimd128, ClipSimd128};

}  // namespace

const MixKernels* Simd128MixKernelTable() {
  return &kSimd128;
}

#else

const MixKernels* Simd128MixKernelTable() {
  return nullptr;
}

#endif
