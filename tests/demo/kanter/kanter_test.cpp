// Decodes the border mask bit by bit and checks every column's two bands.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "demo/kanter.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 240;

// Bit of pixel (x, y) read as a stream: pixel i in memory order is bit 31 - i % 32 of word i / 32.
bool Bit(int x, int y) {
  const long i = long{y} * kW + x;
  return (kanter_bit[i / 32] >> (31 - i % 32)) & 1u;
}

// The mask's shape, written independently of the table under test: the band
// heights by column range ("first-last: height" or "column: height").
constexpr const char* kTopBands =
    "0-48: 37; 49-50: 36; 51-52: 35; 53-55: 34; 56-57: 33; 58-59: 32; 60-61: 31; 62-63: 30; "
    "64-66: 29; 67-68: 28; 69-70: 27; 71-72: 26; 73-75: 25; 76-77: 24; 78-79: 23; 80-81: 22; "
    "82-84: 21; 85-86: 20; 87-88: 19; 89-90: 18; 91-93: 17; 94-255: 16; 256-257: 17; "
    "258-259: 18; 260: 19; 261-262: 20; 263-264: 21; 265-266: 22; 267-268: 23; 269: 24; "
    "270-271: 25; 272-273: 26; 274-275: 27; 276: 28; 277-278: 29; 279-319: 30";
constexpr const char* kBottomBands =
    "0: 49; 1-102: 50; 103-104: 49; 105: 48; 106-107: 47; 108-109: 46; 110-111: 45; "
    "112-113: 44; 114: 43; 115-116: 42; 117-118: 41; 119-120: 40; 121: 39; 122-123: 38; "
    "124-125: 37; 126-127: 36; 128-129: 35; 130: 34; 131-132: 33; 133-134: 32; 135-136: 31; "
    "137-138: 30; 139: 29; 140-141: 28; 142-143: 27; 144-319: 26";

// The height of every column from a band text; -1 for a column it leaves out.
std::vector<int> HeightsByColumn(const std::string& text) {
  std::vector<int> heights(kW, -1);
  std::istringstream in(text);
  std::string range;
  while (std::getline(in, range, ';')) {
    int first = 0, last = 0, height = 0;
    if (std::sscanf(range.c_str(), " %d-%d: %d", &first, &last, &height) != 3) {
      EXPECT_EQ(std::sscanf(range.c_str(), " %d: %d", &first, &height), 2) << range;
      last = first;
    }
    for (int x = first; x <= last && x < kW; ++x) heights[x] = height;
  }
  return heights;
}
TEST(KanterMask, SizeIsTenWordsPerRow) {
  EXPECT_EQ(sizeof(kanter_bit), 9600u);
  EXPECT_EQ(kKanterWidth * kKanterHeight, 2400 * 32);
}

TEST(KanterMask, EveryColumnHoldsExactlyItsTwoBands) {
  const std::vector<int> tops = HeightsByColumn(kTopBands);
  const std::vector<int> bottoms = HeightsByColumn(kBottomBands);
  for (int x = 0; x < kW; ++x) {
    const int top = tops[x];
    const int bottom = bottoms[x];
    ASSERT_GE(top, 0) << "column " << x << " has no top height";
    ASSERT_GE(bottom, 0) << "column " << x << " has no bottom height";
    for (int y = 0; y < kH; ++y) {
      const bool expected = y < top || y >= kH - bottom;
      ASSERT_EQ(Bit(x, y), expected) << "column " << x << " row " << y;
    }
  }
}

TEST(KanterMask, SpotChecksAgainstLiteralHeights) {
  auto top_height = [](int x) {
    int n = 0;
    while (n < kH && Bit(x, n)) ++n;
    return n;
  };
  auto bottom_height = [](int x) {
    int n = 0;
    while (n < kH && Bit(x, kH - 1 - n)) ++n;
    return n;
  };
  EXPECT_EQ(top_height(0), 37);
  EXPECT_EQ(top_height(48), 37);
  EXPECT_EQ(top_height(94), 16);
  EXPECT_EQ(top_height(93), 17);
  EXPECT_EQ(top_height(255), 16);
  EXPECT_EQ(top_height(256), 17);
  EXPECT_EQ(top_height(319), 30);
  EXPECT_EQ(bottom_height(0), 49);
  EXPECT_EQ(bottom_height(1), 50);
  EXPECT_EQ(bottom_height(102), 50);
  EXPECT_EQ(bottom_height(103), 49);
  EXPECT_EQ(bottom_height(144), 26);
  EXPECT_EQ(bottom_height(319), 26);
}

TEST(KanterMask, KnownWordsOfTheStream) {
  // Row 0 lies wholly inside the top band; row 120 is clear everywhere.
  for (int w = 0; w < 10; ++w) EXPECT_EQ(kanter_bit[w], 0xFFFFFFFFu) << "word " << w;
  for (int w = 1200; w < 1210; ++w) EXPECT_EQ(kanter_bit[w], 0u) << "word " << w;
  // Row 16 (words 160..169): columns 0..93 and 256..319 are still in the top band. Column 93 is
  // bit 2 of word 2, so that word keeps its top 30 bits; column 256 starts word 8.
  EXPECT_EQ(kanter_bit[160], 0xFFFFFFFFu);
  EXPECT_EQ(kanter_bit[162], 0xFFFFFFFCu);
  EXPECT_EQ(kanter_bit[163], 0u);
  EXPECT_EQ(kanter_bit[168], 0xFFFFFFFFu);
  // Row 190 (first row of a 50-row bottom band): columns 1..102 set, column 0 not.
  EXPECT_EQ(kanter_bit[1900], 0x7FFFFFFFu);
  EXPECT_EQ(kanter_bit[1903], 0xFE000000u);  // of columns 96..127 only 96..102 are set
}

}  // namespace
