// Vector arithmetic.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "3d/vector.h"

namespace {

void ExpectNear(const Vector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(Vector, NormalizeAndLength) {
  Vector v(3, 0, 4);
  EXPECT_FLOAT_EQ(v.Length(), 5.0f);
  v.Normalize();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.0f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
  Vector zero;
  zero.Normalize();
  ExpectNear(zero, 0, 0, 0, 0);
  EXPECT_FALSE(std::isnan(zero.x));
}

TEST(Vector, CrossAndDistance) {
  Vector a(1, 0, 0), b(0, 1, 0), c;
  c.Cross(a, b);
  ExpectNear(c, 0, 0, 1);
  a.Cross(a, b);  // the destination may be an operand
  ExpectNear(a, 0, 0, 1);
  EXPECT_FLOAT_EQ(Vector(1, 2, 3).GetDistance(Vector(4, 6, 3)), 5.0f);
}

TEST(Vector, ClampAndClampAround) {
  Vector v(-1, 0.5f, 2);
  v.Clamp(0, 1);
  ExpectNear(v, 0, 0.5f, 1, 0);
  Vector w(370, -10, 10);
  w.ClampAround(0, 360);
  ExpectNear(w, 10, -10, 10, 0);
  // The second test looks at the value the first one produced.
  Vector u(500, 0, 0);
  u.ClampAround(200, 360);
  ExpectNear(u, 340, 200, 200, 0);
}

TEST(Vector, RotationsAgreeWithTheRightHand) {
  Vector x(1, 0, 0), y(0, 1, 0), out;
  x.RotateZ(90, out);
  ExpectNear(out, 0, 1, 0);
  y.RotateX(90, out);
  ExpectNear(out, 0, 0, 1);
  Vector z(0, 0, 1);
  z.RotateY(90, out);
  ExpectNear(out, 1, 0, 0);
  z.RotateY(90, z);  // in place
  ExpectNear(z, 1, 0, 0);
}

TEST(Vector, Projections) {
  Vector p;
  p.Project(Vector(1, 1, 0), Vector(2, 0, 0));
  ExpectNear(p, 0.5f, 0.5f, 0);
  Vector a(2, 3, 4);
  a.ProjectPlane(a, Vector(1, 0, 0), Vector(0, 1, 0));
  ExpectNear(a, 10, 15, 20);  // a scaled by 2, plus a scaled by 3
  Vector i;
  i.Interpolate(Vector(0, 10, 0), Vector(10, 0, 4), 0.25f);
  ExpectNear(i, 2.5f, 7.5f, 1.0f);
}

TEST(Vector, ToScreen) {
  int sx = -1, sy = -1;
  Vector(0, 0, 0).ToScreen(sx, sy, 320, 240, 256);
  EXPECT_EQ(sx, 160);
  EXPECT_EQ(sy, 120);
  Vector(0, 10, 0).ToScreen(sx, sy, 320, 240, 256);
  EXPECT_EQ(sy, 110);  // up is smaller
  Vector(100, 0, 256).ToScreen(sx, sy, 320, 240, 256);
  EXPECT_EQ(sx, INT_MIN);  // 160 + 25600 / 0.00001 does not fit in an int
  Vector(0.001f, 0, 256).ToScreen(sx, sy, 320, 240, 256);
  EXPECT_EQ(sx, 160 + 25600);
}

}  // namespace
