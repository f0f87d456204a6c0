// Sample: buffer management, the triangle generator, mixing and the echo builder.
#include "sample.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int32_t kMixLimit = 21000;
constexpr uint64_t kMaxLength = std::numeric_limits<uint32_t>::max();

// Zero-filled buffer of n samples, or null when n is 0 or memory runs out.
int16_t* AllocateZeroed(uint64_t n) {
  if (n == 0 || n > kMaxLength) return nullptr;
  return new (std::nothrow) int16_t[n]();
}

// Adds src[0..n) into dst[0..n) with the mixing saturation.
void MixClamped(int16_t* dst, const int16_t* src, uint32_t n) {
  for (uint32_t u = 0; u < n; ++u) {
    int32_t s = int32_t{dst[u]} + int32_t{src[u]};
    if (s > kMixLimit) s = kMixLimit;
    if (s < -kMixLimit) s = -kMixLimit;
    dst[u] = static_cast<int16_t>(s);
  }
}

}  // namespace

Sample::Sample() : data(nullptr), length(0) {}

Sample::Sample(int n) : data(nullptr), length(0) {
  if (n <= 0) return;
  data = AllocateZeroed(static_cast<uint64_t>(n));
  if (data != nullptr) length = static_cast<uint32_t>(n);
}

Sample::~Sample() {
  delete[] data;
}

void Sample::Replace(int16_t* buffer, uint32_t n) {
  delete[] data;
  data = buffer;
  length = buffer != nullptr ? n : 0;
}

Sample& Sample::operator=(Sample* other) {
  if (other == this) return *this;
  if (other == nullptr || other->length == 0 || other->data == nullptr) {
    Replace(nullptr, 0);
    return *this;
  }
  int16_t* copy = AllocateZeroed(other->length);
  if (copy == nullptr) return *this;
  std::memcpy(copy, other->data, size_t{other->length} * sizeof(int16_t));
  Replace(copy, other->length);
  return *this;
}

void Sample::GenTriWave(int count, int half) {
  if (count <= 0 || half <= 0) {
    Replace(nullptr, 0);
    return;
  }
  const uint64_t n = static_cast<uint64_t>(count) * static_cast<uint64_t>(half);
  int16_t* wave = AllocateZeroed(n);
  if (wave == nullptr) return;

  // The level walks in float so that the turning points and rounding match the classic
  // generator: each slope overshoots its threshold by less than one step.
  const float step = 30001.0f / static_cast<float>(half);
  float v = 0.0f;
  bool up = true;
  for (uint64_t i = 0; i < n; ++i) {
    wave[i] = static_cast<int16_t>(v);
    v = up ? v + step : v - step;
    if (v >= 15000.0f) up = false;
    if (v <= -15000.0f) up = true;
  }
  Replace(wave, static_cast<uint32_t>(n));
}

void Sample::Input(Sample* other, int offset) {
  if (other == nullptr || offset < 0) return;
  const uint32_t add = other->data != nullptr ? other->length : 0;
  const uint64_t end = static_cast<uint64_t>(offset) + add;
  const uint64_t total = end > length ? end : length;
  if (total > kMaxLength) return;
  if (total == 0) return;

  int16_t* mixed = AllocateZeroed(total);
  if (mixed == nullptr) return;
  if (length > 0) std::memcpy(mixed, data, size_t{length} * sizeof(int16_t));
  // `other` may be this sample: its old buffer stays alive until Replace below.
  if (add > 0) MixClamped(mixed + offset, other->data, add);
  Replace(mixed, static_cast<uint32_t>(total));
}

void Sample::Reverb(unsigned int delay, float decay) {
  // With a spacing that never shrinks below 6 the echo chain would not end.
  if (!(decay > 0.0f) && delay > 5) return;

  // First find where every echo goes, then mix them all into one buffer of the final size. Mixing
  // in order of rising offset into one buffer gives the same sums and clamps as growing the
  // result echo by echo, without a reallocation per echo.
  const uint64_t room = kMaxLength - length;
  uint64_t offsets_needed = 0;
  uint64_t offset = 0;
  for (uint32_t n = 1; n <= kMaxEchoes; ++n) {
    const double spacing = std::trunc(delay * std::pow(static_cast<double>(n), -double{decay}));
    if (spacing > static_cast<double>(room - offset)) break;
    offset += static_cast<uint64_t>(spacing);
    ++offsets_needed;
    if (spacing <= 5.0) break;
  }
  if (offsets_needed == 0) return;

  const uint64_t total = length + offset;
  if (total == 0) return;
  int16_t* acc = AllocateZeroed(total);
  if (acc == nullptr) return;
  if (length > 0) std::memcpy(acc, data, size_t{length} * sizeof(int16_t));

  offset = 0;
  for (uint32_t n = 1; n <= offsets_needed; ++n) {
    const double spacing = std::trunc(delay * std::pow(static_cast<double>(n), -double{decay}));
    offset += static_cast<uint64_t>(spacing);
    if (length > 0) MixClamped(acc + offset, data, length);
  }
  Replace(acc, static_cast<uint32_t>(total));
}
