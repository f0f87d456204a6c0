// End to end: the song rendered by the real xmplay executable through our
// player lasts exactly its 515 rows, peaks between -6 and -1 dBFS without a
// clipped sample, and starts an audible hit on the rows the show is timed to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "demo/sync.h"
#include "test_files.h"
#include "test_process.h"
#include "wav_file.h"

namespace {

constexpr int kFramesPerTick = 660;                // 44,100 x 2.5 / 167 BPM, truncated
constexpr int kFramesPerRow = 6 * kFramesPerTick;  // speed 6
constexpr int kRowsInSong = 64 * 7 + 67;

// The song as rendered once per test run by xmplay (the song_render_once
// fixture). Checked in SetUp, not SetUpTestSuite: GoogleTest reports the tests
// of a failed suite set-up as skipped, and CTest would count them as passed.
class SongRender : public testing::Test {
 protected:
  void SetUp() override {
    if (samples_.empty()) samples_ = ReadWav(SONG_RENDER_WAV).samples;
    ASSERT_FALSE(samples_.empty()) << "the song_render_once fixture has not run";
  }
  static std::vector<int16_t> samples_;
};
std::vector<int16_t> SongRender::samples_;

// The first frame of every (order, row) the sequencer plays, from the
// timeline xmplay prints (one line per tick, each tick kFramesPerTick frames).
std::map<std::pair<int, int>, long> RowStarts() {
  std::map<std::pair<int, int>, long> starts;
  const RunResult timeline = RunCommand("./xmplay veldraflimmer.xm --timeline");
  if (timeline.status != 0) return starts;
  std::istringstream lines(timeline.out);
  int order, row, tick, ms;
  for (long line = 0; lines >> order >> row >> tick >> ms; ++line) {
    if (tick == 0) starts.emplace(std::make_pair(order, row), line * kFramesPerTick);
  }
  return starts;
}

// Energy above about 2 kHz, where drum attacks sit, of both channels: a
// second-order high-pass (Butterworth, bilinear transform) run over each.
std::vector<double> HighBandEnergy(const std::vector<int16_t>& stereo) {
  const double w = 2.0 * M_PI * 2000.0 / 44100.0, alpha = std::sin(w) / std::sqrt(2.0);
  const double a0 = 1 + alpha, c = std::cos(w);
  const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0;
  const double a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
  const size_t frames = stereo.size() / 2;
  std::vector<double> energy(frames, 0.0);
  for (int ch = 0; ch < 2; ++ch) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < frames; ++i) {
      const double x = stereo[2 * i + ch];
      const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      energy[i] += y * y;
    }
  }
  return energy;
}

TEST_F(SongRender, LastsExactlyTheSongsRows) {
  EXPECT_EQ(samples_.size(), 2u * kFramesPerRow * kRowsInSong);
}

TEST_F(SongRender, PeaksBetweenMinusSixAndMinusOneDecibelWithoutClipping) {
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

// Every row the show's synchronisation table names (each row once, the stop
// record's too) starts an audible hit: in the high band, the 30 ms after the
// row's first frame carry at least 3 dB more energy than the 30 ms before.
// A few rows may be masked by the mix; 98% must be heard.
TEST_F(SongRender, EverySynchronisedRowStartsAnAudibleHit) {
  const auto starts = RowStarts();
  ASSERT_EQ(starts.size(), static_cast<size_t>(kRowsInSong)) << "the timeline did not run";
  const std::vector<double> energy = HighBandEnergy(samples_);
  constexpr long kWindow = 44100 * 30 / 1000;
  auto sum = [&](long from) {
    double e = 0;
    for (long i = std::max(0L, from); i < from + kWindow; ++i) e += energy[i];
    return e;
  };
  std::set<std::pair<int, int>> rows;
  for (int i = 0; i < kSyncRecords; ++i) rows.insert({sync_data[3 * i], sync_data[3 * i + 1]});
  std::map<int, std::pair<int, int>> perOrder;  // order: rows heard, rows named
  std::ostringstream quiet;
  int heard = 0;
  for (const auto& position : rows) {
    const auto at = starts.find(position);
    ASSERT_NE(at, starts.end()) << "order " << position.first << " row " << position.second;
    const double rise =
        10.0 * std::log10((sum(at->second) + 1.0) / (sum(at->second - kWindow) + 1.0));
    const bool hit = rise >= 3.0;
    heard += hit;
    perOrder[position.first].first += hit;
    perOrder[position.first].second += 1;
    if (!hit) quiet << " " << position.first << ":" << position.second << " (" << rise << " dB)";
  }
  std::ostringstream figures;
  for (const auto& [order, count] : perOrder) {
    figures << " order " << order << " " << count.first << "/" << count.second << ";";
  }
  std::printf("audible hits:%s total %d/%zu\n", figures.str().c_str(), heard, rows.size());
  EXPECT_GE(heard * 100, 98 * static_cast<int>(rows.size())) << "not heard:" << quiet.str();
}

}  // namespace
