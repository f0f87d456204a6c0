// The WAV writer: a 44-byte header whose sizes match the data written, the
// samples after it as an independent reader reads them, and no file that its header misdescribes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "test_files.h"
#include "wav_file.h"
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

  // Read back by libsndfile: the format, the sizes and the values.
  const WavSound read = ReadWav(path);
  EXPECT_TRUE(read.exact);
  EXPECT_TRUE(read.pcm16);
  EXPECT_EQ(read.rate, 22050);
  EXPECT_EQ(read.channels, 2);
  EXPECT_EQ(read.samples, (std::vector<int16_t>{1, -2, 0x1234, -0x1234, 7, 8}));
  EXPECT_EQ(ReadFile(path).size(), 44u + 12u);
}

// The RIFF size (data + 36) must fit 32 bits: the data may grow to
// 4,294,967,256 bytes, 1,073,741,814 frames. Sizes beyond are refused before
// any sample is read, so the short buffer is never touched.
TEST(WavWriter, RefusesDataBeyondWhatTheHeaderCanDescribe) {
  const int16_t one[2] = {0, 0};
  for (const uint32_t frames : {1073741815u, 1u << 30, 0xFFFFFFFFu}) {
    const TempDir dir;
    WavWriter wav;
    ASSERT_TRUE(wav.Open(dir / "limit.wav", 44100));
    EXPECT_FALSE(wav.Write(one, frames)) << frames;
    EXPECT_FALSE(wav.Write(one, 1)) << "the writer stays failed";
    EXPECT_FALSE(wav.Close());
  }
}

// Up to the last frame the header can describe, written for real (into
// /dev/null, which takes everything), then one more.
TEST(WavWriter, TheLastFrameTheHeaderCanDescribeIsWritten) {
  if (!std::ifstream("/dev/null").good()) GTEST_SKIP() << "no /dev/null";
  constexpr uint32_t kLast = 1073741814, kPiece = 1 << 20;
  const std::vector<int16_t> silence(2 * kPiece);
  WavWriter wav;
  ASSERT_TRUE(wav.Open("/dev/null", 44100));
  uint32_t written = 0;
  while (written + kPiece < kLast) {
    ASSERT_TRUE(wav.Write(silence.data(), kPiece)) << written;
    written += kPiece;
  }
  ASSERT_TRUE(wav.Write(silence.data(), kLast - 1 - written));
  EXPECT_TRUE(wav.Write(silence.data(), 1));   // the last frame
  EXPECT_FALSE(wav.Write(silence.data(), 1));  // one past it
  EXPECT_FALSE(wav.Close());
}

// Every failure is reported: a path that cannot be created fails to open; the
// writer buffers nothing, so on a full device the header already fails; and a
// file that stops growing part-way (a size limit, as a disk filling up) fails
// the write that crosses it, the later ones and Close.
TEST(WavWriter, EveryWriteFailureIsReported) {
  WavWriter unopened;
  EXPECT_FALSE(unopened.Open("/nonexistent-directory/x.wav", 44100));
  EXPECT_FALSE(unopened.Close());

  const std::vector<int16_t> values(2 * 1000, 5);
  const std::string full = FullDevice();
  ASSERT_FALSE(full.empty());
  WavWriter onFull;
  EXPECT_FALSE(onFull.Open(full, 44100));
  EXPECT_FALSE(onFull.Write(values.data(), 10));
  EXPECT_FALSE(onFull.Close());

  // Files of this process may grow to 1,000 bytes: the header and 100 frames
  // (444 bytes) fit, 200 more frames do not. Beyond the limit a write fails
  // with EFBIG once SIGXFSZ is ignored.
  const TempDir dir;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const rlimit limited{1000, old.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  WavWriter partWay;
  const bool opened = partWay.Open(dir / "part.wav", 44100);
  const bool first = partWay.Write(values.data(), 100);
  const bool crossing = partWay.Write(values.data(), 200);
  const bool after = partWay.Write(values.data(), 1);
  const bool closed = partWay.Close();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(first);
  EXPECT_FALSE(crossing);
  EXPECT_FALSE(after);
  EXPECT_FALSE(closed);
}

}  // namespace
