// Matrix products, transforms and the per-operation static operands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "matrix.h"

namespace {

void ExpectNear(const Vector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

Matrix Filled(float start) {
  Matrix m;
  for (int i = 0; i < 16; ++i) m.m[i] = start + static_cast<float>(i * i % 7) - 2.5f * (i % 3);
  return m;
}

TEST(Matrix, DegreeConstantIsTheStatedFloat) {
  uint32_t bits;
  std::memcpy(&bits, &kDegToRad, 4);
  EXPECT_EQ(bits, 0x3C8EFA37u);
}

TEST(Matrix, ColumnMajorProduct) {
  Matrix a = Filled(1), b = Filled(-3), c;
  c.Mul(a, b);
  for (int r = 0; r < 4; ++r)
    for (int col = 0; col < 4; ++col) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[4 * k + r] * b.m[4 * col + k];
      EXPECT_EQ(c.m[4 * col + r], sum);
    }
  // The destination may be either operand.
  Matrix a2 = a, b2 = b;
  a2.Mul(a2, b);
  b2.Mul(a, b2);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(a2.m[i], c.m[i]);
    EXPECT_EQ(b2.m[i], c.m[i]);
  }
}

TEST(Matrix, VectorProductIgnoresTheFourthRow) {
  Matrix m = Filled(2);
  m.m[3] = 100;
  m.m[15] = 50;
  Vector v(1, 2, 3), out;
  m.Mul(v, out);
  EXPECT_EQ(out.x, m.m[0] * 1 + m.m[4] * 2 + m.m[8] * 3 + m.m[12]);
  EXPECT_EQ(out.z, m.m[2] * 1 + m.m[6] * 2 + m.m[10] * 3 + m.m[14]);
  m.Mul(v, v);  // in place
  EXPECT_EQ(v.x, out.x);
  EXPECT_EQ(v.y, out.y);
  EXPECT_EQ(v.z, out.z);
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
