// The two rectangle copies. Each destination row is split into the columns
// whose source lies outside this surface (they read as 0) and the run whose
// source lies inside; runs go through the row kernels. When source and
// destination share memory the copy falls back to the pixel-by-pixel order
// of the rule (increasing rows, then columns), whose result with an overlap
// depends on that order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image32.h"
#include "kernels.h"
#include "store.h"

namespace {

// Source word transform of the weighted copy: weight byte scaled by k/256.
inline uint32_t ScaleWeight(uint32_t p, uint32_t k) {
  return ((((p >> 24) * k) >> 8) << 24) | (p & 0xFFFFFF);
}

bool Overlap(const Image32& a, const Image32& b) {
  if (a.pixels == nullptr || b.pixels == nullptr) return false;
  const uint32_t* aEnd = a.pixels + static_cast<size_t>(a.width) * a.height;
  const uint32_t* bEnd = b.pixels + static_cast<size_t>(b.width) * b.height;
  return a.pixels < bEnd && b.pixels < aEnd;
}

struct Rect {
  int64_t sx, sy, dx, dy, w, h;
};

// The rule as written, one pixel at a time.
template <bool kScaled>
void BlitPixels(Image32& src, Image32& dst, const Rect& r, uint32_t k) {
  uint8_t mode = alpha;
  // Reads have no effect of their own, so only the pixels that land in dst
  // need visiting.
  int64_t i0 = std::max<int64_t>(0, -r.dx), i1 = std::min<int64_t>(r.w, dst.width - r.dx);
  int64_t j0 = std::max<int64_t>(0, -r.dy), j1 = std::min<int64_t>(r.h, dst.height - r.dy);
  for (int64_t j = j0; j < j1; ++j) {
    for (int64_t i = i0; i < i1; ++i) {
      int64_t x = r.sx + i, y = r.sy + j;
      uint32_t c = raster::Inside(src, x, y) && src.pixels != nullptr
                       ? src.pixels[static_cast<size_t>(y) * src.width + x]
                       : 0;
      if (kScaled) c = ScaleWeight(c, k);
      int64_t tx = r.dx + i, ty = r.dy + j;
      if (dst.pixels != nullptr && raster::Inside(dst, tx, ty))
        raster::Store(&dst.pixels[static_cast<size_t>(ty) * dst.width + tx], c, mode);
    }
  }
}

// Writes the colour of a source pixel outside the surface (0) over n pixels.
void StoreZeros(uint32_t* d, int64_t n, uint8_t mode) {
  for (int64_t i = 0; i < n; ++i) raster::Store(d + i, 0, mode);
}

template <bool kScaled>
void BlitRows(Image32& src, Image32& dst, const Rect& r, uint32_t k) {
  uint8_t mode = alpha;
  if (mode > 1 || dst.pixels == nullptr) return;
  // Destination columns and rows that land inside dst.
  int64_t i0 = std::max<int64_t>(0, -r.dx), i1 = std::min<int64_t>(r.w, dst.width - r.dx);
  int64_t j0 = std::max<int64_t>(0, -r.dy), j1 = std::min<int64_t>(r.h, dst.height - r.dy);
  if (i0 >= i1 || j0 >= j1) return;
  // Of those, the columns whose source column lies inside this surface.
  int64_t s0 = std::clamp<int64_t>(-r.sx, i0, i1),
          s1 = std::clamp<int64_t>(src.width - r.sx, s0, i1);
  const raster::RowKernels& kern = raster::Kernels();
  for (int64_t j = j0; j < j1; ++j) {
    uint32_t* drow = dst.pixels + static_cast<size_t>(r.dy + j) * dst.width + r.dx;
    int64_t y = r.sy + j;
    if (y < 0 || y >= src.height || src.pixels == nullptr) {
      StoreZeros(drow + i0, i1 - i0, mode);
      continue;
    }
    const uint32_t* srow = src.pixels + static_cast<size_t>(y) * src.width + r.sx;
    StoreZeros(drow + i0, s0 - i0, mode);
    int n = static_cast<int>(s1 - s0);
    uint32_t* d = drow + s0;
    const uint32_t* s = srow + s0;
    if (!kScaled && mode == 0) {
      std::memcpy(d, s, sizeof(uint32_t) * n);
    } else if (!kScaled) {
      kern.blend(d, s, n);
    } else if (mode == 0) {
      for (int i = 0; i < n; ++i) d[i] = ScaleWeight(s[i], k);
    } else {
      for (int i = 0; i < n; ++i) d[i] = raster::Blend(ScaleWeight(s[i], k), d[i]);
    }
    StoreZeros(drow + s1, i1 - s1, mode);
  }
}

template <bool kScaled>
void DoBlit(Image32& src, Image32& dst, int sx, int sy, int dx, int dy, int w, int h, uint32_t k) {
  if (w == 0) w = src.width;
  if (h == 0) h = src.height;
  if (w <= 0 || h <= 0) return;
  Rect r{sx, sy, dx, dy, w, h};
  if (Overlap(src, dst)) {
    BlitPixels<kScaled>(src, dst, r, k);
  } else {
    BlitRows<kScaled>(src, dst, r, k);
  }
  // The working colour ends as the last source word read.
  uint32_t last = src.Get(static_cast<int>(std::min<int64_t>(r.sx + r.w - 1, INT32_MAX)),
                          static_cast<int>(std::min<int64_t>(r.sy + r.h - 1, INT32_MAX)));
  if (r.sx + r.w - 1 > INT32_MAX || r.sy + r.h - 1 > INT32_MAX) last = 0;
  color = kScaled ? ScaleWeight(last, k) : last;
}

}  // namespace

void Image32::Blit(Image32& dst, int sx, int sy, int dx, int dy, int w, int h) {
  DoBlit<false>(*this, dst, sx, sy, dx, dy, w, h, 0);
}

void Image32::Blit(Image32& dst, int sx, int sy, int dx, int dy, int w, int h, unsigned char k) {
  DoBlit<true>(*this, dst, sx, sy, dx, dy, w, h, k);
}
