// Matrix products, scaling, translation and rotation. Each operation keeps its
// result or operand in its own function-local static, and only the entries
// that depend on the arguments are rewritten per call: the rest was set when
// the static was created and never changes.
#include "matrix.h"

#include <cmath>

namespace {

void Angle(float angle, float& c, float& s) {
  float rad = angle * kDegToRad;
  c = static_cast<float>(std::cos(static_cast<double>(rad)));
  s = static_cast<float>(std::sin(static_cast<double>(rad)));
}

}  // namespace

void Matrix::Mul(Matrix const& a, Matrix const& b) {
  static Matrix t;
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      float sum = a.m[r] * b.m[4 * c];
      for (int k = 1; k < 4; ++k) sum += a.m[4 * k + r] * b.m[4 * c + k];
      t.m[4 * c + r] = sum;
    }
  }
  *this = t;
}

void Matrix::Mul(Vector const& v, Vector& out) const {
  static Vector t;
  t.x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12];
  t.y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13];
  t.z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14];
  out = t;
}

void Matrix::GetPos(Vector& out) {
  out = Vector(m[12], m[13], m[14]);
}

void Matrix::Scale(float sx, float sy, float sz) {
  static Matrix t = [] {
    Matrix z;
    for (float& e : z.m) e = 0.0f;
    z.m[15] = 1.0f;
    return z;
  }();
  t.m[0] = sx;
  t.m[5] = sy;
  t.m[10] = sz;
  Mul(*this, t);
}

void Matrix::Scale(Vector& s) {
  static Matrix t = [] {
    Matrix z;
    for (float& e : z.m) e = 0.0f;
    z.m[15] = 1.0f;
    return z;
  }();
  t.m[0] = s.x;
  t.m[5] = s.y;
  t.m[10] = s.z;
  Mul(*this, t);
}

void Matrix::Translate(float tx, float ty, float tz) {
  static Matrix t;
  t.m[12] = tx;
  t.m[13] = ty;
  t.m[14] = tz;
  Mul(*this, t);
}

void Matrix::Translate(Vector const& v) {
  static Matrix t;
  t.m[12] = v.x;
  t.m[13] = v.y;
  t.m[14] = v.z;
  Mul(*this, t);
}

namespace {

// The upper-left 3x3 block of the rotation about an unnormalised axis.
void RotationBlock(Matrix& ret, float angle, float x, float y, float z) {
  float c, s;
  Angle(angle, c, s);
  float k = 1.0f - c;
  ret.m[0] = x * x * k + c;
  ret.m[1] = x * y * k + z * s;
  ret.m[2] = x * z * k - y * s;
  ret.m[4] = x * y * k - z * s;
  ret.m[5] = y * y * k + c;
  ret.m[6] = y * z * k + x * s;
  ret.m[8] = x * z * k + y * s;
  ret.m[9] = y * z * k - x * s;
  ret.m[10] = z * z * k + c;
}

}  // namespace

void Matrix::Rotate(float angle, float x, float y, float z) {
  static Matrix ret;
  RotationBlock(ret, angle, x, y, z);
  Mul(*this, ret);
}

void Matrix::Rotate(float angle, Vector const& axis) {
  static Matrix ret;
  RotationBlock(ret, angle, axis.x, axis.y, axis.z);
  Mul(*this, ret);
}
