// The pixel store rule, shared by every point-wise writer of the raster
// library. Internal header: not part of the library's interface.
#pragma once

#include <cstdint>

#include "image32.h"

namespace raster {

// Blends colour c over destination d: each channel is (c * a) >> 8 plus
// (d * (255 - a)) >> 8 with a = c's weight byte, each product shifted on its
// own; the result's weight byte is 0. The sum stays <= 254, so no channel
// overflows into its neighbour.
inline uint32_t Blend(uint32_t c, uint32_t d) {
  uint32_t a = c >> 24;
  uint32_t na = 255 - a;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t cc = (c >> shift) & 0xFF;
    uint32_t dc = (d >> shift) & 0xFF;
    out |= (((cc * a) >> 8) + ((dc * na) >> 8)) << shift;
  }
  return out;
}

// Stores c at *p according to `mode` (the value of the global `alpha`):
// 0 replaces, 1 blends, anything else leaves *p alone.
inline void Store(uint32_t* p, uint32_t c, uint8_t mode) {
  if (mode == 0) {
    *p = c;
  } else if (mode == 1) {
    *p = Blend(c, *p);
  }
}

inline bool Inside(const Image32& img, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < img.width && y < img.height;
}

}  // namespace raster
