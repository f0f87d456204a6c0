// The wireframe renderer: focal lengths, projection, clears, ownership of the
// pixel buffer, and segments with extreme or non-finite end points.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "3d/tdmotor.h"

namespace {

struct Renderer : ::testing::Test {
  void SetUp() override {
    alpha = 0;
    AA = 0;
    color = 0xFFCC6600;
    lineSize = 3;
  }
  static int CountNonZero(Image32& img) {
    int n = 0;
    for (int i = 0; i < img.width * img.height; ++i) n += img.pixels[i] != 0;
    return n;
  }
};

TEST_F(Renderer, DefaultFocalIsNegative) {
  TDMotor motor(320, 240);
  EXPECT_FLOAT_EQ(motor.focal, -80.192444f);
  EXPECT_EQ(motor.depthMode, 0);
  EXPECT_NE(motor.depth, nullptr);
  EXPECT_TRUE(motor.OwnsPixels());
  TDMotor empty;
  EXPECT_EQ(empty.focal, 0.0f);
  EXPECT_EQ(empty.depth, nullptr);
  EXPECT_EQ(empty.pixels, nullptr);
}

TEST_F(Renderer, FieldOfViewAndProjection) {
  TDMotor motor(320, 240);
  motor.FOV(0.7853982f);
  EXPECT_NEAR(motor.focal, 160.0f, 1e-3f);
  motor.Clear();
  // (1, 1, 2) projects to (240, 200); the short segment draws only its start.
  float vertices[] = {1, 1, 2, 1.02f, 1, 2};
  int edges[] = {0, 1};
  motor.DrawModel(vertices, edges, 2);
  EXPECT_EQ(motor.Get(240, 200), color);
  EXPECT_EQ(CountNonZero(motor), 1);
  // FOV is kept by a later Init.
  motor.Init(100, 50);
  EXPECT_NEAR(motor.focal, 160.0f, 1e-3f);
}

// The focal length takes the tangent in double precision, rounded to float.
// At these angles a single-precision tangent lands one float away, which
// changes the focal; the expected values were worked out with 200-bit
// arithmetic, each 320 / (2 x the float nearest to tan a), rounded to float.
TEST_F(Renderer, FieldOfViewRoundsTheDoubleTangentOnce) {
  struct Case {
    float angle, focal;
  };
  static constexpr Case kCases[] = {
      {0x1.9a36e4p-5f, 0x1.8f1128p+11f}, {0x1.9a47aap-3f, 0x1.89fb08p+9f},
      {0x1.999aeap-2f, 0x1.7a6e28p+8f},  {0x1.333356p-1f, 0x1.d3bddcp+7f},
      {0x1.999b7p-1f, 0x1.36c7aap+7f},   {0x1.000208p+0f, 0x1.9ae948p+6f},
      {0x1.333366p+0f, 0x1.f1a224p+5f},  {0x1.667c06p+0f, 0x1.b8abbp+4f},
  };
  TDMotor motor(320, 240);
  for (const Case& c : kCases) {
    motor.FOV(c.angle);
    EXPECT_EQ(motor.focal, c.focal) << std::hexfloat << "angle " << c.angle;
  }
}

TEST_F(Renderer, DefaultFocalMirrorsThroughTheCentre) {
  TDMotor motor(320, 240);
  motor.Clear();
  // (2, 0, 1) lands on x = trunc(-160.38 + 160) = 0 and (-2, 0, 1) on 320.
  float vertices[] = {2, 0, 1, -2, 0, 1};
  int edges[] = {0, 1};
  motor.DrawModel(vertices, edges, 2);
  for (int x = 0; x < 320; ++x) ASSERT_EQ(motor.Get(x, 120), color) << x;
  EXPECT_EQ(CountNonZero(motor), 320);
  // A positive y lands above the centre.
  motor.Clear();
  float up[] = {0, 1, 1, 0.5f, 1, 1};
  motor.DrawModel(up, edges, 2);
  EXPECT_EQ(motor.Get(160, 39), color);  // trunc(120 - 80.19)
}

TEST_F(Renderer, CoincidentEndsDrawNothing) {
  TDMotor motor(64, 48);
  motor.Clear();
  float vertices[] = {0.3f, 0.2f, 3};
  int edges[] = {0, 0};
  AA = 0;
  motor.DrawModel(vertices, edges, 2);
  AA = 1;
  motor.DrawModel(vertices, edges, 2);
  EXPECT_EQ(CountNonZero(motor), 0);
  motor.DrawModel(vertices, edges, 0);
  motor.DrawModel(vertices, edges, -4);
  EXPECT_EQ(CountNonZero(motor), 0);
}

TEST_F(Renderer, AntialiasingFlagChoosesTheThickLine) {
  TDMotor motor(64, 48);
  motor.FOV(0.7853982f);  // focal 32
  motor.Clear();
  float vertices[] = {-1, 0, 2, 1, 0, 2};  // (16, 24) to (48, 24)
  int edges[] = {0, 1};
  AA = 1;
  motor.DrawModel(vertices, edges, 2);
  // Thickness 3: rows 23..26 in every column 16..48.
  for (int y = 23; y <= 26; ++y) EXPECT_NE(motor.Get(30, y) & 0xFFFFFF, 0u) << y;
  EXPECT_EQ(motor.Get(30, 22), 0u);
  EXPECT_EQ(motor.Get(48, 23), 0xFFCC6600u);
  EXPECT_EQ(color, 0x00CC6600u);
}

// An odd count never reads past the edge list.
TEST_F(Renderer, OddCountIgnoresTheUnpairedIndex) {
  TDMotor motor(32, 32);
  motor.FOV(0.7853982f);
  motor.Clear();
  auto edges = std::make_unique<int[]>(3);
  edges[0] = 0;
  edges[1] = 1;
  edges[2] = 0;
  float vertices[] = {-1, 0, 2, 1, 0, 2};
  motor.DrawModel(vertices, edges.get(), 3);
  EXPECT_EQ(CountNonZero(motor), 16);
}

TEST_F(Renderer, ClearsAndDepthMode) {
  TDMotor motor(8, 4);
  motor.Fill(0xFFFFFFFF);
  for (int i = 0; i < 32; ++i) motor.depth[i] = 7;
  motor.transform.Translate(1, 2, 3);
  motor.Clear(0x123);
  EXPECT_EQ(motor.Get(7, 3), 0x123u);
  EXPECT_EQ(motor.depth[31], 7u);  // depthMode 0: depth untouched
  EXPECT_EQ(motor.transform.m[12], 0.0f);
  motor.DepthFunc(static_cast<char>(-1));
  EXPECT_EQ(motor.DepthFunc(), -1);
  motor.transform.Translate(1, 2, 3);
  motor.Clear(0x456);
  EXPECT_EQ(motor.depth[31], 0u);
  for (int i = 0; i < 32; ++i) motor.depth[i] = 7;
  motor.DepthFunc(0);
  motor.transform.Rotate(30, 0, 1, 0);
  motor.Clear();
  EXPECT_EQ(CountNonZero(motor), 0);
  EXPECT_EQ(motor.depth[0], 0u);
  EXPECT_EQ(motor.transform.m[0], 1.0f);
  EXPECT_EQ(motor.transform.m[8], 0.0f);
  TDMotor empty;
  empty.Clear();
  empty.Clear(1);
}

// The show's set-up: the renderer gives up its own buffer and draws into the
// screen's. The screen releases it once; the address sanitizer checks that
// nothing is released twice or used after release.
TEST_F(Renderer, BorrowedScreenBufferIsReleasedOnlyByItsOwner) {
  Image32 screen(34, 26);
  screen.Fill(0xFFAAAAAA);
  {
    TDMotor motor(screen.width, screen.height);
    motor.Borrow(screen.pixels);
    EXPECT_FALSE(motor.OwnsPixels());
    motor.Clear();
  }
  EXPECT_EQ(screen.Get(33, 25), 0u);
  {
    TDMotor byValue(screen);  // a copy: borrowed
    EXPECT_EQ(byValue.pixels, screen.pixels);
    EXPECT_FALSE(byValue.OwnsPixels());
    byValue.Clear(5);
  }
  EXPECT_EQ(screen.Get(0, 0), 5u);
  {
    TDMotor later;
    later.Init(screen);
    later.Clear(6);
    later.Init(12, 12);  // back to a buffer of its own
    EXPECT_TRUE(later.OwnsPixels());
    later.Clear(7);
  }
  EXPECT_EQ(screen.Get(0, 0), 6u);
  // A temporary surface hands its buffer over instead of leaving it dangling.
  TDMotor adopted(Image32(9, 9));
  EXPECT_TRUE(adopted.OwnsPixels());
  adopted.Clear();
  EXPECT_EQ(adopted.Get(8, 8), 0u);
}

TEST_F(Renderer, NonFiniteEndPointsDropTheSegment) {
  TDMotor motor(64, 48);
  motor.Clear();
  float vertices[] = {1, 1, 0, -1, -1, 5, 0, 0, 0, NAN, 0, 3, INFINITY, 0, 3};
  int edges[] = {0, 1, 1, 2, 3, 1, 4, 1};
  for (uint8_t aa : {0, 1}) {
    AA = aa;
    motor.DrawModel(vertices, edges, 8);
  }
  EXPECT_EQ(CountNonZero(motor), 0);
}

// The show's figure at a distance passing through zero: end points on or
// behind the projection plane give coordinates anywhere in the int range, and
// each frame must still finish quickly without overflow.
TEST_F(Renderer, DistancesThroughZeroFinish) {
  TDMotor motor(340, 260);
  std::mt19937 rng(11);
  std::vector<float> vertices(300);
  for (float& v : vertices) v = std::uniform_real_distribution<float>(-12, 12)(rng);
  std::vector<int> edges(200);
  for (int n = 0; n < 100; ++n) edges[2 * n] = n, edges[2 * n + 1] = n + 1;
  alpha = 1;
  int drawnFrames = 0;
  for (float ms = 15.0f; ms > -15.0f; ms -= 0.05f) {
    motor.Clear();
    motor.transform.Translate(0, 0, ms);
    motor.transform.Rotate(ms * 40, 0, 1, 0);
    motor.transform.Rotate(ms * 40, 1, 0, 0);
    for (uint8_t aa : {0, 1}) {
      AA = aa;
      color = 0xFFCC6600;
      motor.DrawModel(vertices.data(), edges.data(), 100);
    }
    drawnFrames += CountNonZero(motor) > 0;
  }
  EXPECT_GT(drawnFrames, 100);
}

}  // namespace
