// The plain mixer kernels, which define the arithmetic every vector version
// repeats, and the run-time choice between them and the vector versions of
// mix_kernels_sse2.cpp, mix_kernels_avx2.cpp and mix_kernels_simd128.cpp.
#include "mix_kernels.h"

#include <algorithm>
#include <bit>

const MixKernels* Sse2MixKernelTable();     // mix_kernels_sse2.cpp
const MixKernels* Avx2MixKernelTable();     // mix_kernels_avx2.cpp
const MixKernels* Simd128MixKernelTable();  // mix_kernels_simd128.cpp (WebAssembly)

namespace {

constexpr float mix_1over2gig = 1.0f / 2147483648.0f;

// The sample at a 32.32 position, interpolated linearly between value[i] and
// value[i + 1]; the weight is the top 31 bits of the fraction, which converts
// to float the same way in every version (it is below 2^31).
inline float Interpolate(const int16_t* data, uint64_t pos) {
  const uint32_t i = static_cast<uint32_t>(pos >> 32);
  const float t =
      static_cast<float>(static_cast<int32_t>(static_cast<uint32_t>(pos) >> 1)) * mix_1over2gig;
  const float s0 = data[i];
  const float s1 = data[i + 1];
  return s0 + (s1 - s0) * t;
}

// One voice's contribution to a frame: the sums are formed in double
// precision (the products of two floats are exact there) and rounded back to
// single precision once per voice.
inline void Accumulate(float* out, float v, float left, float right) {
  out[0] = static_cast<float>(static_cast<double>(out[0]) + static_cast<double>(v) * left);
  out[1] = static_cast<float>(static_cast<double>(out[1]) + static_cast<double>(v) * right);
}

const MixKernels kPlain = {MixSteadyPlain, MixRampPlain, ClipPlain};

cpu::KernelChoice<MixKernels>& Choice() {
  static cpu::KernelChoice<MixKernels> choice(&kPlain, Sse2MixKernelTable(), Avx2MixKernelTable(),
                                              Simd128MixKernelTable());
  return choice;
}

}  // namespace

uint64_t MixSteadyPlain(const int16_t* data, uint64_t pos, uint64_t delta, const float* gains,
                        const float* lastGains, float* out, int count) {
  const int pairs = count & ~1;
  for (int k = 0; k < pairs; ++k) {
    Accumulate(out + 2 * k, Interpolate(data, pos), gains[0], gains[1]);
    pos += delta;
  }
  if (count & 1) {
    Accumulate(out + 2 * pairs, Interpolate(data, pos), lastGains[0], lastGains[1]);
    pos += delta;
  }
  return pos;
}

uint64_t MixRampPlain(const int16_t* data, uint64_t pos, uint64_t delta, float* gains,
                      const float* steps, float* out, int count) {
  float left = gains[0];
  float right = gains[1];
  for (int k = 0; k < count; ++k) {
    Accumulate(out + 2 * k, Interpolate(data, pos), left, right);
    left += steps[0];
    right += steps[1];
    pos += delta;
  }
  gains[0] = left;
  gains[1] = right;
  return pos;
}

void ClipPlain(int16_t* destination, const float* source, int values) {
  // Integer operations only: adding 1.5 x 2^23 to a float below 2^22 in
  // magnitude leaves the value rounded to the nearest integer, ties to even,
  // in the low mantissa bits. Magnitudes of 32,768 and more (infinities and
  // NaN too) clamp by their sign; rounding may still reach +-32,768, clamped
  // last.
  constexpr float kRound = 12582912.0f;
  constexpr int32_t kRoundBits = 0x4B400000;
  constexpr int32_t k32768Bits = 0x47000000;
  for (int i = 0; i < values; ++i) {
    const float x = source[i];
    const int32_t bits = std::bit_cast<int32_t>(x);
    // Unsigned, so that the magnitudes the clamp replaces cannot overflow.
    const int32_t rounded =
        static_cast<int32_t>(std::bit_cast<uint32_t>(x + kRound) - uint32_t{kRoundBits});
    const int32_t large = 32767 - ((bits >> 31) & 65535);  // -32768 when negative
    const int32_t isLarge = -static_cast<int32_t>((bits & 0x7FFFFFFF) >= k32768Bits);
    const int32_t v = (large & isLarge) | (rounded & ~isLarge);
    destination[i] = static_cast<int16_t>(std::min(std::max(v, -32768), 32767));
  }
}

const MixKernels* MixKernelTable(KernelSet set) {
  return Choice().Get(set);
}

const MixKernels& CurrentMixKernels() {
  return Choice().Current();
}

bool UseMixKernels(KernelSet set) {
  return Choice().Use(set);
}
