// Row kernels on WebAssembly's 128-bit vectors, for the browser build (which
// is compiled with them enabled; every current browser runs them). Four pixels
// at a time, with the rule's rounding exactly: the widening multiply of two
// byte vectors gives each 8x8-bit product whole in a 16-bit lane, and a
// logical shift right by 8 is the rule's >> 8. The weight lanes are built by a
// byte shuffle from the source pixel, with 0 in the lane of the weight byte
// itself, so the blended weight byte comes out 0 without masking. Sums stay
// <= 254, so narrowing back to bytes is exact.
#include "kernels.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>

namespace raster {
namespace {

inline v128_t Load(const uint32_t* p) {
  return wasm_v128_load(p);
}

inline void Store(uint32_t* p, v128_t v) {
  wasm_v128_store(p, v);
}

// (x * y) >> 8 for each byte pair, as eight 16-bit lanes per half.
inline v128_t ScaledLow(v128_t x, v128_t y) {
  return wasm_u16x8_shr(wasm_u16x8_extmul_low_u8x16(x, y), 8);
}

inline v128_t ScaledHigh(v128_t x, v128_t y) {
  return wasm_u16x8_shr(wasm_u16x8_extmul_high_u8x16(x, y), 8);
}

inline v128_t Blend4(v128_t s, v128_t d) {
  const v128_t zero = wasm_i32x4_splat(0);
  // Lane 16 is the first byte of `zero`.
  const v128_t a =
      wasm_i8x16_shuffle(s, zero, 3, 3, 3, 16, 7, 7, 7, 16, 11, 11, 11, 16, 15, 15, 15, 16);
  const v128_t na = wasm_v128_xor(a, wasm_i32x4_splat(0x00FFFFFF));
  const v128_t lo = wasm_i16x8_add(ScaledLow(s, a), ScaledLow(d, na));
  const v128_t hi = wasm_i16x8_add(ScaledHigh(s, a), ScaledHigh(d, na));
  return wasm_u8x16_narrow_i16x8(lo, hi);
}

// Scalar tails, the same rule as store.h.
inline uint32_t BlendOne(uint32_t c, uint32_t d) {
  uint32_t a = c >> 24, na = 255 - a;
  return (((c & 0xFF) * a) >> 8) + (((d & 0xFF) * na) >> 8) +
         (((((c >> 8) & 0xFF) * a) >> 8) << 8) + (((((d >> 8) & 0xFF) * na) >> 8) << 8) +
         (((((c >> 16) & 0xFF) * a) >> 8) << 16) + (((((d >> 16) & 0xFF) * na) >> 8) << 16);
}

inline uint32_t BrusOne(uint32_t v, uint32_t r) {
  return (((v & 0xFF) * (r & 0xFF)) >> 8) | ((((v >> 8) & 0xFF) * ((r >> 8) & 0xFF)) & 0xFF00) |
         (((((v >> 16) & 0xFF) * ((r >> 16) & 0xFF)) << 8) & 0xFF0000);
}

void BlendSimd128(uint32_t* dst, const uint32_t* src, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(dst + i, Blend4(Load(src + i), Load(dst + i)));
  for (; i < n; ++i) dst[i] = BlendOne(src[i], dst[i]);
}

// Each destination pixel folds its kCount contributions in order k = 1, 2, ...
// with the destination kept in a register.
void BlurBlendSimd128(uint32_t* dst, const uint32_t* const* rows, int kCount, uint32_t step,
                      int full) {
  int x = 0;
  for (; x + 4 <= full; x += 4) {
    v128_t d = Load(dst + x);
    uint32_t sub = 0;
    for (int k = 1; k <= kCount; ++k) {
      sub += step;
      d = Blend4(wasm_i32x4_sub(Load(rows[k - 1] + x + k), wasm_u32x4_splat(sub)), d);
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

inline v128_t Hash4(v128_t i) {
  v128_t x = wasm_i32x4_mul(i, wasm_u32x4_splat(0x9E3779B9u));
  x = wasm_v128_xor(x, wasm_u32x4_shr(x, 16));
  x = wasm_i32x4_mul(x, wasm_u32x4_splat(0x85EBCA6Bu));
  x = wasm_v128_xor(x, wasm_u32x4_shr(x, 13));
  x = wasm_i32x4_mul(x, wasm_u32x4_splat(0xC2B2AE35u));
  return wasm_v128_xor(x, wasm_u32x4_shr(x, 16));
}

// The factor's weight byte is cleared, so the pixel's weight byte becomes 0.
inline v128_t Brus4Pixels(v128_t v, v128_t r) {
  r = wasm_v128_and(r, wasm_i32x4_splat(0x00FFFFFF));
  return wasm_u8x16_narrow_i16x8(ScaledLow(v, r), ScaledHigh(v, r));
}

void Brus4Simd128(uint32_t* p, int n, uint32_t counter) {
  v128_t idx = wasm_i32x4_add(wasm_u32x4_splat(counter), wasm_i32x4_make(0, 1, 2, 3));
  const v128_t four = wasm_i32x4_splat(4);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    Store(p + i, Brus4Pixels(Load(p + i), Hash4(idx)));
    idx = wasm_i32x4_add(idx, four);
  }
  for (; i < n; ++i) p[i] = BrusOne(p[i], NoiseHash(counter + static_cast<uint32_t>(i)));
}

const RowKernels kSimd128 = {BlendSimd128, BlurBlendSimd128, Brus4Simd128};

}  // namespace

const RowKernels* Simd128KernelTable() {
  return &kSimd128;
}

}  // namespace raster

#else

namespace raster {
const RowKernels* Simd128KernelTable() {
  return nullptr;
}
}  // namespace raster

#endif
