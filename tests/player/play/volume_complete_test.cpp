// The complete effect set's volume and pan commands, tick by tick at speed 6:
// tremolo (with its ramp that follows the vibrato's half), tremor, multi
// retrig, note cut, the volume column's later-tick slides and vibrato, pan
// commands, and global volume reaching every channel at once. Each table row
// holds the value after ticks 0…5 of one pattern row.
#include <gtest/gtest.h>

#include "player/play/rules.h"
#include "tick_table.h"

namespace songtest {
namespace {

const auto kGain = [](Player& p) { return p.Voice(0).volume; };
const auto kPan = [](Player& p) { return p.Channel(0).pan; };

Table Gains(Table volumes) {
  for (Ticks& row : volumes)
    for (int& v : row) v = FullScaleGain(v);
  return volumes;
}

Player Complete(const XmSong& xm) {
  return Player(xm, 44100, &kCompleteRules);
}

// Tremolo 7xy moves the volume of a tick by wave x depth / 64 (wave as for
// vibrato, the first half raising the volume), clamped to 0…64; speed 8
// moves the position 32 a tick, and the first tick of a row does not move it.
TEST(CompleteVolume, TremoloSine) {
  Player p = Complete(SongWithCells(1, 16,
                                    {{0, 0, {49, 1, 0x20, 0, 0}},  // volume 16
                                     {1, 0, {0, 0, 0, 0x7, 0x8F}},
                                     {2, 0, {0, 0, 0, 0x7, 0x00}},
                                     {3, 0, {0, 0, 0, 0, 0}}}));
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  // Sine 180 at k = 8 and 255 at k = 16: offsets 42 and 59.
  EXPECT_EQ(RecordRows(p, 3, kGain),
            Gains({{16, 16, 58, 64, 58, 16}, {0, 0, 0, 0, 16, 58}, {16, 16, 16, 16, 16, 16}}));
}

// The ramp's magnitude is 8 k, or 255 - 8 k while the vibrato position is in
// its second half: here a vibrato left it at 160. Volume 16, depth 15.
TEST(CompleteVolume, TremoloRampFollowsTheVibratoHalf) {
  Player p = Complete(SongWithCells(1, 16,
                                    {{0, 0, {49, 1, 0x20, 0xE, 0x71}},
                                     {1, 0, {0, 0, 0, 0x4, 0x81}},  // 5 moves of 32: 160
                                     {2, 0, {0, 0, 0, 0x7, 0x8F}}}));
  ASSERT_TRUE(p.loaded());
  p.Ticks(12);
  EXPECT_EQ(p.Channel(0).fx.vibratoPosition, 160);
  EXPECT_EQ(RecordRows(p, 1, kGain),
            Gains({{64, 64, 16 + 191 * 15 / 64, 16 + 127 * 15 / 64, 16 + 63 * 15 / 64, 0}}));
}

// T21: sound 3 ticks, silence 2, counting the ticks after the first of each
// row; the silence lasts through rows without the command until an
// instrument number resets the channel, which also restarts the count.
TEST(CompleteVolume, Tremor) {
  Player p = Complete(SongWithCells(1, 16,
                                    {{0, 0, {49, 1, 0, 0x1D, 0x21}},
                                     {1, 0, {0, 0, 0, 0x1D, 0x00}},
                                     {2, 0, {0, 0, 0x30, 0, 0}},  // volume 32, still silent
                                     {3, 0, {0, 1, 0, 0x1D, 0x00}}}));
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(RecordRows(p, 4, kGain), Gains({{64, 64, 64, 64, 0, 0},
                                            {0, 64, 64, 64, 0, 0},
                                            {0, 0, 0, 0, 0, 0},
                                            {64, 64, 64, 64, 0, 0}}));
}

// Rxy restarts the sample every y ticks and changes the volume by x (4: -8).
// The count runs over every tick of the rows carrying the command, starting
// afresh after a row without it; a note counts its own tick twice and cannot
// retrigger there; on a row with a volume-column command nothing restarts.
TEST(CompleteVolume, MultiRetrigTiming) {
  const struct {
    const char* name;
    XmCell row1;
    Table volumes;  // rows 1 and 2 (row 2: R00)
  } table[] = {
      {"note, R43", {49, 1, 0, 0x1B, 0x43}, {{64, 64, 56, 56, 56, 48}, {48, 48, 40, 40, 40, 32}}},
      {"no note, R43", {0, 0, 0, 0x1B, 0x43}, {{64, 64, 64, 56, 56, 56}, {48, 48, 48, 40, 40, 40}}},
      {"no note, R44", {0, 0, 0, 0x1B, 0x44}, {{64, 64, 64, 64, 56, 56}, {56, 56, 48, 48, 48, 48}}},
      {"note, R45", {49, 1, 0, 0x1B, 0x45}, {{64, 64, 64, 64, 56, 56}, {56, 56, 56, 48, 48, 48}}},
      {"note, volume column",
       {49, 1, 0x30, 0x1B, 0x43},
       {{32, 32, 32, 32, 32, 32}, {24, 24, 24, 16, 16, 16}}},
  };
  for (const auto& t : table) {
    Player p = Complete(SongWithCells(
        1, 16, {{0, 0, {49, 1, 0, 0, 0}}, {1, 0, t.row1}, {2, 0, {0, 0, 0, 0x1B, 0x00}}}));
    ASSERT_TRUE(p.loaded());
    p.Ticks(6);
    EXPECT_EQ(RecordRows(p, 2, [](Player& q) { return q.Channel(0).volume; }), t.volumes) << t.name;
  }
}

TEST(CompleteVolume, MultiRetrigRestartsTheSample) {
  Player p = Complete(SongWithCells(1, 16, {{0, 0, {49, 1, 0, 0x1B, 0x03}}}));
  ASSERT_TRUE(p.loaded());
  p.Ticks(2);
  MixChannel* voice = p.Channel(0).voice;
  voice->position = 30;
  p.Tick();  // tick 2: the third tick of the count
  EXPECT_NE(p.Channel(0).voice, voice);
  EXPECT_EQ(p.Voice(0).position, 0u);
}

TEST(CompleteVolume, CutSetAndFineSlides) {
  const struct {
    const char* name;
    std::vector<XmCell> rows;  // rows 1…
    Table volumes;
  } table[] = {
      {"EC2 cuts on tick 2", {{0, 0, 0, 0xE, 0xC2}}, {{64, 64, 0, 0, 0, 0}}},
      {"EC0 cuts at once", {{0, 0, 0, 0xE, 0xC0}}, {{0, 0, 0, 0, 0, 0}}},
      {"C80 stops at 64", {{0, 0, 0, 0xC, 0x80}}, {{64, 64, 64, 64, 64, 64}}},
      {"EB4 then EB0 remembers",
       {{0, 0, 0, 0xE, 0xB4}, {0, 0, 0, 0xE, 0xB0}},
       {{60, 60, 60, 60, 60, 60}, {56, 56, 56, 56, 56, 56}}},
      {"volume column 65 slides after the first tick",
       {{0, 0, 0x65, 0, 0}},
       {{64, 59, 54, 49, 44, 39}}},
      {"volume column 75 too",
       {{0, 0, 0x30, 0, 0}, {0, 0, 0x75, 0, 0}},
       {{32, 32, 32, 32, 32, 32}, {32, 37, 42, 47, 52, 57}}},
  };
  for (const auto& t : table) {
    XmSong xm = SongWithCells(1, 16, {{0, 0, {49, 1, 0, 0, 0}}});
    for (size_t r = 0; r < t.rows.size(); ++r) xm.patterns[0].At(int(r) + 1, 0, 1) = t.rows[r];
    Player p = Complete(xm);
    ASSERT_TRUE(p.loaded());
    p.Ticks(6);
    EXPECT_EQ(RecordRows(p, t.volumes.size(), [](Player& q) { return q.Channel(0).volume; }),
              t.volumes)
        << t.name;
  }
}

TEST(CompleteVolume, PanCommandsStayInRange) {
  XmSong xm = SongWithCells(1, 16,
                            {{0, 0, {49, 1, 0, 0x8, 0xFA}},    // pan 250
                             {1, 0, {0, 0, 0, 0x19, 0x20}},    // right 2 a tick
                             {2, 0, {0, 0, 0, 0x8, 0x03}},     // pan 3
                             {3, 0, {0, 0, 0xD2, 0, 0}},       // volume column: left 2 a tick
                             {4, 0, {0, 0, 0, 0x19, 0x01}},    // left 1
                             {5, 0, {0, 0, 0, 0x19, 0x00}}});  // memory: left 1
  Player p = Complete(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(RecordRows(p, 6, kPan), (Table{{250, 250, 250, 250, 250, 250},
                                           {250, 252, 254, 255, 255, 255},
                                           {3, 3, 3, 3, 3, 3},
                                           {3, 1, 0, 0, 0, 0},
                                           {0, 0, 0, 0, 0, 0},
                                           {0, 0, 0, 0, 0, 0}}));
}

// A global volume slide on channel 1 reaches channel 0's voice on the same
// tick in the complete set; the show's set passes it on with the next row.
TEST(CompleteVolume, GlobalVolumeReachesEveryChannelAtOnce) {
  const XmSong xm = SongWithCells(2, 16, {{0, 0, {49, 1, 0, 0, 0}}, {1, 1, {0, 0, 0, 0x11, 0x02}}});
  Player complete(xm, 44100, &kCompleteRules);
  Player show(xm);
  ASSERT_TRUE(complete.loaded() && show.loaded());
  complete.Ticks(6);
  show.Ticks(6);
  EXPECT_EQ(Record(complete, 6, kGain), (Ticks{127, 123, 119, 115, 111, 107}));
  EXPECT_EQ(Record(show, 6, kGain), (Ticks{127, 127, 127, 127, 127, 127}));
  EXPECT_EQ(Record(show, 1, kGain), (Ticks{FullScaleGain(54)}));
}

}  // namespace
}  // namespace songtest
