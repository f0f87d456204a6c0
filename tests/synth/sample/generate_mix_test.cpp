// Tests of the Sample buffer: construction, copying, the triangle wave, mixing and echoes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "synth/sample.h"

namespace {

std::vector<int16_t> Contents(const Sample& s) {
  return s.data ? std::vector<int16_t>(s.data, s.data + s.length) : std::vector<int16_t>{};
}

void Fill(Sample& s, const std::vector<int16_t>& values) {
  Sample src(static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) src.data[i] = values[i];
  s = &src;
}

TEST(SampleBuffer, ConstructionAndOwnership) {
  Sample empty;
  EXPECT_EQ(empty.data, nullptr);
  EXPECT_EQ(empty.length, 0u);

  Sample zeros(5);
  ASSERT_NE(zeros.data, nullptr);
  EXPECT_EQ(Contents(zeros), std::vector<int16_t>(5, 0));

  Sample negative(-3);
  EXPECT_EQ(negative.data, nullptr);
  EXPECT_EQ(negative.length, 0u);
}

TEST(SampleBuffer, AssignmentCopiesIntoOwnBuffer) {
  Sample a;
  Fill(a, {1, -2, 3});
  Sample b(7);
  b = &a;
  EXPECT_EQ(Contents(b), (std::vector<int16_t>{1, -2, 3}));
  EXPECT_NE(b.data, a.data);
  b.data[0] = 99;
  EXPECT_EQ(a.data[0], 1);

  b = &b;  // assigning to itself keeps the contents
  EXPECT_EQ(Contents(b), (std::vector<int16_t>{99, -2, 3}));

  Sample empty;
  b = &empty;
  EXPECT_EQ(b.data, nullptr);
  EXPECT_EQ(b.length, 0u);
  b = static_cast<Sample*>(nullptr);
  EXPECT_EQ(b.length, 0u);
}

TEST(SampleTriangle, TwoShortSlopesTurnAtTheThresholds) {
  Sample s;
  s.GenTriWave(2, 4);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{0, 7500, 15000, 7500, 0, -7500, -15000, -7500}));
}

TEST(SampleTriangle, LongWaveStaysWithinOneStepOfTheThresholds) {
  Sample s;
  s.GenTriWave(10, 100);
  ASSERT_EQ(s.length, 1000u);
  int16_t lo = 0, hi = 0;
  int turns = 0;
  for (uint32_t i = 0; i < s.length; ++i) {
    lo = std::min(lo, s.data[i]);
    hi = std::max(hi, s.data[i]);
    if (i >= 2 && (s.data[i - 1] > s.data[i - 2]) != (s.data[i] > s.data[i - 1])) ++turns;
  }
  EXPECT_GE(hi, 15000);
  EXPECT_LT(hi, 15000 + 301);
  EXPECT_LE(lo, -15000);
  EXPECT_GT(lo, -15000 - 301);
  // Half a slope to the first peak, then one turn per slope of about 100 samples.
  EXPECT_GE(turns, 9);
  EXPECT_LE(turns, 10);
}

TEST(SampleTriangle, RegenerationReplacesAndBadSizesEmpty) {
  Sample s(3);
  s.GenTriWave(1, 6);
  EXPECT_EQ(s.length, 6u);
  s.GenTriWave(0, 6);
  EXPECT_EQ(s.length, 0u);
  EXPECT_EQ(s.data, nullptr);
  s.GenTriWave(-2, -4);  // the product is positive, but neither factor is a size
  EXPECT_EQ(s.length, 0u);
}

TEST(SampleInput, MixesAtOffsetAndGrows) {
  Sample s;
  Sample three;
  Fill(three, {1000, 1000, 1000});
  s.Input(&three, 2);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{0, 0, 1000, 1000, 1000}));

  // Mixing inside the existing length keeps the length; only the mixed positions change.
  Sample one;
  Fill(one, {-500});
  s.Input(&one, 3);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{0, 0, 1000, 500, 1000}));
}

TEST(SampleInput, SumsSaturateAtTheMixingLimitOnlyWhereMixed) {
  Sample s;
  Fill(s, {20000, -20000, 30000, 21000});
  Sample add;
  Fill(add, {20000, -20000});
  s.Input(&add, 0);
  // The untouched 30000 stays above the mixing limit.
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{21000, -21000, 30000, 21000}));
}

TEST(SampleInput, SelfMixAndRejectedArguments) {
  Sample s;
  Fill(s, {100, 200});
  s.Input(&s, 1);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{100, 300, 200}));

  s.Input(&s, -1);
  s.Input(nullptr, 0);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{100, 300, 200}));
}

TEST(SampleReverb, ShortDelayAddsOneEcho) {
  Sample s;
  std::vector<int16_t> start = {20000, 1, 2, 3, 20000, 5, 6, 7, 8, 9};
  Fill(s, start);
  s.Reverb(4, 1.0f);
  // Spacing 4 is already 5 or less: one echo at offset 4.
  ASSERT_EQ(s.length, 14u);
  std::vector<int16_t> expected(14, 0);
  for (size_t i = 0; i < 10; ++i) expected[i] = start[i];
  for (size_t i = 0; i < 10; ++i) {
    expected[i + 4] = static_cast<int16_t>(std::clamp(expected[i + 4] + start[i], -21000, 21000));
  }
  EXPECT_EQ(Contents(s), expected);
  EXPECT_EQ(s.data[4], 21000);  // 20000 + 20000, clamped
}

TEST(SampleReverb, EchoesGatherAtShrinkingSpacingsFromTheOriginal) {
  Sample s;
  Fill(s, {1000});
  s.Reverb(20, 1.0f);
  // Spacings trunc(20/n): 20, 10, 6, 5 -> echoes at 20, 30, 36, 41; each copies the original,
  // not the growing result.
  ASSERT_EQ(s.length, 42u);
  for (uint32_t i = 0; i < s.length; ++i) {
    const bool echo = i == 0 || i == 20 || i == 30 || i == 36 || i == 41;
    EXPECT_EQ(s.data[i], echo ? 1000 : 0) << "at " << i;
  }
}

TEST(SampleReverb, NonShrinkingSpacingIsRejected) {
  Sample s;
  Fill(s, {7, 8});
  s.Reverb(100, 0.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{7, 8}));
  s.Reverb(100, -1.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{7, 8}));
  // A short delay ends at once whatever the decay: one echo.
  s.Reverb(3, -2.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{7, 8, 0, 7, 8}));
}

TEST(SampleReverb, SlowDecayIsBoundedByTheEchoLimit) {
  Sample s;
  Fill(s, {1});
  // With decay 1e-6 the first spacing is 10 and every later one stays at 9 for far more echoes
  // than the limit allows.
  s.Reverb(10, 1e-6f);
  EXPECT_EQ(s.length, 1u + 10u + 9u * (Sample::kMaxEchoes - 1));
  EXPECT_EQ(s.data[10], 1);
  EXPECT_EQ(s.data[19], 1);
  EXPECT_EQ(s.data[18], 0);
  EXPECT_EQ(s.data[s.length - 1], 1);
}

TEST(SampleReverb, HugeDelayStopsAtTheLargestLength) {
  Sample s;
  Fill(s, {1});
  // The first echo would need a length past 2^32 - 1 samples: nothing fits, nothing changes.
  s.Reverb(0xFFFFFFFFu, 1.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{1}));
}

}  // namespace
