// Plain and antialiased lines: the rule's cases, random lines against the
// unclipped reference, and end points anywhere in the int range.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "raster/image32.h"
#include "reference.h"

namespace {

struct Lines : ::testing::Test {
  void SetUp() override {
    color = 0xFF102030;
    alpha = 0;
    lineSize = 1;
  }
  static std::vector<std::pair<int, int>> Drawn(Image32& img, uint32_t background) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)
        if (img.Get(x, y) != background) out.push_back({x, y});
    return out;
  }
};

using Pixels = std::vector<std::pair<int, int>>;

TEST_F(Lines, BresenhamExcludesTheEndPoint) {
  Image32 img(8, 8);
  img.Fill(0);
  img.Line(0, 0, 3, 1);
  EXPECT_EQ(Drawn(img, 0), (Pixels{{0, 0}, {1, 0}, {2, 1}}));
  img.Fill(0);
  img.Line(0, 0, 2, 2);
  EXPECT_EQ(Drawn(img, 0), (Pixels{{0, 0}, {1, 1}}));
  img.Fill(0);
  img.Line(4, 4, 4, 4);
  EXPECT_TRUE(Drawn(img, 0).empty());
  // Steep lines step along y.
  img.Line(1, 0, 2, 3);
  EXPECT_EQ(Drawn(img, 0), (Pixels{{1, 0}, {1, 1}, {2, 2}}));
}

TEST_F(Lines, LineGoesThroughTheStoreRule) {
  Image32 img(4, 1);
  img.Fill(0x00FFFFFF);
  alpha = 2;
  img.Line(0, 0, 4, 0);
  EXPECT_TRUE(Drawn(img, 0x00FFFFFF).empty());
  alpha = 1;
  color = 0x80000000;
  img.Line(0, 0, 4, 0);
  EXPECT_EQ(img.Get(3, 0), 0x007E7E7Eu);  // 255 * 127 >> 8
}

TEST_F(Lines, AntialiasedHorizontalLineIncludesBothEnds) {
  Image32 img(12, 8);
  img.Fill(0xAAAAAAAA);
  img.LineAA(0, 5, 10, 5);
  for (int x = 0; x <= 10; ++x) {
    EXPECT_EQ(img.Get(x, 5), 0xFF102030u) << x;
    EXPECT_EQ(img.Get(x, 6), 0x00102030u) << x;
  }
  EXPECT_EQ(Drawn(img, 0xAAAAAAAA).size(), 22u);
  EXPECT_EQ(color, 0x00102030u);  // the weight byte is cleared afterwards
}

TEST_F(Lines, AntialiasedZeroThicknessCountsAsOne) {
  Image32 a(12, 8), b(12, 8);
  a.Fill(0);
  b.Fill(0);
  lineSize = 0;
  a.LineAA(1, 1, 9, 4);
  EXPECT_EQ(lineSize, 1);
  color = 0xFF102030;
  b.LineAA(1, 1, 9, 4);
  for (int i = 0; i < 96; ++i) ASSERT_EQ(a.pixels[i], b.pixels[i]);
}

TEST_F(Lines, AntialiasedCoincidentEndsDrawNothing) {
  Image32 img(4, 4);
  img.Fill(0);
  lineSize = 3;
  img.LineAA(2, 2, 2, 2);
  EXPECT_TRUE(Drawn(img, 0).empty());
  EXPECT_EQ(color, 0x00102030u);
}

// Going up: f = -0.3 at d = 1 (slope -0.3). The weight byte wraps: trunc(-76.5)
// = -76 is 180, so the first pixel gets 75 at base - 1 and the last 180 at
// base + L - 1.
TEST_F(Lines, AntialiasedNegativeFractionWrapsTheWeightByte) {
  Image32 img(12, 12);
  img.Fill(0);
  lineSize = 3;  // h = 1, base = 6 - 1 = 5
  img.LineAA(0, 6, 10, 3);
  EXPECT_EQ(img.Get(1, 4), 75u << 24 | 0x102030);
  EXPECT_EQ(img.Get(1, 5), 0xFF102030u);
  EXPECT_EQ(img.Get(1, 6), 0xFF102030u);
  EXPECT_EQ(img.Get(1, 7), 180u << 24 | 0x102030);
  EXPECT_EQ(img.Get(1, 8), 0u);
  EXPECT_EQ(img.Get(1, 3), 0u);
  // Column 0 (f = 0): weights 255 at base, 0 at base + L.
  EXPECT_EQ(img.Get(0, 5), 0xFF102030u);
  EXPECT_EQ(img.Get(0, 8), 0x00102030u);
}

// Random lines short enough for the reference to step through every pixel,
// placed around and beyond the surface, in every store mode and thickness.
TEST_F(Lines, RandomLinesMatchTheUnclippedRule) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 3000; ++round) {
    int w = 1 + rng() % 30, h = 1 + rng() % 30;
    int span = round % 3 == 0 ? 2000 : 60;
    auto c = [&] { return int(rng() % (2 * span + 1)) - span; };
    int x0 = c(), y0 = c(), x1 = c(), y1 = c();
    if (round % 5 == 0) x1 = x0;
    if (round % 7 == 0) y1 = y0 + int(rng() % 3) - 1;
    int mode = rng() % 2;
    int L = 1 + rng() % 5;
    ref::Surface rs = ref::Random(w, h, rng);
    Image32 img;
    ref::ToImage(rs, img);
    alpha = uint8_t(mode);
    color = rng();
    if (round % 2 == 0) {
      ref::Line(rs, x0, y0, x1, y1, color, mode);
      img.Line(x0, y0, x1, y1);
    } else {
      ref::LineAA(rs, x0, y0, x1, y1, L, color & 0xFFFFFF, mode);
      lineSize = uint8_t(L);
      img.LineAA(x0, y0, x1, y1);
    }
    ASSERT_TRUE(ref::Same(rs, img)) << "round " << round << ": (" << x0 << "," << y0 << ")-(" << x1
                                    << "," << y1 << ") on " << w << "x" << h;
  }
}

// Lines hundreds of thousands of pixels long that cross the surface, against
// the reference stepping every one of them: checks the state computed for the
// first step on the surface.
TEST_F(Lines, LongLinesMatchTheUnclippedRule) {
  std::mt19937 rng(8);
  for (int round = 0; round < 80; ++round) {
    int64_t far = 20000 + rng() % 200000;
    int x0 = int(rng() % 30) - 5, y0 = int(rng() % 30) - 5;
    int dx = int(rng() % 21) - 10, dy = int(rng() % 21) - 10;
    if (dx == 0 && dy == 0) continue;
    int fx0 = int(x0 - far * dx / 10), fy0 = int(y0 - far * dy / 10);
    int fx1 = int(x0 + far * dx / 10), fy1 = int(y0 + far * dy / 10);
    int mode = rng() % 2, L = 1 + rng() % 4;
    ref::Surface rs = ref::Random(24, 20, rng);
    Image32 img;
    ref::ToImage(rs, img);
    alpha = uint8_t(mode);
    lineSize = uint8_t(L);
    color = rng();
    if (round % 2 == 0) {
      ref::Line(rs, fx0, fy0, fx1, fy1, color, mode);
      img.Line(fx0, fy0, fx1, fy1);
    } else {
      ref::LineAA(rs, fx0, fy0, fx1, fy1, L, color & 0xFFFFFF, mode);
      img.LineAA(fx0, fy0, fx1, fy1);
    }
    ASSERT_TRUE(ref::Same(rs, img)) << "round " << round;
  }
}

TEST_F(Lines, ExtremeEndPointsFinishAndStayOnTheirLine) {
  Image32 img(340, 260);
  const int ends[] = {INT_MIN, INT_MIN + 1, -1000000000, -1, 0, 170, 259, 339, 1000000000, INT_MAX};
  std::mt19937 rng(3);
  lineSize = 3;
  for (int round = 0; round < 400; ++round) {
    int x0 = ends[rng() % 10], y0 = ends[rng() % 10], x1 = ends[rng() % 10], y1 = ends[rng() % 10];
    alpha = uint8_t(rng() % 2);
    img.Line(x0, y0, x1, y1);
    img.LineAA(x0, y0, x1, y1);
  }
  // A horizontal line across the whole int range fills its row.
  img.Fill(0);
  alpha = 0;
  color = 0xFF00FF00;
  img.Line(INT_MIN, 7, INT_MAX, 7);
  for (int x = 0; x < 340; ++x) ASSERT_EQ(img.Get(x, 7), 0xFF00FF00u);
  EXPECT_EQ(Drawn(img, 0).size(), 340u);
  // The long diagonal through the origin is the pixels (i, i).
  img.Fill(0);
  img.Line(INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX);
  Pixels diag;
  for (int i = 0; i < 260; ++i) diag.push_back({i, i});
  EXPECT_EQ(Drawn(img, 0), diag);
  img.Fill(0);
  lineSize = 1;
  img.LineAA(INT_MAX, INT_MAX, INT_MIN + 1, INT_MIN + 1);
  EXPECT_EQ(img.Get(100, 100), 0x0000FF00u | 0xFF000000u);
}

}  // namespace
