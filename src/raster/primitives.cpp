// Spans, filled rectangles and circles. Coordinates are carried in 64 bits so
// that sums such as cx + x cannot overflow; everything outside the surface is
// skipped, and row loops only visit rows that exist.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image32.h"
#include "store.h"

namespace {

// Direct store of `color` on row y from column a to b (either order).
void Span(Image32& img, int64_t y, int64_t a, int64_t b) {
  if (img.pixels == nullptr || y < 0 || y >= img.height) return;
  int64_t lo = std::max<int64_t>(std::min(a, b), 0);
  int64_t hi = std::min<int64_t>(std::max(a, b), img.width - 1);
  if (lo > hi) return;
  std::fill(img.pixels + static_cast<size_t>(y) * img.width + lo,
            img.pixels + static_cast<size_t>(y) * img.width + hi + 1, color);
}

void Rows(Image32& img, int64_t top, int64_t bottom, int64_t x1, int64_t x2) {
  top = std::max<int64_t>(top, 0);
  bottom = std::min<int64_t>(bottom, img.height - 1);
  for (int64_t y = top; y <= bottom; ++y) Span(img, y, x1, x2);
}

void Point(Image32& img, int64_t x, int64_t y) {
  if (img.pixels == nullptr || !raster::Inside(img, x, y)) return;
  raster::Store(&img.pixels[static_cast<size_t>(y) * img.width + x], color, alpha);
}

// The circle walk shared by Circle and CircleFill: k widens the figure by the
// surface's proportions (2 for 4:3 surfaces).
template <typename Visit>
void WalkCircle(const Image32& img, int r, Visit visit) {
  if (img.height <= 0 || r < 0) return;
  int64_t k = (2 * static_cast<int64_t>(img.width)) / img.height;
  int64_t x = 0, y = r, e = 2 - 2 * static_cast<int64_t>(r), t = k * r;
  while (y >= 0) {
    visit(x, y);
    if (e + y > 0) {
      t -= k;
      --y;
      e = e - t + 1;
    }
    if (e < x) {
      ++x;
      e = e + 2 * x + 1;
    }
  }
}

}  // namespace

void Image32::HLine(int y, int x1, int x2) {
  Span(*this, y, x1, x2);
}

void Image32::VLine(int x, int y1, int y2) {
  if (pixels == nullptr || x < 0 || x >= width) return;
  int64_t lo = std::max(std::min(y1, y2), 0);
  int64_t hi = std::min(std::max(y1, y2), height - 1);
  for (int64_t y = lo; y <= hi; ++y) pixels[static_cast<size_t>(y) * width + x] = color;
}

void Image32::RectFill(int x1, int y1, int x2, int y2) {
  Rows(*this, y1, y2, x1, x2);
}

void Image32::RoundRectFill(int x1, int y1, int x2, int y2, int r) {
  int64_t ax = x1, ay = y1, bx = x2, by = y2, rr = r;
  Rows(*this, ay + rr, by - rr, ax, bx);
  Rows(*this, ay, ay + rr, ax + rr, bx - rr);
  Rows(*this, by - rr, by, ax + rr, bx - rr);
  // The corner centres may lie beyond the int range; the walk works in 64 bits.
  auto corner = [&](int64_t cx, int64_t cy) {
    WalkCircle(*this, r, [&](int64_t x, int64_t y) {
      Span(*this, cy + y, cx - x, cx + x);
      Span(*this, cy - y, cx - x, cx + x);
    });
  };
  corner(ax + rr, ay + rr);
  corner(bx - rr, ay + rr);
  corner(bx - rr, by - rr);
  corner(ax + rr, by - rr);
}

void Image32::Circle(int cx, int cy, int r) {
  WalkCircle(*this, r, [&](int64_t x, int64_t y) {
    Point(*this, cx + x, cy + y);
    Point(*this, cx + x, cy - y);
    Point(*this, cx - x, cy + y);
    Point(*this, cx - x, cy - y);
  });
}

void Image32::CircleFill(int cx, int cy, int r) {
  WalkCircle(*this, r, [&](int64_t x, int64_t y) {
    Span(*this, int64_t{cy} + y, cx - x, cx + x);
    Span(*this, int64_t{cy} - y, cx - x, cx + x);
  });
}
