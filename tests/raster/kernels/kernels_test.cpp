// Every table of row kernels against the per-pixel rules on hand-made rows:
// the weights and channel bytes where rounding, sign and saturation go wrong
// (0, 1, 127, 128, 254, 255), every row length from 0 to 33 (the vector
// bodies and all their tails), at every word offset within a 32-byte line.
// The words around each row must come back untouched. A table the processor
// or the build does not offer is skipped, and says so.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "kernel_sets.h"
#include "raster/kernels.h"
#include "raster/noise.h"
#include "reference.h"

namespace {

constexpr uint8_t kEdges[] = {0, 1, 127, 128, 254, 255};
constexpr int kPairs = 36;         // (source, destination) byte pairs
constexpr int kPool = 6 * kPairs;  // every weight with every pair
constexpr int kMaxLength = 33;     // four 8-pixel bodies and a tail
constexpr int kOffsets = 8;        // words in a 32-byte line
constexpr uint32_t kGuard = 0xA5C3E10Fu;

// Pool word k: weight kEdges[k / 36]; red, green and blue take the byte pairs
// k, k + 1 and k + 2 (mod 36), so every channel meets every pair under every
// weight. Destinations carry a weight byte that the rules must drop.
uint32_t Channels(int k, bool destination) {
  uint32_t word = 0;
  for (int ch = 0; ch < 3; ++ch) {
    const int pair = (k + ch) % kPairs;
    word = word << 8 | kEdges[destination ? pair % 6 : pair / 6];
  }
  return word;
}

uint32_t Source(int k) {
  k %= kPool;
  return static_cast<uint32_t>(kEdges[k / kPairs]) << 24 | Channels(k, false);
}
uint32_t Destination(int k) {
  k %= kPool;
  return 0x5Au << 24 | Channels(k, true);
}

// A row of words inside a 64-byte aligned buffer, guard words all around.
struct Line {
  alignas(64) std::array<uint32_t, 64> words;
  Line() { words.fill(kGuard); }
  uint32_t* At(int offset) { return words.data() + 8 + offset; }
};

// Empty when the lines are equal, else the first differing word.
std::string Difference(const Line& got, const Line& want) {
  for (size_t i = 0; i < got.words.size(); ++i) {
    if (got.words[i] == want.words[i]) continue;
    char text[80];
    std::snprintf(text, sizeof text, "word %zu (row starts at 8 + offset): %08X, want %08X", i,
                  got.words[i], want.words[i]);
    return text;
  }
  return "";
}

class KernelRows : public ::testing::TestWithParam<raster::KernelSet> {
 protected:
  void SetUp() override {
    table_ = raster::KernelTable(GetParam());
    if (table_ == nullptr) {
      std::printf("%s kernels: not offered here, skipped\n", raster::KernelSetName(GetParam()));
      GTEST_SKIP() << raster::KernelSetName(GetParam()) << " kernels not offered here";
    }
    std::printf("%s kernels: compared\n", raster::KernelSetName(GetParam()));
  }
  const raster::RowKernels* table_ = nullptr;
};

TEST_P(KernelRows, BlendMatchesTheRule) {
  for (int n = 0; n <= kMaxLength; ++n) {
    for (int offset = 0; offset < kOffsets; ++offset) {
      const int sourceOffset = (offset * 3 + 1) % kOffsets;  // misaligned differently
      for (int base = 0; base<kPool; base += n> 0 ? n : kPool) {
        Line src, dst, want;
        for (int i = 0; i < n; ++i) {
          src.At(sourceOffset)[i] = Source(base + i);
          dst.At(offset)[i] = Destination(base + i);
          want.At(offset)[i] = ref::Blend(Source(base + i), Destination(base + i));
        }
        table_->blend(dst.At(offset), src.At(sourceOffset), n);
        ASSERT_EQ(Difference(dst, want), "")
            << "length " << n << " offset " << offset << " base " << base;
      }
    }
  }
}

// The blur's inner step: each destination pixel blended with the pixels
// diagonally below it, one row per k, the weight lowered by k steps. Step 0
// keeps the hand-made weights; the blur's own steps wrap them past 0.
TEST_P(KernelRows, BlurBlendMatchesTheRule) {
  struct Case {
    int kCount;
    uint32_t step;
  };
  static constexpr Case kCases[] = {
      {1, 0}, {3, 0}, {1, 255u << 24}, {2, 127u << 24}, {5, 51u << 24}};
  for (const Case& c : kCases) {
    for (int n = 0; n <= kMaxLength; ++n) {
      for (int offset = 0; offset < kOffsets; ++offset) {
        for (int base = 0; base<kPool; base += n> 0 ? n : kPool) {
          std::vector<Line> rows(static_cast<size_t>(c.kCount));
          std::vector<const uint32_t*> starts;
          for (int k = 1; k <= c.kCount; ++k) {
            const int rowOffset = (offset + 2 * k) % kOffsets;
            uint32_t* row = rows[static_cast<size_t>(k - 1)].At(rowOffset);
            for (int x = 0; x < n + c.kCount; ++x) row[x] = Source(base + 7 * k + x);
            starts.push_back(row);
          }
          Line dst, want;
          for (int x = 0; x < n; ++x) {
            dst.At(offset)[x] = Destination(base + x);
            uint32_t d = Destination(base + x);
            uint32_t sub = 0;
            for (int k = 1; k <= c.kCount; ++k) {
              sub += c.step;
              d = ref::Blend(starts[static_cast<size_t>(k - 1)][x + k] - sub, d);
            }
            want.At(offset)[x] = d;
          }
          table_->blurBlend(dst.At(offset), starts.data(), c.kCount, c.step, n);
          ASSERT_EQ(Difference(dst, want), "")
              << "rows " << c.kCount << " step " << (c.step >> 24) << " length " << n << " offset "
              << offset << " base " << base;
        }
      }
    }
  }
}

// Noise mode 4 scales each channel by a byte of the pixel's noise word. The
// noise is not chosen, but the row's first draw index is: the counters below
// put a factor of 0, 1, 127, 128, 254 and 255 into every lane, and the counter
// that wraps past 2^32 within the row.
TEST_P(KernelRows, NoiseMatchesTheRule) {
  std::vector<uint32_t> counters = {0xFFFFFFF0u};
  for (int byte = 0; byte < 3; ++byte) {
    for (uint8_t factor : kEdges) {
      uint32_t c = 0;
      while ((raster::NoiseWord(c) >> (8 * byte) & 0xFF) != factor) ++c;
      for (uint32_t lane = 0; lane < kOffsets; ++lane) counters.push_back(c - lane);
    }
  }
  for (int n = 0; n <= kMaxLength; ++n) {
    for (int offset = 0; offset < kOffsets; ++offset) {
      for (uint32_t counter : counters) {
        Line row, want;
        for (int i = 0; i < n; ++i) {
          const uint32_t p = Destination(static_cast<int>(counter % kPool) + i);
          const uint32_t r = raster::NoiseWord(counter + static_cast<uint32_t>(i));
          row.At(offset)[i] = p;
          want.At(offset)[i] = ((p & 0xFF) * (r & 0xFF) >> 8) |
                               (((p >> 8 & 0xFF) * (r >> 8 & 0xFF)) & 0xFF00) |
                               ((((p >> 16 & 0xFF) * (r >> 16 & 0xFF)) << 8) & 0xFF0000);
        }
        table_->brus4(row.At(offset), n, counter);
        ASSERT_EQ(Difference(row, want), "")
            << "length " << n << " offset " << offset << " counter " << counter;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, KernelRows, VF_ALL_KERNEL_SETS);

}  // namespace
