// Tests of Sample's volume operations, their report lines and saving to raw files.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "synth/sample.h"
#include "test_files.h"

namespace {

void Fill(Sample& s, const std::vector<int16_t>& values) {
  Sample src(static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) src.data[i] = values[i];
  s = &src;
}

std::vector<int16_t> Contents(const Sample& s) {
  return s.data ? std::vector<int16_t>(s.data, s.data + s.length) : std::vector<int16_t>{};
}

TEST(SampleVolume, GainRoundsTruncatesAndSaturates) {
  Sample s;
  Fill(s, {20000, -20000, 3, -3, 0});
  testing::internal::CaptureStdout();
  s.Volume(2.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stora: 0\nSma:  0\n");
  // -6 + 0.5 truncates toward zero to -5.
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{32767, -32767, 6, -5, 0}));

  Fill(s, {3, -3, 1, -1});
  testing::internal::CaptureStdout();
  s.Volume(0.5);
  testing::internal::GetCapturedStdout();
  // trunc(1.5 + 0.5) = 2, trunc(-1.5 + 0.5) = -1, trunc(1.0) = 1, trunc(0.0) = 0.
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{2, -1, 1, 0}));
}

TEST(SampleVolume, EmptySampleAndNanGain) {
  Sample empty;
  testing::internal::CaptureStdout();
  empty.Volume(3.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(empty.data, nullptr);

  Sample s;
  Fill(s, {100, -100});
  testing::internal::CaptureStdout();
  s.Volume(std::numeric_limits<double>::quiet_NaN());
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{0, 0}));
}

TEST(SampleVolume, RampFromStartTowardsEnd) {
  Sample s;
  Fill(s, {1000, 1000, 1000, 1000});
  s.Volume(1.0f, 0.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{1000, 750, 500, 250}));

  Fill(s, {-1000, -1000, -1000, -1000});
  s.Volume(0.0f, 2.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{0, -500, -1000, -1500}));
}

TEST(SampleVolume, RampAboveUnitySaturatesToSixteenBits) {
  Sample s;
  Fill(s, {30000, -30000});
  s.Volume(4.0f, 4.0f);
  EXPECT_EQ(Contents(s), (std::vector<int16_t>{32767, -32768}));
}

class SampleSave : public testing::Test {
 protected:
  const TempDir dir_;
  const std::string path_ = dir_ / "sample.raw";
};

TEST_F(SampleSave, WritesLittleEndianWordsAndReports) {
  Sample s;
  Fill(s, {1, -2, 0x1234});
  testing::internal::CaptureStdout();
  ASSERT_TRUE(s.Save(path_.c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Saving: " + path_ + "\nlen: 3\n");

  EXPECT_EQ(ReadFile<std::vector<unsigned char>>(path_),
            (std::vector<unsigned char>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
}

TEST_F(SampleSave, LongSampleSpansSeveralWrites) {
  Sample s;
  s.GenTriWave(50, 300);  // 15000 samples, more than one write chunk
  testing::internal::CaptureStdout();
  ASSERT_TRUE(s.Save(path_.c_str()));
  testing::internal::GetCapturedStdout();
  const std::string bytes = ReadFile(path_);
  ASSERT_EQ(bytes.size(), 30000u);
  for (uint32_t u = 0; u < s.length; ++u) {
    const auto v = static_cast<int16_t>(Le16(bytes, 2 * u));
    ASSERT_EQ(v, s.data[u]) << "at " << u;
  }
}

TEST_F(SampleSave, EmptySampleWritesEmptyFileAndTruncates) {
  Sample s;
  Fill(s, {5, 6, 7, 8});
  testing::internal::CaptureStdout();
  ASSERT_TRUE(s.Save(path_.c_str()));
  Sample empty;
  ASSERT_TRUE(empty.Save(path_.c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Saving: " + path_ + "\nlen: 4\nSaving: " + path_ + "\nlen: 0\n");
  EXPECT_TRUE(std::ifstream(path_).good());
  EXPECT_EQ(ReadFile(path_), "");
}

// No file, or a full device failing in a write part-way through a long
// sample or only when a short one is flushed at the close: false, no report.
TEST_F(SampleSave, FailuresReturnFalseWithoutReport) {
  Sample one, many;
  Fill(one, {1});
  many.GenTriWave(50, 300);  // 15000 samples, several writes
  testing::internal::CaptureStdout();
  EXPECT_FALSE(one.Save("/nonexistent-directory/x.raw"));
  EXPECT_FALSE(one.Save(nullptr));
  const std::string full = FullDevice();
  if (!full.empty()) {
    EXPECT_FALSE(one.Save(full.c_str()));
    EXPECT_FALSE(many.Save(full.c_str()));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
