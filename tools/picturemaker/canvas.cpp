// Canvas and Mask: compositing, shapes with smooth edges and conversion to raw pictures.
#include "canvas.h"

#include <algorithm>
#include <cmath>

Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float EdgeCoverage(float d) {
  return std::clamp(0.5f - d, 0.0f, 1.0f);
}

Mask::Mask(int width, int height)
    : width_(width), height_(height), v_(static_cast<size_t>(width) * height, 0.0f) {}

float Mask::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0.0f;
  return v_[static_cast<size_t>(y) * width_ + x];
}

void Mask::Max(int x, int y, float v) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  float& cell = v_[static_cast<size_t>(y) * width_ + x];
  cell = std::max(cell, v);
}

Mask Mask::Dilated(float radius) const {
  Mask out(width_, height_);
  const int r = static_cast<int>(std::ceil(radius));
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      float best = 0.0f;
      for (int j = -r; j <= r; ++j) {
        for (int i = -r; i <= r; ++i) {
          // Soft edge on the brush too, so outlines stay smooth.
          const float w = EdgeCoverage(std::sqrt(float(i * i + j * j)) - radius);
          if (w > 0.0f) best = std::max(best, At(x + i, y + j) * w);
        }
      }
      out.v_[static_cast<size_t>(y) * width_ + x] = best;
    }
  }
  return out;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Canvas::Paint(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !(a > 0.0f)) return;
  a = std::min(a, 1.0f);
  float* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  const float keep = 1.0f - a;
  p[0] = c.r * a + p[0] * keep;
  p[1] = c.g * a + p[1] * keep;
  p[2] = c.b * a + p[2] * keep;
  p[3] = a + p[3] * keep;
}

void Canvas::Erase(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::fill_n(&px_[(static_cast<size_t>(y) * width_ + x) * 4], 4, 0.0f);
}

Rgb Canvas::ColourAt(int x, int y) const {
  const float* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  if (p[3] <= 0.0f) return {0, 0, 0};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
}

float Canvas::OpacityAt(int x, int y) const {
  return px_[(static_cast<size_t>(y) * width_ + x) * 4 + 3];
}

void Canvas::Fill(Rgb colour, float a) {
  FillRect(0, 0, width_, height_, colour, a);
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, Rgb colour, float a) {
  for (int y = std::max(y0, 0); y < std::min(y1, height_); ++y) {
    for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x) Paint(x, y, colour, a);
  }
}

void Canvas::PaintMask(const Mask& mask, Rgb colour, float a, int dx, int dy) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const float m = mask.At(x - dx, y - dy);
      if (m > 0.0f) Paint(x, y, colour, m * a);
    }
  }
}

void Canvas::Shape(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& dist,
                   Rgb colour, float a) {
  for (int y = std::max(y0, 0); y < std::min(y1, height_); ++y) {
    for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x) {
      const float cover = EdgeCoverage(dist(x + 0.5f, y + 0.5f));
      if (cover > 0.0f) Paint(x, y, colour, cover * a);
    }
  }
}

namespace {

// Distance from (px, py) to the segment (x0, y0)-(x1, y1).
float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

}  // namespace

void Canvas::Disc(float cx, float cy, float r, Rgb colour, float a) {
  Shape(
      int(cx - r - 2), int(cy - r - 2), int(cx + r + 3), int(cy + r + 3),
      [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; }, colour, a);
}

void Canvas::Ring(float cx, float cy, float r, float thickness, Rgb colour, float a) {
  const float half = thickness / 2;
  Shape(
      int(cx - r - half - 2), int(cy - r - half - 2), int(cx + r + half + 3),
      int(cy + r + half + 3),
      [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - half; }, colour,
      a);
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, Rgb colour, float a) {
  const float half = width / 2;
  Shape(
      int(std::min(x0, x1) - half - 2), int(std::min(y0, y1) - half - 2),
      int(std::max(x0, x1) + half + 3), int(std::max(y0, y1) + half + 3),
      [=](float x, float y) { return SegmentDistance(x, y, x0, y0, x1, y1) - half; }, colour, a);
}

void Canvas::StadiumRing(float cx, float cy, float half_len, float half_wid, float thickness,
                         float angle, Rgb colour, float a) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float core = half_len - half_wid;  // half-length of the straight middle part
  const float radius = half_wid - thickness / 2;
  const float reach = half_len + 3;
  Shape(
      int(cx - reach), int(cy - reach), int(cx + reach), int(cy + reach),
      [=](float x, float y) {
        const float u = (x - cx) * c + (y - cy) * s;
        const float v = -(x - cx) * s + (y - cy) * c;
        const float d = SegmentDistance(u, v, -core, 0, core, 0);
        return std::fabs(d - radius) - thickness / 2;
      },
      colour, a);
}

void Canvas::Polyline(const std::vector<float>& xy, float width, Rgb colour, float a) {
  // Coverage is gathered in a mask first (the largest per pixel), so joints between segments are
  // not painted twice.
  Mask cover(width_, height_);
  const float half = width / 2;
  for (size_t i = 0; i + 3 < xy.size(); i += 2) {
    const float x0 = xy[i], y0 = xy[i + 1], x1 = xy[i + 2], y1 = xy[i + 3];
    const int left = std::max(0, int(std::min(x0, x1) - half - 2));
    const int top = std::max(0, int(std::min(y0, y1) - half - 2));
    const int right = std::min(width_, int(std::max(x0, x1) + half + 3));
    const int bottom = std::min(height_, int(std::max(y0, y1) + half + 3));
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        cover.Max(x, y, EdgeCoverage(SegmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1) - half));
      }
    }
  }
  PaintMask(cover, colour, a);
}

std::vector<uint8_t> Canvas::ToRaw() const {
  std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
  auto byte = [](float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) {
    const float* p = &px_[i * 4];
    const float a = p[3];
    const uint8_t w = byte(a);
    if (w == 0) continue;  // fully clear pixels are stored as 0, 0, 0, 0
    out[i * 4 + 0] = byte(p[0] / a);
    out[i * 4 + 1] = byte(p[1] / a);
    out[i * 4 + 2] = byte(p[2] / a);
    out[i * 4 + 3] = w;
  }
  return out;
}
