// Spans, rectangles, circles and the operations that draw nothing.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "raster/image32.h"

namespace {

struct Shapes : ::testing::Test {
  Image32 img{12, 10};
  void SetUp() override {
    img.Fill(0);
    color = 0xFFABCDEF;
    alpha = 0;
  }
  int Count(uint32_t v) {
    int n = 0;
    for (int i = 0; i < img.width * img.height; ++i) n += img.pixels[i] == v;
    return n;
  }
};

TEST_F(Shapes, HLineOrdersAndClipsItsColumns) {
  img.HLine(3, 5, 2);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(img.Get(x, 3), x >= 2 && x <= 5 ? color : 0u) << x;
  img.HLine(4, -9, -1);
  img.HLine(-1, 0, 11);
  img.HLine(10, 0, 11);
  EXPECT_EQ(Count(color), 4);
  img.HLine(5, 8, INT_MAX);
  EXPECT_EQ(img.Get(11, 5), color);
  EXPECT_EQ(img.Get(7, 5), 0u);
  img.HLine(6, INT_MIN, INT_MAX);
  EXPECT_EQ(Count(color), 4 + 4 + 12);
}

TEST_F(Shapes, VLineAndSpansIgnoreTheStoreMode) {
  img.VLine(2, 0, 0);
  EXPECT_EQ(img.Get(2, 0), color);
  EXPECT_EQ(Count(color), 1);
  img.VLine(3, 20, -20);
  EXPECT_EQ(Count(color), 11);
  alpha = 2;  // spans still store; a point does not
  color = 0x11111111;
  img.HLine(9, 0, 0);
  img.Put(1, 9);
  EXPECT_EQ(img.Get(0, 9), 0x11111111u);
  EXPECT_EQ(img.Get(1, 9), 0u);
  alpha = 1;  // and spans store the word itself, not a blend
  img.HLine(9, 5, 5);
  EXPECT_EQ(img.Get(5, 9), 0x11111111u);
}

TEST_F(Shapes, RectFill) {
  img.RectFill(0, 5, 9, 4);
  EXPECT_EQ(Count(color), 0);
  img.RectFill(9, 2, 1, 3);
  EXPECT_EQ(Count(color), 18);
  img.RectFill(INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // bounded: rows are clipped
  EXPECT_EQ(Count(color), 120);
}

TEST_F(Shapes, CircleOfRadiusZeroWritesTheCentre) {
  img.Circle(4, 4, 0);
  EXPECT_EQ(img.Get(4, 4), color);
  EXPECT_EQ(Count(color), 1);
  // Blending writes it four times.
  img.Fill(0x00FFFFFF);
  alpha = 1;
  color = 0x80000000;
  img.Circle(4, 4, 0);
  uint32_t v = 0xFF;
  for (int i = 0; i < 4; ++i) v = v * 127 >> 8;
  EXPECT_EQ(img.Get(4, 4), v << 16 | v << 8 | v);
}

// The outline's widest column offset and tallest row offset.
std::pair<int, int> Extent(Image32& img, int cx, int cy) {
  int maxX = 0, maxY = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      if (img.Get(x, y) == color) {
        maxX = std::max(maxX, std::abs(x - cx));
        maxY = std::max(maxY, std::abs(y - cy));
        // Four-fold symmetric.
        EXPECT_EQ(img.Get(2 * cx - x, y), color);
        EXPECT_EQ(img.Get(x, 2 * cy - y), color);
      }
  return {maxX, maxY};
}

TEST_F(Shapes, CircleFollowsTheSurfaceProportions) {
  // k = 2 * width / height: 2 on a 4:3 surface, 4 on a 2:1 one, 1 on a square.
  Image32 wide(80, 40), square(40, 40);
  wide.Fill(0);
  square.Fill(0);
  wide.Circle(40, 20, 8);
  square.Circle(20, 20, 8);
  auto [wideX, wideY] = Extent(wide, 40, 20);
  auto [squareX, squareY] = Extent(square, 20, 20);
  EXPECT_EQ(wideY, 8);
  EXPECT_EQ(squareY, 8);
  EXPECT_GT(wideX, squareX);
  EXPECT_EQ(wide.Get(40, 12), color);  // the top point (x = 0, y = r)
  img.Circle(6, 5, -1);                // negative radius: nothing
  EXPECT_EQ(Count(color), 0);
}

TEST_F(Shapes, CircleFillSpansTheOutline) {
  Image32 outline(12, 10);
  outline.Fill(0);
  outline.Circle(5, 5, 3);
  img.CircleFill(5, 5, 3);
  for (int y = 0; y < 10; ++y) {
    int lo = 99, hi = -1;
    for (int x = 0; x < 12; ++x)
      if (outline.Get(x, y) == color) lo = std::min(lo, x), hi = std::max(hi, x);
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(img.Get(x, y) == color, x >= lo && x <= hi) << x << "," << y;
  }
}

TEST_F(Shapes, CirclesOnASurfaceOfHeightZeroDrawNothing) {
  Image32 flat(5, 0);
  flat.Circle(1, 0, 3);
  flat.CircleFill(1, 0, 3);
  Image32 empty;
  empty.Circle(0, 0, 1);
  empty.RoundRectFill(0, 0, 4, 4, 1);
  EXPECT_EQ(flat.pixels, nullptr);
  // One row is enough for a proportion (k = 80): the circle meets it at the centre.
  Image32 thin(40, 1);
  thin.Fill(0);
  thin.Circle(20, 0, 1);
  EXPECT_EQ(thin.Get(20, 0), color);
}

TEST_F(Shapes, RoundRectFillRoundsOnlyTheCorners) {
  img.RoundRectFill(1, 1, 10, 8, 2);
  for (int y = 3; y <= 6; ++y) {  // middle band: full width
    EXPECT_EQ(img.Get(1, y), color);
    EXPECT_EQ(img.Get(10, y), color);
  }
  EXPECT_EQ(img.Get(1, 1), 0u);  // corners cut
  EXPECT_EQ(img.Get(10, 8), 0u);
  EXPECT_EQ(img.Get(3, 1), color);  // top band from x1 + r
  EXPECT_EQ(img.Get(0, 4), 0u);
  EXPECT_EQ(img.Get(11, 4), 0u);
  img.Fill(0);
  img.RoundRectFill(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 3);  // bounded, no overflow
  EXPECT_EQ(Count(color), 120);
}

TEST_F(Shapes, NoOpOperationsLeaveTheSurface) {
  img.Arc(3, 3, 1.0f, 2.0f, 3.0f);
  img.Rect(0, 0, 5, 5);
  img.TriFill(tri{0, 0, 11, 0, 0, 9});
  EXPECT_EQ(Count(0), 120);
}

}  // namespace
