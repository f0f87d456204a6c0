// The figure generator: surface points, vertex order, the index list, and
// drawing the show's 50 segments.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "3d/tdmotor.h"
#include "demo/figure.h"

namespace {

void ExpectNear(const Vector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(Figure, EvalLiesOnTheSpheroid) {
  ExpectNear(Eval(0, 0), 0, 10, 0, 0);
  const float half = 1.5707964f;
  ExpectNear(Eval(0, half), 12, 0, 0);
  ExpectNear(Eval(half, half), 0, 0, 12);
  // Radius 12 around the y axis, half-height 10 along it.
  for (float a = -3; a < 3; a += 0.37f)
    for (float b = -3; b < 3; b += 0.29f) {
      Vector v = Eval(a, b);
      float r = std::sqrt(v.x * v.x + v.z * v.z);
      EXPECT_NEAR(r, 12 * std::fabs(std::sin(b)), 1e-4f);
      EXPECT_NEAR(v.y, 10 * std::cos(b), 1e-5f);
    }
}

// Each sine and cosine is rounded to float and the products go left to right
// in float. The expected bits were worked out apart from this code; one
// rounding of the exact product would give x 0x1.f697ccp+2 and z
// 0x1.12915ap+2, and sine and cosine kept in double would give x the same.
TEST(Figure, EvalRoundsLikeFloatArithmetic) {
  const Vector v = Eval(0.5f, 2.3f);
  EXPECT_EQ(v.x, 0x1.f697cep+2f);
  EXPECT_EQ(v.y, -0x1.aa6aa8p+2f);
  EXPECT_EQ(v.z, 0x1.12915cp+2f);
}

TEST(Figure, GenOrdersVerticesRowByRow) {
  std::unique_ptr<Vector[]> v(gen(1, 1));
  ExpectNear(v[0], 0, 10, 0, 0);
  ExpectNear(v[1], 12 * std::sin(1.0f), 10 * std::cos(1.0f), 0);
  ExpectNear(v[10], 0, 10, 0, 0);  // row 1 starts at the pole too
  // Vertex 10 i + j is Eval(i q, j p).
  std::unique_ptr<Vector[]> w(gen(0.3f, 0.7f));
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) {
      Vector e = Eval(float(i) * 0.7f, float(j) * 0.3f);
      ASSERT_EQ(w[10 * i + j].x, e.x);
      ASSERT_EQ(w[10 * i + j].y, e.y);
      ASSERT_EQ(w[10 * i + j].z, e.z);
    }
  for (int j = 0; j < 10; ++j) EXPECT_EQ(w[j].z, 0.0f);  // row 0 lies in z = 0
}

// Segment n joins vertices n and n + 1: the first three, the 50th (the last
// the show draws) and the 100th.
TEST(Figure, EdgesFormAPolyline) {
  std::unique_ptr<int[]> e(MakeEdges());
  EXPECT_EQ(std::vector<int>(e.get(), e.get() + 6), (std::vector<int>{0, 1, 1, 2, 2, 3}));
  EXPECT_EQ(std::vector<int>(e.get() + 98, e.get() + 100), (std::vector<int>{49, 50}));
  EXPECT_EQ(std::vector<int>(e.get() + 198, e.get() + 200), (std::vector<int>{99, 100}));
}

// With the show's count of 100 the renderer draws 50 segments and reads no
// vertex past 50: vertices 51.. are poisoned with NaN, which would drop a
// segment, and the 51 kept vertices alone must give the same picture.
TEST(Figure, ShowDrawsFiftySegments) {
  std::unique_ptr<int[]> edges(MakeEdges());
  std::unique_ptr<Vector[]> v(gen(1.0f, 1.0f));
  auto draw = [&](Vector* vertices) {
    TDMotor motor(340, 260);
    motor.Clear();
    motor.transform.Translate(0, 0, 15);
    motor.transform.Rotate(20, 0, 1, 0);
    motor.transform.Rotate(20, 1, 0, 0);
    alpha = 1;
    AA = 1;
    color = 0xFFCC6600;
    lineSize = 3;
    motor.DrawModel(reinterpret_cast<float*>(vertices), edges.get(), 100);
    return std::vector<uint32_t>(motor.pixels, motor.pixels + 340 * 260);
  };
  std::vector<uint32_t> full = draw(v.get());
  auto kept = std::make_unique<Vector[]>(51);
  for (int i = 0; i < 51; ++i) kept[i] = v[i];
  std::vector<uint32_t> partial = draw(kept.get());  // reading past 51 trips the sanitizer
  EXPECT_EQ(full, partial);
  int drawn = 0;
  for (uint32_t p : full) drawn += p != 0;
  EXPECT_GT(drawn, 500);
}

}  // namespace
