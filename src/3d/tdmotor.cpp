// The wireframe renderer: construction and retargeting, clears, and the
// transform-project-draw loop.
#include "tdmotor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <utility>

namespace {

// The rule's conversion: a value outside the int range becomes INT_MIN.
int ToPixel(float v) {
  if (!(v >= -2147483648.0f && v < 2147483648.0f)) return INT_MIN;
  return static_cast<int>(v);
}

size_t Count(int w, int h) {
  if (w <= 0 || h <= 0) return 0;
  return static_cast<size_t>(w) * static_cast<size_t>(h);
}

}  // namespace

// The default field of view passes 90 to the tangent as radians:
// tan(90) ~ -1.995, so the default focal is negative (the picture is mirrored
// through its centre) and about -0.2506 * width.
void TDMotor::DefaultFocal() {
  focal = static_cast<float>(width) / (2.0f * static_cast<float>(std::tan(90.0)));
}

void TDMotor::AllocDepth(int w, int h) {
  delete[] depth;
  depth = nullptr;
  size_t n = Count(w, h);
  if (n > 0) depth = new uint32_t[n];
}

TDMotor::TDMotor(int w, int h) {
  Init(w, h);
}

TDMotor::TDMotor(Image32 surface) {
  Init(std::move(surface));
}

TDMotor::~TDMotor() {
  delete[] depth;
  depth = nullptr;
}

void TDMotor::Init(int w, int h) {
  Image32::Init(w, h);
  if (focal == 0.0f) DefaultFocal();
  AllocDepth(width, height);
  depthMode = 0;
  transform = Matrix();
}

void TDMotor::Init(Image32 surface) {
  Image32::operator=(std::move(surface));
  if (focal == 0.0f) DefaultFocal();
  AllocDepth(width, height);
  depthMode = 0;
  transform = Matrix();
}

void TDMotor::Clear() {
  std::fill_n(pixels, pixels != nullptr ? Count(width, height) : 0, 0u);
  std::fill_n(depth, depth != nullptr ? Count(width, height) : 0, 0u);
  transform = Matrix();
}

void TDMotor::Clear(int colour) {
  Fill(static_cast<uint32_t>(colour));
  if (depthMode != 0 && depth != nullptr) std::fill_n(depth, Count(width, height), 0u);
  transform = Matrix();
}

void TDMotor::FOV(float a) {
  // The tangent in double precision, rounded once to float: the float
  // tangent differs from it in the last bit for about one angle in 25.
  focal = static_cast<float>(width) / (2.0f * static_cast<float>(std::tan(static_cast<double>(a))));
}

void TDMotor::DrawModel(float* vertices, int* edges, int count) {
  if (vertices == nullptr || edges == nullptr) return;
  const float cx = static_cast<float>(width / 2), cy = static_cast<float>(height / 2);
  for (int i = 0; i + 1 < count; i += 2) {
    const float* pa = vertices + 3 * static_cast<ptrdiff_t>(edges[i]);
    const float* pb = vertices + 3 * static_cast<ptrdiff_t>(edges[i + 1]);
    Vector a(pa[0], pa[1], pa[2]), b(pb[0], pb[1], pb[2]);
    transform.Mul(a, a);
    transform.Mul(b, b);
    float ax = focal * a.x / a.z + cx, ay = focal * a.y / a.z + cy;
    float bx = focal * b.x / b.z + cx, by = focal * b.y / b.z + cy;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
      continue;
    if (AA == 0) {
      Line(ToPixel(ax), ToPixel(ay), ToPixel(bx), ToPixel(by));
    } else {
      LineAA(ToPixel(ax), ToPixel(ay), ToPixel(bx), ToPixel(by));
    }
  }
}
