// Song position over ticks: rows lasting `speed` ticks, the order list with
// its restart position, pattern breaks, and the tempo in frames per tick.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "player/output/output.h"
#include "tick_table.h"

namespace songtest {
namespace {

// Runs row steps only (speed 1) and lists the positions they played.
std::vector<Position> PlayRows(Player& p, int rows) {
  p.song()->speed = 1;
  return RecordPositions(p, rows);
}

TEST(SequencerTiming, TempoInFramesPerTick) {
  Song song{};
  FSOUND_MixRate = 44100;
  FMUSIC_SetBPM(&song, 167);
  EXPECT_EQ(song.samplesPerTick, 660);
  EXPECT_EQ(song.bpm, 167);
  FMUSIC_SetBPM(&song, 125);
  EXPECT_EQ(song.samplesPerTick, 882);
  FMUSIC_SetBPM(&song, 32);
  EXPECT_EQ(song.samplesPerTick, 3445);
  FSOUND_MixRate = 22050;
  FMUSIC_SetBPM(&song, 125);
  EXPECT_EQ(song.samplesPerTick, 441);
  // A tempo of 0 must still give ticks that end, or the block fill would spin.
  FMUSIC_SetBPM(&song, 0);
  EXPECT_GT(song.samplesPerTick, 0);
  FSOUND_MixRate = 44100;
}

TEST(SequencerTiming, RowStepOnTickZeroOnly) {
  XmSong xm = BasicSong(1, 4);
  for (int r = 0; r < 4; ++r) xm.patterns[0].At(r, 0, 1) = {49, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  // call: row played, tick after the call, trigger raised
  const struct {
    int row, tickAfter;
    bool trigger;
  } expected[] = {
      {0, 1, true},  {0, 2, false}, {0, 3, false}, {0, 4, false},
      {0, 5, false}, {0, 0, false}, {1, 1, true},  {1, 2, false},
  };
  for (const auto& e : expected) {
    p.Tick();
    EXPECT_EQ(p.song()->row, e.row);
    EXPECT_EQ(p.song()->tick, e.tickAfter);
    EXPECT_EQ((p.Channel(0).changeFlags & CHANGE_TRIGGER) != 0, e.trigger);
  }
}

TEST(SequencerTiming, OrderListWrapsToRestartPosition) {
  XmSong xm = BasicSong(1, 2);
  xm.AddPattern(3);
  xm.orders = {1, 0, 1};
  xm.restart = 1;
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  const std::vector<Position> expected = {
      {0, 0}, {0, 1}, {0, 2},  // pattern 1, three rows
      {1, 0}, {1, 1},          // pattern 0, two rows
      {2, 0}, {2, 1}, {2, 2},  // pattern 1 again
      {1, 0}, {1, 1},          // restart at order 1, row 0
      {2, 0},
  };
  EXPECT_EQ(PlayRows(p, 11), expected);
}

TEST(SequencerTiming, PatternBreaks) {
  XmSong xm = BasicSong(1, 4);
  xm.AddPattern(2);
  xm.AddPattern(4);
  xm.orders = {0, 1, 2};
  xm.restart = 1;
  xm.patterns[0].At(0, 0, 1) = {0, 0, 0, 0x0D, 0x70};  // 70 is above 63: row 0
  xm.patterns[1].At(0, 0, 1) = {0, 0, 0, 0x0D, 0x05};  // row 5 of a 4-row pattern
  xm.patterns[2].At(1, 0, 1) = {0, 0, 0, 0x0D, 0x02};  // last order entry: back to order 0
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  const std::vector<Position> expected = {
      {0, 0},          // D70
      {1, 0},          // D05
      {2, 5},          // beyond the pattern: an empty row
      {1, 0},          // the row after it moves on as usual: past the end, to the restart
      {2, 5}, {1, 0},  // and round again
  };
  EXPECT_EQ(PlayRows(p, 6), expected);
  // From the last order entry, a break goes to order 0, not the restart position.
  p.song()->nextOrder = 2;
  p.song()->nextRow = 0;
  const std::vector<Position> fromLast = {{2, 0}, {2, 1}, {0, 2}};
  EXPECT_EQ(PlayRows(p, 3), fromLast);
}

TEST(SequencerTiming, BreakBeyondRowsKeepsTheSoundGoing) {
  XmSong xm = BasicSong(1, 4);
  xm.AddPattern(2);
  xm.orders = {0, 1};
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0x0D, 0x10};  // note, then row 10 of a 2-row pattern
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.song()->speed = 1;
  p.Tick();
  MixChannel* voice = p.Channel(0).voice;
  const int32_t volume = voice->volume;
  ASSERT_GT(volume, 0);
  p.Tick();  // order 1, row 10: empty
  EXPECT_EQ(p.song()->row, 10);
  EXPECT_EQ(p.Channel(0).voice, voice) << "no new note";
  EXPECT_EQ(voice->volume, volume);
  EXPECT_EQ(p.song()->nextOrder, 0);
  EXPECT_EQ(p.song()->nextRow, 0);
}

TEST(SequencerTiming, SpeedZeroMakesEveryTickARow) {
  XmSong xm = BasicSong(1, 8);
  xm.patterns[0].At(0, 0, 1) = {0, 0, 0, 0x0F, 0x00};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  const std::vector<Position> expected = {{0, 0}, {0, 1}, {0, 2}, {0, 3}};
  EXPECT_EQ(RecordPositions(p, 4), expected);  // a row on every tick
  EXPECT_EQ(p.song()->tick, 0);
  EXPECT_EQ(p.song()->speed, 0);
}

}  // namespace
}  // namespace songtest
