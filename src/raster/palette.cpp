// Palette gradient and rotation.
#include "palette.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

void Palette::Set(Palette& src) {
  if (&src != this) std::memcpy(data, src.data, sizeof data);
}

void Palette::Fill(int from, int to, int c1, int c2) {
  if (from >= to) return;
  const int64_t span = (int64_t{to} - 1) - from;  // D; 0 for a single entry
  int64_t lo = std::max<int64_t>(from, 0), hi = std::min<int64_t>(to, 256);
  for (int64_t i = lo; i < hi; ++i) {
    double t = span == 0 ? 0.0 : static_cast<double>(i - from) / static_cast<double>(span);
    uint32_t entry = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      int s = (c1 >> shift) & 0xFF;
      int d = ((c2 >> shift) & 0xFF) - s;
      int v = static_cast<int>(std::trunc(d * t)) + s;
      entry |= static_cast<uint32_t>(v & 0xFF) << shift;
    }
    data[i] = entry;
  }
}

void Palette::Rotate(int n) {
  int shift = ((n % 256) + 256) % 256;
  if (shift == 0) return;
  uint32_t old[256];
  std::memcpy(old, data, sizeof old);
  for (int i = 0; i < 256; ++i) data[i] = old[(i - shift + 256) % 256];
}
