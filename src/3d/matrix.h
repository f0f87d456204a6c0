// Matrix: a 4x4 affine transform of sixteen floats for the 3D code.
//
// Storage is column-major: row r, column c is m[4c + r]; the translation is
// m[12..14]. Vectors are columns with an implied w = 1. Every operation
// multiplies on the right (this = this * op), so the operation applied last
// acts first on a vertex. Angles are degrees, turned into radians with the
// float constant kDegToRad (0x3C8EFA37, deliberately not the nearest float to
// pi/180), and sine and cosine are rounded to float before use.
//
// Each operation works in a function-local static (`t`, or `ret` for the
// rotations), so the operations are not re-entrant: main thread only.
#pragma once

#include "vector.h"

inline constexpr float kDegToRad = 0.017453296f;

struct Matrix {
  float m[16];

  Matrix() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

  void Identity() { *this = Matrix(); }
  // this = a * b; this may be a or b.
  void Mul(Matrix const& a, Matrix const& b);
  // out = this * (v, 1), fourth row ignored; out may be v.
  void Mul(Vector const& v, Vector& out) const;
  void GetPos(Vector& out);
  void Scale(float sx, float sy, float sz);
  void Scale(Vector& s);
  void Translate(float tx, float ty, float tz);
  void Translate(Vector const& t);
  // Rotation by `angle` degrees about the axis (x, y, z), used unnormalised.
  void Rotate(float angle, float x, float y, float z);
  void Rotate(float angle, Vector const& axis);
};
