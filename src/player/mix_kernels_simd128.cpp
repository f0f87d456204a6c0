// The mixer kernels on WebAssembly's 128-bit vectors, for the browser build
// (which is compiled with them enabled): four frames of a voice per step, as
// the SSE2 version does. There is no gather: each frame's pair of neighbouring
// sample values, i and i + 1, comes in as one 32-bit lane load. The 32.32
// positions of the four frames sit in two 64-bit vectors, whose low words give
// the interpolation weights. The sums into the buffer are formed in double
// precision, one frame (left and right) per instruction: the float lanes are
// widened exactly and the sum narrowed once, rounding to nearest like the
// plain kernels' conversion. Frames after the last full step go through the
// plain kernels.
#include "mix_kernels.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>

namespace {

constexpr float mix_1over2gig = 1.0f / 2147483648.0f;

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

// out[0], out[1] += v x gains, in double precision. `v` holds the frame's
// value in both of its low lanes, `gains` the left and right gains in its low
// lanes.
inline void AddFrame(float* out, v128_t v, v128_t gains) {
  const v128_t o = wasm_f64x2_promote_low_f32x4(wasm_v128_load64_zero(out));
  const v128_t product =
      wasm_f64x2_mul(wasm_f64x2_promote_low_f32x4(v), wasm_f64x2_promote_low_f32x4(gains));
  wasm_v128_store64_lane(out, wasm_f32x4_demote_f64x2_zero(wasm_f64x2_add(o, product)), 0);
}

// Frame k's value of a step, twice.
template <int k>
inline v128_t Frame(v128_t v) {
  return wasm_i32x4_shuffle(v, v, k, k, k, k);
}

uint64_t MixSteadySimd128(const int16_t* data, uint64_t pos, uint64_t delta, const float* fixed,
                          const float* lastGains, float* out, int count) {
  const v128_t gains = wasm_f32x4_make(fixed[0], fixed[1], 0.0f, 0.0f);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const v128_t v = Interpolate4(data, pos, delta, p.Low());
    AddFrame(out + 2 * k, Frame<0>(v), gains);
    AddFrame(out + 2 * k + 2, Frame<1>(v), gains);
    AddFrame(out + 2 * k + 4, Frame<2>(v), gains);
    AddFrame(out + 2 * k + 6, Frame<3>(v), gains);
    pos += 4 * delta;
    p.Next();
  }
  return MixSteadyPlain(data, pos, delta, fixed, lastGains, out + 2 * k, count - k);
}

uint64_t MixRampSimd128(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                        const float* steps, float* out, int count) {
  // Left and right gains side by side; each frame uses them, then adds the
  // steps in single precision.
  v128_t g = wasm_f32x4_make(gains[0], gains[1], 0.0f, 0.0f);
  const v128_t step = wasm_f32x4_make(steps[0], steps[1], 0.0f, 0.0f);
  Positions4 p(pos, delta);
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const v128_t v = Interpolate4(data, pos, delta, p.Low());
    AddFrame(out + 2 * k, Frame<0>(v), g);
    g = wasm_f32x4_add(g, step);
    AddFrame(out + 2 * k + 2, Frame<1>(v), g);
    g = wasm_f32x4_add(g, step);
    AddFrame(out + 2 * k + 4, Frame<2>(v), g);
    g = wasm_f32x4_add(g, step);
    AddFrame(out + 2 * k + 6, Frame<3>(v), g);
    g = wasm_f32x4_add(g, step);
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
