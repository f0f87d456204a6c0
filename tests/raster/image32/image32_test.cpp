// Surfaces: the pixel store rule, single-pixel access, fills, whole-surface
// copies and the ownership of shared buffers.
#include <gtest/gtest.h>

#include <utility>

#include "raster/image32.h"

namespace {

struct DrawState : ::testing::Test {
  void SetUp() override {
    color = 0;
    alpha = 0;
    lineSize = 0;
    AA = 0;
  }
};

using Image32Test = DrawState;

TEST_F(Image32Test, EmptyAndSizedSurfaces) {
  Image32 empty;
  EXPECT_EQ(empty.pixels, nullptr);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.Get(0, 0), 0u);
  empty.Put(0, 0);  // nothing to write into: must not crash
  empty.Fill(7);

  Image32 img(5, 3);
  ASSERT_NE(img.pixels, nullptr);
  EXPECT_EQ(img.width, 5);
  EXPECT_EQ(img.height, 3);
  EXPECT_TRUE(img.OwnsPixels());
  img.Fill(0x12345678);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(img.pixels[i], 0x12345678u);

  // Pixel (x, y) is word y * width + x.
  img.pixels[2 * 5 + 4] = 0xCAFEu;
  EXPECT_EQ(img.Get(4, 2), 0xCAFEu);

  Image32 negative(-4, 3);
  EXPECT_EQ(negative.pixels, nullptr);
  EXPECT_EQ(negative.width, 0);
  negative.Fill(1);
}

TEST_F(Image32Test, GetAndPutOutsideAreSkipped) {
  Image32 img(4, 4);
  img.Fill(0x01010101);
  color = 0xFFFFFFFF;
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}, {INT32_MIN, INT32_MAX}}) {
    EXPECT_EQ(img.Get(x, y), 0u);
    img.Put(x, y);
  }
  for (int i = 0; i < 16; ++i) EXPECT_EQ(img.pixels[i], 0x01010101u);
}

TEST_F(Image32Test, StoreRuleModes) {
  Image32 img(2, 1);
  img.Fill(0x00FFFFFF);
  color = 0xFF0000FF;

  alpha = 2;  // writes nothing
  img.Put(0, 0);
  EXPECT_EQ(img.Get(0, 0), 0x00FFFFFFu);
  alpha = 255;
  img.Put(0, 0);
  EXPECT_EQ(img.Get(0, 0), 0x00FFFFFFu);

  // Blend: colour * a >> 8 plus destination * (255 - a) >> 8, weight byte 0.
  alpha = 1;
  img.Put(0, 0);
  EXPECT_EQ(img.Get(0, 0), 0x000000FEu);

  // Weight 0 still darkens the destination by 1/256, rounded down.
  color = 0x00123456;
  img.Put(1, 0);
  EXPECT_EQ(img.Get(1, 0), 0x00FEFEFEu);

  // Each product is shifted on its own: (129 * 128) >> 8 + (2 * 127) >> 8 is
  // 64 + 0, where one shift of the sum would give 65.
  img.pixels[0] = 0xAA000002;
  color = 0x80000081;
  img.Put(0, 0);
  EXPECT_EQ(img.Get(0, 0), 64u);

  alpha = 0;  // replace: all 32 bits
  color = 0x80ABCDEF;
  img.Put(1, 0);
  EXPECT_EQ(img.Get(1, 0), 0x80ABCDEFu);
}

TEST_F(Image32Test, SetCopiesOnlyBetweenEqualSizes) {
  Image32 a(3, 2), b(3, 2), c(2, 3);
  a.Fill(1);
  b.Fill(2);
  c.Fill(3);
  a.Set(c);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.pixels[i], 1u);
  a.Set(b);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.pixels[i], 2u);
  a.Set(a);
  EXPECT_EQ(a.pixels[5], 2u);
}

TEST_F(Image32Test, InitReplacesTheBuffer) {
  Image32 img(4, 4);
  img.Init(2, 8);
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 8);
  img.Fill(9);  // the new buffer holds 16 words
  EXPECT_EQ(img.Get(1, 7), 9u);
  img.Init(0, 5);
  EXPECT_EQ(img.pixels, nullptr);
}

// Copies are views: they draw into the same buffer and never release it. Run
// under AddressSanitizer, a double release or a use after release fails here.
TEST_F(Image32Test, CopiesShareWithoutReleasing) {
  Image32 owner(8, 8);
  owner.Fill(0);
  {
    Image32 view = owner;
    EXPECT_EQ(view.pixels, owner.pixels);
    EXPECT_FALSE(view.OwnsPixels());
    color = 0xFF;
    view.Put(3, 3);
    Image32 viewOfView(view);
    viewOfView.Put(4, 4);
  }
  EXPECT_EQ(owner.Get(3, 3), 0xFFu);
  EXPECT_EQ(owner.Get(4, 4), 0xFFu);
  owner.Fill(1);  // still alive

  // Assigning a view over a surface releases that surface's own buffer.
  Image32 other(2, 2);
  other = owner;
  EXPECT_EQ(other.pixels, owner.pixels);
  EXPECT_FALSE(other.OwnsPixels());
  // Assigning a view of its own buffer to the owner keeps the ownership.
  Image32 view = owner;
  owner = view;
  EXPECT_TRUE(owner.OwnsPixels());
}

TEST_F(Image32Test, MovesHandOverOwnership) {
  Image32 a(4, 4);
  uint32_t* buffer = a.pixels;
  Image32 b = std::move(a);
  EXPECT_TRUE(b.OwnsPixels());
  EXPECT_EQ(b.pixels, buffer);
  Image32 c(1, 1);
  c = std::move(b);
  EXPECT_TRUE(c.OwnsPixels());
  c.Fill(5);
}

TEST_F(Image32Test, BorrowReleasesTheOwnBufferOnce) {
  Image32 screen(6, 4);
  screen.Fill(0);
  {
    Image32 target(6, 4);
    target.Borrow(screen.pixels);
    EXPECT_FALSE(target.OwnsPixels());
    color = 0x42;
    target.Put(5, 3);
  }
  EXPECT_EQ(screen.Get(5, 3), 0x42u);
  // Repointing `pixels` by hand leaves the own buffer to be released at the
  // end and never releases the foreign one.
  {
    Image32 target(6, 4);
    target.pixels = screen.pixels;
    target.Put(0, 0);
  }
  EXPECT_EQ(screen.Get(0, 0), 0x42u);
}

}  // namespace
