// The WAV writer: a 44-byte header whose sizes match the data written, the
// samples little-endian after it, and no file that its header misdescribes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"
#include "wav_writer.h"

namespace {

TEST(WavWriter, HeaderSizesMatchTheDataWritten) {
  const TempDir dir;
  const std::string path = dir / "header.wav";
  WavWriter wav;
  ASSERT_TRUE(wav.Open(path, 22050));
  const int16_t first[] = {1, -2, 0x1234, -0x1234};
  const int16_t second[] = {7, 8};
  ASSERT_TRUE(wav.Write(first, 2));
  ASSERT_TRUE(wav.Write(second, 1));
  ASSERT_TRUE(wav.Close());

  const auto b = ReadFile<std::vector<unsigned char>>(path);
  ASSERT_EQ(b.size(), 44u + 12u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(Le32(b, 4), 36u + 12u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32(b, 24), 22050u);
  EXPECT_EQ(Le32(b, 28), 22050u * 4);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(Le32(b, 40), 12u);
  // -2 little-endian, then 0x1234 and 7.
  EXPECT_EQ(b[46], 0xFE);
  EXPECT_EQ(b[47], 0xFF);
  EXPECT_EQ(b[48], 0x34);
  EXPECT_EQ(b[49], 0x12);
  EXPECT_EQ(b[52], 7);
}

TEST(WavWriter, RefusesDataBeyondWhatTheHeaderCanDescribe) {
  const TempDir dir;
  const std::string path = dir / "limit.wav";
  WavWriter wav;
  ASSERT_TRUE(wav.Open(path, 44100));
  // The size test comes before any sample is read, so the short buffer is
  // never touched: 2^30 frames are 4 GiB of data.
  const int16_t one[2] = {0, 0};
  EXPECT_FALSE(wav.Write(one, 1u << 30));
  EXPECT_FALSE(wav.Write(one, 1));  // the writer stays failed
  EXPECT_FALSE(wav.Close());
}

TEST(WavWriter, AnUnwritablePathFailsToOpen) {
  WavWriter wav;
  EXPECT_FALSE(wav.Open("/nonexistent-directory/x.wav", 44100));
  EXPECT_FALSE(wav.Close());
}

}  // namespace
