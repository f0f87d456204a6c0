// Decodes the border mask bit by bit and checks every column's two bands.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kanter.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 240;

// Bit of pixel (x, y) read as a stream: pixel i in memory order is bit 31 - i % 32 of word i / 32.
bool Bit(int x, int y) {
  const long i = long{y} * kW + x;
  return (kanter_bit[i / 32] >> (31 - i % 32)) & 1u;
}

// Band heights written as the columns where a height begins, and the height from there on.
struct Change {
  int column;
  int height;
};

const std::vector<Change> kTopChanges = {
    {0, 37},   {49, 36},  {51, 35},  {53, 34},  {56, 33},  {58, 32},  {60, 31},  {62, 30},
    {64, 29},  {67, 28},  {69, 27},  {71, 26},  {73, 25},  {76, 24},  {78, 23},  {80, 22},
    {82, 21},  {85, 20},  {87, 19},  {89, 18},  {91, 17},  {94, 16},  {256, 17}, {258, 18},
    {260, 19}, {261, 20}, {263, 21}, {265, 22}, {267, 23}, {269, 24}, {270, 25}, {272, 26},
    {274, 27}, {276, 28}, {277, 29}, {279, 30},
};

const std::vector<Change> kBottomChanges = {
    {0, 49},   {1, 50},   {103, 49}, {105, 48}, {106, 47}, {108, 46}, {110, 45},
    {112, 44}, {114, 43}, {115, 42}, {117, 41}, {119, 40}, {121, 39}, {122, 38},
    {124, 37}, {126, 36}, {128, 35}, {130, 34}, {131, 33}, {133, 32}, {135, 31},
    {137, 30}, {139, 29}, {140, 28}, {142, 27}, {144, 26},
};

int HeightAt(const std::vector<Change>& changes, int column) {
  int height = -1;
  for (const Change& c : changes) {
    if (c.column <= column) height = c.height;
  }
  return height;
}

TEST(KanterMask, SizeIsTenWordsPerRow) {
  EXPECT_EQ(sizeof(kanter_bit), 9600u);
  EXPECT_EQ(kKanterWidth * kKanterHeight, 2400 * 32);
}

TEST(KanterMask, EveryColumnHoldsExactlyItsTwoBands) {
  for (int x = 0; x < kW; ++x) {
    const int top = HeightAt(kTopChanges, x);
    const int bottom = HeightAt(kBottomChanges, x);
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
