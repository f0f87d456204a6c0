// xmplay's offline modes: the WAV file (header, length, content) and the
// timeline, stopping where the song first loops back or after --seconds.
#include <gtest/gtest.h>

#include "run_xmplay.h"

namespace {

// Checks that `path` is a 16-bit stereo 44,100 Hz file whose header
// describes it and returns the frames it holds.
uint32_t CheckWav(const std::string& path) {
  const WavSound wav = ReadWav(path);
  EXPECT_TRUE(IsCdWav(wav)) << path;
  return static_cast<uint32_t>(wav.Frames());
}

TEST(XmplayWavTest, StopsWhereTheSongFirstLoopsBack) {
  // 2 orders x 32 rows x speed 6 at 125 BPM (882 frames per tick).
  const std::string song = WriteSong(SquareSong(2, 32, 6, 125), "two_orders.xm");
  const std::string wav = TempPath("two_orders.wav");
  const RunResult r = RunXmplay(song + " --wav " + wav);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CheckWav(wav), 2u * 32 * 6 * 882);

  // The first note is heard at once (after its fade-in), both channels.
  const std::vector<int16_t> values = ReadWav(wav).samples;
  int loud = 0;
  for (size_t i = 2 * 200; i < 2 * 800; ++i) loud += std::abs(values[i]) > 1000;
  EXPECT_GT(loud, 1000);
}

TEST(XmplayWavTest, RestartPositionLoopIsFoundToo) {
  // Orders 0, 1, 2 then back to 1: three orders are rendered.
  const std::string song = WriteSong(SquareSong(3, 16, 3, 150, 1), "restart.xm");
  const std::string wav = TempPath("restart.wav");
  ASSERT_EQ(RunXmplay(song + " --wav " + wav).status, 0);
  // A tick lasts 2.5 / 150 s at 150 BPM: 735 frames at 44,100 Hz.
  EXPECT_EQ(CheckWav(wav), 3u * 16 * 3 * 735);
}

TEST(XmplayWavTest, SecondsSetsTheLength) {
  const std::string song = WriteSong(SquareSong(1, 16, 6, 125), "short.xm");
  const std::string wav = TempPath("seconds.wav");
  ASSERT_EQ(RunXmplay(song + " --wav " + wav + " --seconds 3.5").status, 0);
  EXPECT_EQ(CheckWav(wav), 154350u);  // 3.5 s: longer than the song, which loops
}

// An output that cannot be created, or a full device that fails part-way
// through: one line naming the file, exit status 1.
TEST(XmplayWavTest, UnwritableOutputFails) {
  const std::string song = WriteSong(SquareSong(4, 64, 6, 125), "long.xm");
  for (const std::string& out : {std::string("/nonexistent-dir/out.wav"), FullDevice()}) {
    if (out.empty()) continue;
    const RunResult r = RunXmplay(song + " --wav " + out);
    EXPECT_EQ(r.status, 1) << out;
    EXPECT_EQ(r.err, "xmplay: " + out + ": cannot write\n");
  }
}

TEST(XmplayTimelineTest, OneLinePerTickFromTheSequencer) {
  const std::string song = WriteSong(SquareSong(2, 32, 6, 125), "timeline.xm");
  const RunResult r = RunXmplay(song + " --timeline");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u * 32 * 6);
  int previousTime = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    int order = -1, row = -1, tick = -1, time = -1;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "%d %d %d %d", &order, &row, &tick, &time), 4)
        << lines[i];
    const int t = static_cast<int>(i);
    ASSERT_EQ(order, t / (32 * 6)) << lines[i];
    ASSERT_EQ(row, t / 6 % 32) << lines[i];
    ASSERT_EQ(tick, t % 6) << lines[i];
    // 882 frames are 20 ms: the clock truncates each tick to 19.
    ASSERT_EQ(time, t * 19) << lines[i];
    ASSERT_GT(time, previousTime);
    previousTime = time;
  }
}

TEST(XmplayTimelineTest, SecondsLimitsTheTicks) {
  const std::string song = WriteSong(SquareSong(1, 16, 6, 125), "timeline_short.xm");
  const RunResult r = RunXmplay(song + " --timeline --seconds 5");
  ASSERT_EQ(r.status, 0);
  // Ticks that start within 5 s: 220500 / 882 = 250 exactly.
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 250u);
  EXPECT_EQ(lines.back(), "0 9 3 4731");  // the song looped: tick 249 is row 41 % 16
}

// A module written by a tracker, when its Debian package is installed.
TEST(XmplayRealFileTest, PlaysATrackerWrittenModule) {
  const std::string path = "/usr/share/games/ceferino/music/menu.xm";
  if (!std::ifstream(path).good()) GTEST_SKIP() << "install ceferino-data for " << path;
  const std::string wav = TempPath("menu.wav");
  const RunResult r = RunXmplay(path + " --wav " + wav);
  ASSERT_EQ(r.status, 0) << r.err;
  const uint32_t frames = CheckWav(wav);
  EXPECT_GT(frames, 44100u * 30);  // about 51 s before it loops
  EXPECT_LT(frames, 44100u * 120);
  const RunResult timeline = RunXmplay(path + " --timeline");
  ASSERT_EQ(timeline.status, 0);
  EXPECT_EQ(Lines(timeline.out).front(), "0 0 0 0");
}

}  // namespace

namespace {

// SquareSong with the given effect at (order's pattern 0) row `row`, channel 1.
XmSong WithEffect(XmSong song, int row, uint8_t effect, uint8_t parameter) {
  song.patterns[0].At(row, 1, song.channels) = {0, 0, 0, effect, parameter};
  return song;
}

// Where a song ends: the first return to a row already played, outside a
// pattern loop. Lengths in frames at 882 frames a tick (125 BPM), speed 3.
TEST(XmplaySongEndTest, EndsAtTheFirstReturnToAPlayedRow) {
  const struct {
    const char* name;
    XmSong song;
    const char* options;
    uint32_t rows;
  } table[] = {
      // Every order entry plays pattern 0, whose last row jumps to entry 1:
      // entries 0 and 1, then entry 1 again is the end.
      {"jump back", WithEffect(SquareSong(3, 16, 3, 125), 15, 0xB, 0x01), "", 2 * 16},
      // E63 on row 4 (loop start row 0): rows 0-4 four times, then 5-15.
      {"pattern loop", WithEffect(SquareSong(1, 16, 3, 125), 4, 0xE, 0x63), "", 4 * 5 + 11},
      // The show's subset ignores the loop: one pass of the pattern.
      {"pattern loop, show's effects", WithEffect(SquareSong(1, 16, 3, 125), 4, 0xE, 0x63),
       " --effects show", 16},
      // A jump to the row's own order entry ends the song at once.
      {"jump to itself", WithEffect(SquareSong(2, 16, 3, 125), 7, 0xB, 0x00), "", 8},
  };
  for (const auto& t : table) {
    const std::string song = WriteSong(t.song, "end.xm");
    const std::string wav = TempPath("end.wav");
    const RunResult r = RunXmplay(song + " --wav " + wav + t.options);
    ASSERT_EQ(r.status, 0) << t.name << ": " << r.err;
    EXPECT_EQ(CheckWav(wav), t.rows * 3 * 882) << t.name;
  }
}

TEST(XmplayInfoTest, DescribesTheSongAndItsLengthAsPlayed) {
  XmSong xm = WithEffect(SquareSong(2, 16, 3, 125), 4, 0xE, 0x63);
  xm.name = "loop test";
  xm.linear = false;
  const std::string song = WriteSong(xm, "info.xm");
  const RunResult r = RunXmplay(song + " --info");
  ASSERT_EQ(r.status, 0) << r.err;
  // Two orders of 4 x 5 + 11 rows (each pass of pattern 0 loops).
  const double seconds = 2.0 * (4 * 5 + 11) * 3 * 882 / 44100.0;
  char length[64];
  std::snprintf(length, sizeof length, "length:        %.3f s", seconds);
  for (const std::string& line :
       {std::string("name:          loop test"), std::string("tracker:       xmwriter"),
        std::string("channels:      2"), std::string("orders:        2 (restart at 0)"),
        std::string("patterns:      1"), std::string("instruments:   1"),
        std::string("samples:       1"), std::string("frequencies:   Amiga"), std::string(length)})
    EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << line << "\n" << r.out;
}

}  // namespace
