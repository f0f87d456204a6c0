// End to end: the song rendered by the real xmplay executable through our
// player lasts exactly its 515 rows, peaks between -6 and -1 dBFS without a
// clipped sample, and sounds on the rows the show is timed to.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kFramesPerRow = 6 * 660;  // speed 6, 660 frames a tick at 167 BPM
constexpr int kRowsInSong = 64 * 7 + 67;

// Interleaved stereo samples of a 16-bit PCM WAV file; empty on any error.
std::vector<int16_t> ReadWav(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return {};
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    uint32_t size;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
      size = std::min<uint32_t>(size, static_cast<uint32_t>(bytes.size() - at - 8));
      std::vector<int16_t> samples(size / 2);
      std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
      return samples;
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

class SongRender : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // CTest may run the cases of this suite in parallel processes: each
    // renders into a file of its own.
    std::string wav = "song_render_test_" + std::to_string(getpid()) + ".wav";
    int status = std::system(("./xmplay veldraflimmer.xm --wav " + wav + " >/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    samples_ = ReadWav(wav.c_str());
    std::remove(wav.c_str());
  }
  static void TearDownTestSuite() { samples_.clear(); }
  static std::vector<int16_t> samples_;
};
std::vector<int16_t> SongRender::samples_;

TEST_F(SongRender, LastsExactlyTheSongsRows) {
  EXPECT_EQ(samples_.size(), 2u * kFramesPerRow * kRowsInSong);
}

TEST_F(SongRender, PeaksBetweenMinusSixAndMinusOneDecibelWithoutClipping) {
  ASSERT_FALSE(samples_.empty());
  int peak = 0;
  double sum = 0;
  for (int16_t s : samples_) {
    ASSERT_GT(s, -32768);
    ASSERT_LT(s, 32767);
    peak = std::max(peak, std::abs(static_cast<int>(s)));
    sum += static_cast<double>(s) * s;
  }
  double peakDb = 20.0 * std::log10(peak / 32768.0);
  double rmsDb = 10.0 * std::log10(sum / samples_.size() / (32768.0 * 32768.0));
  EXPECT_GE(peakDb, -6.0);
  EXPECT_LE(peakDb, -1.0);
  EXPECT_GT(rmsDb, -24.0);  // loud enough to be a finished mix
  RecordProperty("peak_dbfs", std::to_string(peakDb));
  RecordProperty("rms_dbfs", std::to_string(rmsDb));
}

// The show's very first event (order 0, row 0) and its stop (order 7, row 62)
// are heard: sound starts with the song and a hit lands on the stop row.
TEST_F(SongRender, HitsOnTheFirstAndTheLastEvent) {
  ASSERT_FALSE(samples_.empty());
  auto level = [&](long frame, int frames) {
    double sum = 0;
    for (long i = frame; i < frame + frames; ++i) {
      double d = samples_[2 * i] - samples_[2 * (i - 1)];  // differences favour attacks
      sum += d * d;
    }
    return sum / frames;
  };
  EXPECT_GT(level(1, 400), 1e4);
  constexpr long kStopRow = 64 * 3 + 67 + 64 * 3 + 62;  // order 7, row 62
  long at = kStopRow * kFramesPerRow;
  EXPECT_GT(level(at, 600), 4.0 * level(at - 1000, 600));
}

}  // namespace
