// The border mask, generated at compile time from the heights of its two bands per column range.
#include "kanter.h"

#include <array>
#include <cstddef>

namespace {

// Columns first..last (inclusive) share one band height.
struct BandRange {
  int first;
  int last;
  int height;
};

// Height of the top band, rows 0 .. height - 1.
constexpr BandRange kTop[] = {
    {0, 48, 37},    {49, 50, 36},   {51, 52, 35},   {53, 55, 34},   {56, 57, 33},   {58, 59, 32},
    {60, 61, 31},   {62, 63, 30},   {64, 66, 29},   {67, 68, 28},   {69, 70, 27},   {71, 72, 26},
    {73, 75, 25},   {76, 77, 24},   {78, 79, 23},   {80, 81, 22},   {82, 84, 21},   {85, 86, 20},
    {87, 88, 19},   {89, 90, 18},   {91, 93, 17},   {94, 255, 16},  {256, 257, 17}, {258, 259, 18},
    {260, 260, 19}, {261, 262, 20}, {263, 264, 21}, {265, 266, 22}, {267, 268, 23}, {269, 269, 24},
    {270, 271, 25}, {272, 273, 26}, {274, 275, 27}, {276, 276, 28}, {277, 278, 29}, {279, 319, 30},
};

// Height of the bottom band, rows 240 - height .. 239.
constexpr BandRange kBottom[] = {
    {0, 0, 49},     {1, 102, 50},   {103, 104, 49}, {105, 105, 48}, {106, 107, 47}, {108, 109, 46},
    {110, 111, 45}, {112, 113, 44}, {114, 114, 43}, {115, 116, 42}, {117, 118, 41}, {119, 120, 40},
    {121, 121, 39}, {122, 123, 38}, {124, 125, 37}, {126, 127, 36}, {128, 129, 35}, {130, 130, 34},
    {131, 132, 33}, {133, 134, 32}, {135, 136, 31}, {137, 138, 30}, {139, 139, 29}, {140, 141, 28},
    {142, 143, 27}, {144, 319, 26},
};

constexpr int kWordsPerRow = kKanterWidth / 32;
constexpr std::size_t kWords = std::size_t{kWordsPerRow} * kKanterHeight;
static_assert(kKanterWidth % 32 == 0, "rows must start on a word boundary");

// True when the ranges cover every column once, in order, with bands that leave a gap.
template <std::size_t N>
constexpr bool CoversEveryColumn(const BandRange (&ranges)[N]) {
  int next = 0;
  for (const BandRange& r : ranges) {
    if (r.first != next || r.last < r.first) return false;
    if (r.height < 0 || r.height > kKanterHeight / 2) return false;
    next = r.last + 1;
  }
  return next == kKanterWidth;
}
static_assert(CoversEveryColumn(kTop));
static_assert(CoversEveryColumn(kBottom));

constexpr void SetPixel(std::array<uint32_t, kWords>& words, int x, int y) {
  words[static_cast<std::size_t>(y * kWordsPerRow + x / 32)] |= 0x80000000u >> (x % 32);
}

constexpr std::array<uint32_t, kWords> BuildMask() {
  std::array<uint32_t, kWords> words{};
  for (const BandRange& r : kTop) {
    for (int x = r.first; x <= r.last; ++x) {
      for (int y = 0; y < r.height; ++y) SetPixel(words, x, y);
    }
  }
  for (const BandRange& r : kBottom) {
    for (int x = r.first; x <= r.last; ++x) {
      for (int y = kKanterHeight - r.height; y < kKanterHeight; ++y) SetPixel(words, x, y);
    }
  }
  return words;
}

constexpr std::array<uint32_t, kWords> kMask = BuildMask();
static_assert(kWords == 2400);

}  // namespace

// A plain array cannot be initialised from a std::array in one step, so the initialiser lists the
// 2,400 computed words by index; the whole table is still a compile-time constant.
#define KANTER_1(i) kMask[(i)]
#define KANTER_10(i)                                                               \
  KANTER_1(i), KANTER_1(i + 1), KANTER_1(i + 2), KANTER_1(i + 3), KANTER_1(i + 4), \
      KANTER_1(i + 5), KANTER_1(i + 6), KANTER_1(i + 7), KANTER_1(i + 8), KANTER_1(i + 9)
#define KANTER_100(i)                                                                       \
  KANTER_10(i), KANTER_10(i + 10), KANTER_10(i + 20), KANTER_10(i + 30), KANTER_10(i + 40), \
      KANTER_10(i + 50), KANTER_10(i + 60), KANTER_10(i + 70), KANTER_10(i + 80),           \
      KANTER_10(i + 90)
#define KANTER_400(i) KANTER_100(i), KANTER_100(i + 100), KANTER_100(i + 200), KANTER_100(i + 300)

constinit const uint32_t kanter_bit[2400] = {
    KANTER_400(0),    KANTER_400(400),  KANTER_400(800),
    KANTER_400(1200), KANTER_400(1600), KANTER_400(2000),
};

#undef KANTER_400
#undef KANTER_100
#undef KANTER_10
#undef KANTER_1
