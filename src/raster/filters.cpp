// Whole-surface filters: the 1-bit picture expansion, the diagonal blur trail
// and the noise.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image32.h"
#include "kernels.h"
#include "noise.h"
#include "store.h"

namespace raster {
namespace {
uint32_t noiseIndex = 0;  // the noise stream's position, the filter's only state
}  // namespace

uint32_t NoiseWord(uint32_t index) {
  return NoiseHash(index);
}
uint32_t NoiseState() {
  return noiseIndex;
}
void SetNoiseState(uint32_t index) {
  noiseIndex = index;
}

}  // namespace raster

void Image32::GenH(const uint32_t* bits, int w, int h, int colour) {
  Init(w, h);
  uint32_t rgb = static_cast<uint32_t>(colour) & 0xFFFFFF;
  size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < n; ++i) {
    // No picture counts as all bits clear, so no pixel is left undefined.
    uint32_t bit = bits != nullptr ? (bits[i >> 5] >> (31 - (i & 31))) & 1 : 0;
    pixels[i] = (bit ? 0xFF000000u : 0u) | rgb;
  }
}

// For a destination pixel (X, Y) the rule's contributions arrive in the order
// k = 1..n from (X + k, Y + k), each stored over the previous one, and every
// pixel is read before it is written. So row Y can be finished on its own,
// top to bottom: it only reads rows below it, which are still untouched.
void Image32::Blur(int n) {
  if (n < 1) return;
  uint32_t step = static_cast<uint32_t>(255 / n) << 24;
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  // The working colour ends as the bottom-right pixel, which no write reaches,
  // with its weight lowered n times.
  uint32_t last = pixels[static_cast<size_t>(height) * width - 1] - step * static_cast<uint32_t>(n);
  uint8_t mode = alpha;
  if (mode <= 1) {
    const raster::RowKernels& kern = raster::Kernels();
    int maxK = static_cast<int>(std::min<int64_t>(n, std::max(width, height)));
    std::vector<const uint32_t*> rows(maxK);
    for (int y = 0; y + 1 < height; ++y) {
      int kCount = std::min(maxK, height - 1 - y);
      uint32_t* dst = pixels + static_cast<size_t>(y) * width;
      for (int k = 1; k <= kCount; ++k) rows[k - 1] = dst + static_cast<size_t>(k) * width;
      // Columns that receive all kCount contributions, then the ones near the
      // right edge that receive fewer.
      int full = std::max(0, width - kCount);
      if (mode == 1) {
        kern.blurBlend(dst, rows.data(), kCount, step, full);
      } else {
        for (int x = 0; x < full; ++x) dst[x] = rows[kCount - 1][x + kCount] - step * kCount;
      }
      for (int x = full; x < width - 1; ++x) {
        int kx = std::min(kCount, width - 1 - x);
        uint32_t d = dst[x];
        for (int k = 1; k <= kx; ++k) raster::Store(&d, rows[k - 1][x + k] - step * k, mode);
        dst[x] = d;
      }
    }
  }
  color = last;
}

void Image32::Brus(int mode) {
  if (mode < 0 || mode > 4 || pixels == nullptr || width <= 0 || height <= 0) return;
  size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  uint32_t counter = raster::NoiseState();
  raster::SetNoiseState(counter + static_cast<uint32_t>(n));
  if (mode == 4) {
    const raster::RowKernels& kern = raster::Kernels();
    for (size_t done = 0; done < n;) {
      int chunk = static_cast<int>(std::min<size_t>(n - done, 1 << 20));
      kern.brus4(pixels + done, chunk, counter + static_cast<uint32_t>(done));
      done += static_cast<size_t>(chunk);
    }
    return;
  }
  // Modes 0..3 keep the rule's mixture of sign-extending and plain shifts.
  for (size_t i = 0; i < n; ++i) {
    uint32_t r = raster::NoiseHash(counter + static_cast<uint32_t>(i));
    uint32_t r1 = r & 0xFF, r2 = (r >> 8) & 0xFF, r3 = (r >> 16) & 0xFF;
    uint32_t p = pixels[i];
    uint32_t g = (static_cast<uint32_t>(static_cast<int32_t>(p | 0xFF00) >> 8) * r2) & 0xFF00;
    uint32_t redSigned = static_cast<uint32_t>(static_cast<int32_t>(p | 0xFF0000) >> 16) * r3;
    uint32_t out;
    if (mode == 0) {
      out =
          static_cast<uint32_t>(static_cast<int32_t>(r1 * (p | 0xFF)) >> 8) | g | (redSigned << 16);
    } else if (mode == 2) {
      out = r1 * (p | 0xFF) | g | (redSigned << 16);
    } else {
      out = ((((p | 0xFF) * r1) >> 8) & 0xFF) | g | ((redSigned << 8) & 0xFF0000);
    }
    pixels[i] = out;
  }
}
