// Sample: volume scaling and saving to raw files.
#include <cmath>
#include <cstdio>
#include <new>

#include "sample.h"

namespace {

// Truncates toward zero and saturates to lo..hi; a value that is not a number becomes 0.
template <typename Real>
int16_t TruncSaturate(Real v, int lo, int hi) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<Real>(hi)) return static_cast<int16_t>(hi);
  if (v <= static_cast<Real>(lo)) return static_cast<int16_t>(lo);
  return static_cast<int16_t>(static_cast<int>(v));
}

}  // namespace

void Sample::Volume(double gain) {
  if (data == nullptr) return;
  int16_t* scaled = new (std::nothrow) int16_t[length];
  if (scaled == nullptr) return;
  for (uint32_t u = 0; u < length; ++u) {
    scaled[u] = TruncSaturate(gain * data[u] + 0.5, -32767, 32767);
  }
  Replace(scaled, length);
  std::printf("Stora: %d\nSma:  %d\n", 0, 0);
}

void Sample::Volume(float start, float end) {
  if (data == nullptr) return;
  const long double len = length;
  for (uint32_t u = 0; u < length; ++u) {
    const long double s = data[u];
    const long double v = s * start * (len - u) / len + s * end * u / len;
    data[u] = TruncSaturate(v, -32768, 32767);
  }
}

bool Sample::Save(const char* filename) {
  if (filename == nullptr) return false;
  std::FILE* f = std::fopen(filename, "wb");
  if (f == nullptr) return false;

  // Written byte by byte in little-endian order so the file is the same on every host.
  bool ok = true;
  unsigned char chunk[4096];
  uint32_t u = 0;
  while (ok && u < length) {
    size_t bytes = 0;
    for (; u < length && bytes + 2 <= sizeof chunk; ++u) {
      const uint16_t word = static_cast<uint16_t>(data[u]);
      chunk[bytes++] = static_cast<unsigned char>(word & 0xFF);
      chunk[bytes++] = static_cast<unsigned char>(word >> 8);
    }
    ok = std::fwrite(chunk, 1, bytes, f) == bytes;
  }
  if (std::fclose(f) != 0) ok = false;
  if (!ok) return false;
  std::printf("Saving: %s\nlen: %u\n", filename, length);
  return true;
}
