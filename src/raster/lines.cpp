// Plain (Bresenham) and antialiased lines. Both rules step once per pixel of
// the major axis, so a line with far-away end points would take billions of
// steps: here the stepping range is cut to the part of the major axis that
// lies on the surface, and the state at the first visited step is computed in
// closed form, in wide integers, so the pixels inside are exactly those of the
// unclipped rule and nothing overflows.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "image32.h"
#include "store.h"

namespace {

// Steps t in [0, count] whose major coordinate a0 + sa * t lies in [0, size).
bool ClipSteps(int64_t a0, int64_t sa, int64_t size, int64_t count, int64_t& lo, int64_t& hi) {
  if (sa > 0) {
    lo = -a0;
    hi = size - 1 - a0;
  } else {
    lo = a0 - (size - 1);
    hi = a0;
  }
  lo = std::max<int64_t>(lo, 0);
  hi = std::min<int64_t>(hi, count);
  return lo <= hi;
}

void Plot(Image32& img, int64_t x, int64_t y, uint32_t c, uint8_t mode) {
  if (raster::Inside(img, x, y))
    raster::Store(&img.pixels[static_cast<size_t>(y) * img.width + x], c, mode);
}

}  // namespace

// Bresenham with error e = 2m - M, major delta M, minor delta m. After t
// steps the minor coordinate has moved c(t) = floor((2mt + M) / 2M) times and
// the error before the minor test of step t is 2m(t + 1) - M - 2M c(t); the
// products need more than 64 bits for end points at the ends of the int range.
void Image32::Line(int x0, int y0, int x1, int y1) {
  int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  int64_t sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  bool yMajor = ax < ay;
  int64_t M = yMajor ? ay : ax, m = yMajor ? ax : ay;
  uint8_t mode = alpha;
  if (M == 0 || pixels == nullptr || mode > 1) return;
  int64_t a0 = yMajor ? y0 : x0, sa = yMajor ? sy : sx, aSize = yMajor ? height : width;
  int64_t b0 = yMajor ? x0 : y0, sb = yMajor ? sx : sy, bSize = yMajor ? width : height;
  int64_t tLo, tHi;
  if (!ClipSteps(a0, sa, aSize, M - 1, tLo, tHi)) return;

  using Wide = __int128;
  Wide c = (Wide{2} * m * tLo + M) / (Wide{2} * M);
  int64_t e = static_cast<int64_t>(Wide{2} * m * (tLo + 1) - M - Wide{2} * M * c);
  int64_t b = static_cast<int64_t>(b0 + sb * c);  // may lie far outside; still fits
  uint32_t col = color;
  for (int64_t t = tLo; t <= tHi; ++t) {
    int64_t a = a0 + sa * t;
    if (yMajor) {
      Plot(*this, b, a, col, mode);
    } else {
      Plot(*this, a, b, col, mode);
    }
    while (e >= 0) {
      b += sb;
      e -= 2 * M;
    }
    e += 2 * m;
    // Once the minor coordinate has left the surface on its far side it
    // never comes back.
    if ((sb > 0 && b >= bSize) || (sb < 0 && b < 0)) break;
  }
}

// Each major step draws L + 1 pixels across the line from its own f = slope
// * (x - x0), so a step's pixels do not depend on earlier steps and the loop can
// start at the first step on the surface.
void Image32::LineAA(int x0, int y0, int x1, int y1) {
  if (lineSize == 0) lineSize = 1;
  const int64_t L = lineSize, h = L / 2;
  const uint32_t rgb = color & 0xFFFFFF;
  color = rgb;
  int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  uint8_t mode = alpha;
  if ((dx == 0 && dy == 0) || pixels == nullptr || mode > 1) return;

  double slope = static_cast<double>(dy) / static_cast<double>(dx);
  bool xMajor = slope >= -1.0 && slope <= 1.0;
  int64_t a0 = x0, a1 = x1, b0 = y0, aSize = width;
  if (!xMajor) {
    slope = static_cast<double>(dx) / static_cast<double>(dy);
    a0 = y0;
    a1 = y1;
    b0 = x0;
    aSize = height;
  }
  int64_t sa = a0 < a1 ? 1 : -1;
  int64_t count = a1 > a0 ? a1 - a0 : a0 - a1;
  int64_t dLo, dHi;
  if (!ClipSteps(a0, sa, aSize, count, dLo, dHi)) return;
  const double base = static_cast<double>(b0 - h);

  // |f| + |base| + L stays below 2^34 for int end points, so converting to
  // int64 truncates towards zero exactly as the rule asks.
  const int64_t minorSize = xMajor ? height : width;
  for (int64_t d = dLo; d <= dHi; ++d) {
    int64_t a = a0 + sa * d;
    double f = slope * static_cast<double>(a - a0);  // signed: x - x0
    double fb = f + base;
    double frac = f - static_cast<double>(static_cast<int64_t>(f));
    // The weight is taken as a byte: a negative fraction wraps (-76 -> 180),
    // which gives the right shares for lines going towards smaller rows.
    uint8_t w = static_cast<uint8_t>(static_cast<int>(frac * 255.0));
    for (int64_t i = 0; i <= L; ++i) {
      int64_t b = static_cast<int64_t>(i == 0 ? fb : fb + static_cast<double>(i));
      if (b < 0 || b >= minorSize) continue;
      uint32_t weight = i == 0 ? 255u - w : (i == L ? w : 255u);
      uint32_t c = weight << 24 | rgb;
      uint32_t* p = xMajor ? &pixels[static_cast<size_t>(b) * width + a]
                           : &pixels[static_cast<size_t>(a) * width + b];
      raster::Store(p, c, mode);
    }
  }
}
