// Plain reference versions of the raster rules, written pixel by pixel in the
// order the rules give, without clipping or vector paths. The tests run the
// library's operations and these side by side on random surfaces.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "raster/image32.h"
#include "raster/noise.h"

namespace ref {

struct Surface {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  Surface(int ww, int hh) : w(ww), h(hh), px(static_cast<size_t>(ww) * hh) {}
  bool Inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  uint32_t Get(int64_t x, int64_t y) const { return Inside(x, y) ? px[y * w + x] : 0; }
};

inline uint32_t Blend(uint32_t c, uint32_t d) {
  uint32_t a = c >> 24;
  uint32_t b = ((c & 0xFF) * a >> 8) + ((d & 0xFF) * (255 - a) >> 8);
  uint32_t g = (((c >> 8) & 0xFF) * a >> 8) + (((d >> 8) & 0xFF) * (255 - a) >> 8);
  uint32_t r = (((c >> 16) & 0xFF) * a >> 8) + (((d >> 16) & 0xFF) * (255 - a) >> 8);
  return r << 16 | g << 8 | b;
}

inline void Store(Surface& s, int64_t x, int64_t y, uint32_t c, int mode) {
  if (!s.Inside(x, y)) return;
  uint32_t& p = s.px[y * s.w + x];
  if (mode == 0) p = c;
  if (mode == 1) p = Blend(c, p);
}

// Returns the working colour left behind.
inline uint32_t Blit(const Surface& src, Surface& dst, int sx, int sy, int dx, int dy, int w, int h,
                     int mode, int k = -1) {
  if (w == 0) w = src.w;
  if (h == 0) h = src.h;
  uint32_t c = 0xDEADBEEF;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      c = src.Get(sx + i, sy + j);
      if (k >= 0) c = (((c >> 24) * k >> 8) << 24) | (c & 0xFFFFFF);
      Store(dst, dx + i, dy + j, c, mode);
    }
  return c;
}

// Self-copy: source and destination are the same surface.
inline void BlitSelf(Surface& s, int sx, int sy, int dx, int dy, int w, int h, int mode) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) Store(s, dx + i, dy + j, s.Get(sx + i, sy + j), mode);
}

// The blur exactly as the rule walks it: columns outer, rows inner.
inline uint32_t Blur(Surface& s, int n, int mode, uint32_t c) {
  uint32_t step = 255 / n;
  for (int x = 0; x < s.w; ++x)
    for (int y = 0; y < s.h; ++y) {
      c = s.Get(x, y);
      for (int k = 1; k <= n; ++k) {
        c -= step << 24;
        Store(s, x - k, y - k, c, mode);
      }
    }
  return c;
}

inline void Brus(Surface& s, int mode, uint32_t counter) {
  if (mode < 0 || mode > 4) return;
  for (uint32_t& p : s.px) {
    uint32_t r = raster::NoiseWord(counter++);
    uint32_t r1 = r & 0xFF, r2 = (r >> 8) & 0xFF, r3 = (r >> 16) & 0xFF;
    auto sar = [](uint32_t v, int n) {
      return static_cast<uint32_t>(static_cast<int32_t>(v) >> n);
    };
    uint32_t g = (sar(p | 0xFF00, 8) * r2) & 0xFF00;
    switch (mode) {
      case 4:
        p = ((p & 0xFF) * r1 >> 8) | ((((p >> 8) & 0xFF) * r2) & 0xFF00) |
            (((((p >> 16) & 0xFF) * r3) << 8) & 0xFF0000);
        break;
      case 0:
        p = sar(r1 * (p | 0xFF), 8) | g | ((sar(p | 0xFF0000, 16) * r3) << 16);
        break;
      case 2:
        p = r1 * (p | 0xFF) | g | ((sar(p | 0xFF0000, 16) * r3) << 16);
        break;
      default:
        p = (((p | 0xFF) * r1 >> 8) & 0xFF) | g | (((sar(p | 0xFF0000, 16) * r3) << 8) & 0xFF0000);
    }
  }
}

// Unclipped Bresenham: steps through every pixel, inside or not.
inline void Line(Surface& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t c, int mode) {
  int64_t dx = x1 - x0, dy = y1 - y0;
  int64_t ax = std::abs(dx), ay = std::abs(dy);
  int64_t sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  bool yMajor = ax < ay;
  int64_t M = yMajor ? ay : ax, m = yMajor ? ax : ay;
  int64_t e = 2 * m - M, x = x0, y = y0;
  for (int64_t i = 0; i < M; ++i) {
    Store(s, x, y, c, mode);
    while (e >= 0) {
      if (yMajor)
        x += sx;
      else
        y += sy;
      e -= 2 * M;
    }
    if (yMajor)
      y += sy;
    else
      x += sx;
    e += 2 * m;
  }
}

// Unclipped antialiased line of thickness L (L >= 1), colour rgb.
inline void LineAA(Surface& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1, int L, uint32_t rgb,
                   int mode) {
  if (x0 == x1 && y0 == y1) return;
  double slope = double(y1 - y0) / double(x1 - x0);
  bool xMajor = slope >= -1 && slope <= 1;
  int64_t a0 = x0, a1 = x1, b0 = y0;
  if (!xMajor) {
    slope = double(x1 - x0) / double(y1 - y0);
    a0 = y0, a1 = y1, b0 = x0;
  }
  int64_t sa = a0 < a1 ? 1 : -1;
  int64_t base = b0 - L / 2;
  for (int64_t a = a0;; a += sa) {
    double f = slope * double(a - a0);
    int w = static_cast<uint8_t>(static_cast<int>(std::trunc((f - std::trunc(f)) * 255)));
    auto put = [&](double pos, uint32_t weight) {
      int64_t b = static_cast<int64_t>(std::trunc(pos));
      uint32_t c = weight << 24 | rgb;
      if (xMajor)
        Store(s, a, b, c, mode);
      else
        Store(s, b, a, c, mode);
    };
    put(f + base, 255 - w);
    for (int i = 1; i < L; ++i) put(f + base + i, 255);
    put(f + base + L, w);
    if (a == a1) break;
  }
}

inline Surface Random(int w, int h, std::mt19937& rng) {
  Surface s(w, h);
  for (uint32_t& p : s.px) p = rng();
  return s;
}

inline void ToImage(const Surface& s, Image32& img) {
  img.Init(s.w, s.h);
  for (size_t i = 0; i < s.px.size(); ++i) img.pixels[i] = s.px[i];
}

inline bool Same(const Surface& s, const Image32& img) {
  if (s.w != img.width || s.h != img.height) return false;
  for (size_t i = 0; i < s.px.size(); ++i)
    if (s.px[i] != img.pixels[i]) return false;
  return true;
}

}  // namespace ref
