// Matrix products, transforms and the per-operation static operands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "3d/matrix.h"

namespace {

void ExpectNear(const Vector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

Matrix FromColumns(std::initializer_list<float> values) {
  Matrix m;
  std::copy(values.begin(), values.end(), m.m);
  return m;
}

// A holds 1 ... 16 column by column; B's columns pick A's: column 0 is
// 2 x A0 + A2, column 1 A1 + 3 x A3, column 2 A0 + A3, column 3 2 x A1 + A2.
const Matrix kA = FromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
const Matrix kB = FromColumns({2, 0, 1, 0, 0, 1, 0, 3, 1, 0, 0, 1, 0, 2, 1, 0});
const std::vector<float> kAB = {11, 14, 17, 20, 44, 48, 52, 56, 14, 16, 18, 20, 19, 22, 25, 28};

std::vector<float> Entries(const Matrix& m) {
  return std::vector<float>(m.m, m.m + 16);
}

TEST(Matrix, DegreeConstantIsTheStatedFloat) {
  uint32_t bits;
  std::memcpy(&bits, &kDegToRad, 4);
  EXPECT_EQ(bits, 0x3C8EFA37u);
}

TEST(Matrix, ColumnMajorProduct) {
  Matrix c;
  c.Mul(kA, kB);
  EXPECT_EQ(Entries(c), kAB);
  // The destination may be either operand.
  Matrix a = kA, b = kB;
  a.Mul(a, kB);
  b.Mul(kA, b);
  EXPECT_EQ(Entries(a), kAB);
  EXPECT_EQ(Entries(b), kAB);
}

// (1, 2, 3) with w = 1 through A: 1 x A0 + 2 x A1 + 3 x A2 + A3, A's fourth
// row (4, 8, 12, 16) left out.
TEST(Matrix, VectorProductIgnoresTheFourthRow) {
  Vector v(1, 2, 3), out;
  kA.Mul(v, out);
  ExpectNear(out, 51, 58, 65, 0);
  kA.Mul(v, v);  // in place
  ExpectNear(v, 51, 58, 65, 0);
}

TEST(Matrix, RotateThenTransform) {
  Matrix m;
  m.Rotate(90, 0, 0, 1);
  Vector v(1, 0, 0);
  m.Mul(v, v);
  ExpectNear(v, 0, 1, 0);
}

// The operation applied last acts first: rotate about Y, then move along Z.
TEST(Matrix, TranslateThenRotate) {
  Matrix m;
  m.Translate(0, 0, 5);
  m.Rotate(90, 0, 1, 0);
  Vector v(1, 0, 0);
  m.Mul(v, v);
  ExpectNear(v, 0, 0, 4);
  Vector pos;
  m.GetPos(pos);
  ExpectNear(pos, 0, 0, 5, 0);
}

// Each call rewrites only the entries that depend on its arguments; nothing
// of an earlier call may leak into the next one.
TEST(Matrix, StaticOperandsCarryNothingOver) {
  Matrix m;
  m.Rotate(90, 1, 0, 0);
  m.Rotate(90, 0, 0, 1);
  Matrix rx, rz, want;
  rx.Rotate(90, 1, 0, 0);
  rz.Rotate(90, 0, 0, 1);
  want.Mul(rx, rz);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], want.m[i]) << i;
  // Rotating y about x then z: z first takes y to -x, x leaves -x alone.
  Vector v(0, 1, 0);
  m.Mul(v, v);
  ExpectNear(v, -1, 0, 0);

  Matrix s, s2;
  s.Scale(2, 3, 4);
  s2.Scale(5, 1, 1);
  Vector p(1, 1, 1);
  s2.Mul(p, p);
  ExpectNear(p, 5, 1, 1, 0);
  Vector unit(1, 1, 1), q(1, 1, 1);
  s.Scale(unit);  // the vector form has its own operand
  s.Mul(q, q);
  ExpectNear(q, 2, 3, 4, 0);

  Matrix t;
  t.Translate(1, 2, 3);
  t.Translate(Vector(10, 0, 0));
  t.Translate(0, 0, 1);
  Vector pos;
  t.GetPos(pos);
  ExpectNear(pos, 11, 2, 4, 0);
}

TEST(Matrix, RotationAboutAVectorAxis) {
  Matrix a, b;
  a.Rotate(33, 0.3f, 0.4f, 0.5f);
  b.Rotate(33, Vector(0.3f, 0.4f, 0.5f));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(a.m[i], b.m[i]);
  // The axis is used as given, without normalising it.
  Matrix c;
  c.Rotate(0, 2, 0, 0);
  EXPECT_EQ(c.m[0], 1.0f);
  c.Rotate(90, 2, 0, 0);
  EXPECT_NEAR(c.m[0], 4 * (1 - std::cos(90 * kDegToRad)) + std::cos(90 * kDegToRad), 1e-6);
}

}  // namespace
