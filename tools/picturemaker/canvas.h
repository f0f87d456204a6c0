// Canvas and Mask: the picture maker's drawing surfaces.
//
// Contract: a Canvas owns a width x height grid of colours with opacity, kept premultiplied in
// floats so that layered strokes composite exactly; ToRaw() turns it into the show's raw picture
// bytes (red, green, blue, weight per pixel, straight colour, weight 255 = opaque). A Mask is a
// grid of coverage values in 0..1 used to build outlines and shadows before painting. Both are
// plain single-threaded values owned by the code that makes one picture.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A colour with channels in 0..1.
struct Rgb {
  float r, g, b;
};

// 0xRRGGBB to Rgb.
constexpr Rgb Hex(uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
          static_cast<float>((rgb >> 8) & 0xFF) / 255.0f, static_cast<float>(rgb & 0xFF) / 255.0f};
}
Rgb Mix(Rgb a, Rgb b, float t);  // a at t = 0, b at t = 1

// Coverage of a pixel whose centre lies at signed distance d from a shape's edge (negative
// inside): a one-pixel ramp gives smooth edges.
float EdgeCoverage(float d);

class Mask {
 public:
  Mask(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  float At(int x, int y) const;  // 0 outside
  void Max(int x, int y, float v);
  // Every point takes the largest value within `radius` pixels (a round brush).
  Mask Dilated(float radius) const;

 private:
  int width_, height_;
  std::vector<float> v_;
};

class Canvas {
 public:
  Canvas(int width, int height);  // fully transparent
  int width() const { return width_; }
  int height() const { return height_; }

  // Composites `colour` at opacity `a` (0..1) over pixel (x, y); outside points are skipped.
  void Paint(int x, int y, Rgb colour, float a);
  // Makes pixel (x, y) transparent again.
  void Erase(int x, int y);
  // Straight colour and opacity of a pixel.
  Rgb ColourAt(int x, int y) const;
  float OpacityAt(int x, int y) const;

  void Fill(Rgb colour, float a = 1.0f);
  void FillRect(int x0, int y0, int x1, int y1, Rgb colour, float a = 1.0f);  // [x0,x1) x [y0,y1)
  // Paints the mask shifted by (dx, dy) with `colour`, each pixel at opacity mask * a.
  void PaintMask(const Mask& mask, Rgb colour, float a = 1.0f, int dx = 0, int dy = 0);

  // Shapes with smooth edges. Distances are in pixels; (x, y) of a pixel is its centre x + 0.5.
  void Disc(float cx, float cy, float r, Rgb colour, float a = 1.0f);
  void Ring(float cx, float cy, float r, float thickness, Rgb colour, float a = 1.0f);
  void Line(float x0, float y0, float x1, float y1, float width, Rgb colour, float a = 1.0f);
  // Outline of a stadium (rounded rectangle whose ends are half circles) of the given outer
  // half-length and half-width, rotated by `angle` radians.
  void StadiumRing(float cx, float cy, float half_len, float half_wid, float thickness, float angle,
                   Rgb colour, float a = 1.0f);
  void Polyline(const std::vector<float>& xy, float width, Rgb colour, float a = 1.0f);

  // Shades every pixel inside the rectangle by a signed-distance function (distance to the
  // shape's edge, negative inside).
  void Shape(int x0, int y0, int x1, int y1, const std::function<float(float, float)>& distance,
             Rgb colour, float a);

  // The show's raw picture bytes: red, green, blue, weight; rows top to bottom.
  std::vector<uint8_t> ToRaw() const;

 private:
  int width_, height_;
  std::vector<float> px_;  // premultiplied r, g, b, opacity per pixel
};
