// The composed model itself: sample formats and loops within bounds, tonal
// samples in tune, and a composition that is the same on every call and the
// same as the built veldraflimmer.xm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "composition.h"
#include "test_files.h"
#include "xm_writer.h"

namespace {

// The sound of a sample's loop as the player plays it, several times over:
// a forward loop repeats, a ping-pong loop alternates with its reverse.
std::vector<double> PlayedLoop(const XmSample& s) {
  std::vector<double> one(s.data.begin() + s.loopStart,
                          s.data.begin() + s.loopStart + s.loopLength);
  if (s.loopType == 2) one.insert(one.end(), one.rbegin(), one.rend());
  std::vector<double> out;
  while (out.size() < 8192) out.insert(out.end(), one.begin(), one.end());
  return out;
}

// The period in samples: the best normalised autocorrelation lag, refined by
// a parabola through its neighbours.
double Period(const std::vector<double>& x, int minLag, int maxLag) {
  auto score = [&](int lag) {
    double num = 0, a = 0, b = 0;
    for (size_t i = 0; i + lag < x.size(); ++i) {
      num += x[i] * x[i + lag];
      a += x[i] * x[i];
      b += x[i + lag] * x[i + lag];
    }
    return num / std::sqrt(a * b + 1e-9);
  };
  int best = minLag;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    if (score(lag) > score(best) + 1e-6) best = lag;
  }
  double l = score(best - 1), c = score(best), r = score(best + 1);
  double shift = (l - r) / (2.0 * (l - 2.0 * c + r));
  return best + (std::isfinite(shift) ? shift : 0.0);
}

const XmSong& Model() {
  static const XmSong song = songmaker::ComposeSong();
  return song;
}

TEST(SongModel, SamplesAreEightAndSixteenBitWithLoopsInBounds) {
  bool eight = false, sixteen = false, forward = false, pingPong = false;
  size_t values = 0;
  for (const XmInstrument& ins : Model().instruments) {
    for (const XmSample& s : ins.samples) {
      SCOPED_TRACE(s.name);
      ASSERT_FALSE(s.data.empty());
      values += s.data.size();
      (s.sixteenBit ? sixteen : eight) = true;
      forward |= s.loopType == 1;
      pingPong |= s.loopType == 2;
      if (s.loopType != 0) {
        EXPECT_GT(s.loopLength, 0u);
        EXPECT_LE(s.loopStart + s.loopLength, s.data.size());
      }
      if (!s.sixteenBit) {
        // 8-bit samples are rounded to whole 8-bit steps before writing.
        for (int16_t v : s.data) ASSERT_EQ(v % 256, 0);
      }
    }
  }
  EXPECT_TRUE(eight && sixteen && forward && pingPong);
  EXPECT_LT(values, 300'000u);  // keeps the file well under 600 KB
}

// Played at C-4, every looped tonal sample sounds a C (261.63 Hz) within 5
// cents: the relative note and finetune match the wave's period.
TEST(SongModel, TonalSamplesAreInTune) {
  int checked = 0;
  for (const XmInstrument& ins : Model().instruments) {
    if (ins.name != "bass" && ins.name != "lead" && ins.name != "pad" && ins.name != "arp") {
      continue;
    }
    const XmSample& s = ins.samples[0];
    SCOPED_TRACE(ins.name);
    ASSERT_NE(s.loopType, 0);
    double period = Period(PlayedLoop(s), 100, 160);
    double rate = 8363.0 * std::pow(2.0, (s.relativeNote + s.finetune / 128.0) / 12.0);
    double cents = 1200.0 * std::log2(rate / period / 261.6256);
    EXPECT_NEAR(cents, 0.0, 5.0) << "period " << period;
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

// A forward loop jumps from its last value back to its first: that step must
// be no bigger than the steps inside the loop, or every pass would click.
TEST(SongModel, ForwardLoopsJoinWithoutAJump) {
  int checked = 0;
  for (const XmInstrument& ins : Model().instruments) {
    for (const XmSample& s : ins.samples) {
      if (s.loopType != 1) continue;
      SCOPED_TRACE(s.name);
      int largest = 0;
      for (uint32_t i = s.loopStart + 1; i < s.loopStart + s.loopLength; ++i) {
        largest = std::max(largest, std::abs(s.data[i] - s.data[i - 1]));
      }
      int seam = std::abs(s.data[s.loopStart] - s.data[s.loopStart + s.loopLength - 1]);
      EXPECT_LE(seam, largest);
      ++checked;
    }
  }
  EXPECT_GE(checked, 3);  // crash, bass, pad
}

TEST(SongModel, CompositionIsDeterministicAndMatchesTheBuiltFile) {
  std::vector<uint8_t> first = WriteXm(songmaker::ComposeSong());
  std::vector<uint8_t> second = WriteXm(songmaker::ComposeSong());
  EXPECT_EQ(first, second);
  const auto built = ReadFile<std::vector<uint8_t>>("veldraflimmer.xm");
  ASSERT_FALSE(built.empty());
  EXPECT_EQ(first, built);
  EXPECT_LT(built.size(), 600'000u);
}

}  // namespace
