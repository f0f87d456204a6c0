// Vector arithmetic: length, products, clamps, rotations about the axes,
// projections and the simple screen projection.
#include "vector.h"

#include <climits>
#include <cmath>
#include <initializer_list>

#include "matrix.h"

namespace {

void Angle(float angle, float& c, float& s) {
  float rad = angle * kDegToRad;
  c = static_cast<float>(std::cos(static_cast<double>(rad)));
  s = static_cast<float>(std::sin(static_cast<double>(rad)));
}

float Dot(Vector const& a, Vector const& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

int ToInt(double v) {
  if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0))
    return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

void Vector::Normalize() {
  float l = std::sqrt(x * x + y * y + z * z);
  if (l != 0.0f) {
    float inv = 1.0f / l;
    x *= inv;
    y *= inv;
    z *= inv;
  }
}

float Vector::Length() const {
  return std::sqrt(x * x + y * y + z * z);
}

void Vector::Cross(Vector const& a, Vector const& b) {
  Vector r(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
  *this = r;
}

void Vector::Clamp(float lo, float hi) {
  for (float* v : {&x, &y, &z}) {
    if (*v > hi) *v = hi;
    if (*v < lo) *v = lo;
  }
}

void Vector::ClampAround(float lo, float hi) {
  for (float* v : {&x, &y, &z}) {
    if (*v > hi) *v = *v - hi;
    if (*v < lo) *v = *v + lo;
  }
}

float Vector::GetDistance(Vector const& o) const {
  float dx = o.x - x, dy = o.y - y, dz = o.z - z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void Vector::RotateX(float angle, Vector& out) {
  float c, s;
  Angle(angle, c, s);
  Vector r(x, y * c - z * s, z * c + y * s);
  out = r;
}

void Vector::RotateY(float angle, Vector& out) {
  float c, s;
  Angle(angle, c, s);
  Vector r(x * c + z * s, y, z * c - x * s);
  out = r;
}

void Vector::RotateZ(float angle, Vector& out) {
  float c, s;
  Angle(angle, c, s);
  Vector r(x * c - y * s, y * c + x * s, z);
  out = r;
}

void Vector::Project(Vector const& a, Vector const& b) {
  float k = Dot(a, b) / Dot(b, b);
  *this = Vector(a.x * k, a.y * k, a.z * k);
}

void Vector::ProjectPlane(Vector const& a, Vector const& b, Vector const& c) {
  Vector second;
  second.Project(a, c);
  Vector first;
  first.Project(a, b);
  *this = Vector(first.x + second.x, first.y + second.y, first.z + second.z);
}

void Vector::Interpolate(Vector const& a, Vector const& b, float t) {
  float u = 1.0f - t;
  *this = Vector(u * a.x + t * b.x, u * a.y + t * b.y, u * a.z + t * b.z);
}

void Vector::ToScreen(int& sx, int& sy, int w, int h, float scale) {
  float d = 256.0f - z;
  if (d == 0.0f) d = 0.00001f;
  sx = ToInt(w * 0.5 + scale * x / d);
  sy = ToInt(h * 0.5 - scale * y / d);
}
