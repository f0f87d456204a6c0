// The complete effect set's song flow, as the order and row of every tick:
// position jump and pattern break together, pattern loops per channel (and
// the loop row that the next pattern starts at), pattern delay, the restart
// position. Sequences are runs of ticks on one order entry and row, at speed
// 3; order entry i plays pattern i.
#include <gtest/gtest.h>

#include <string>

#include "player/play/rules.h"
#include "tick_table.h"

namespace songtest {
namespace {

struct FlowCell {
  int order, row, channel;
  XmCell cell;
};

XmSong FlowSong(int orders, int rows, std::initializer_list<FlowCell> cells, int restart = 0) {
  XmSong xm = BasicSong(2, rows);
  xm.speed = 3;
  xm.restart = restart;
  xm.orders.clear();
  for (int o = 0; o < orders; ++o) {
    if (o > 0) xm.AddPattern(rows);
    xm.orders.push_back(static_cast<uint8_t>(o));
  }
  for (const FlowCell& c : cells) xm.patterns[c.order].At(c.row, c.channel, 2) = c.cell;
  return xm;
}

// "order.row:ticks" for each run of ticks on one row, over `ticks` ticks.
std::string Runs(const XmSong& xm, int ticks) {
  Player p(xm, 44100, &kCompleteRules);
  if (!p.loaded()) return "not loaded";
  const std::vector<Position> played = RecordPositions(p, ticks);
  std::string out;
  for (size_t i = 0, run = 1; i < played.size(); ++i, ++run) {
    if (i + 1 < played.size() && played[i + 1] == played[i]) continue;
    if (!out.empty()) out += " ";
    out += std::to_string(played[i].first) + "." + std::to_string(played[i].second) + ":" +
           std::to_string(run);
    run = 0;
  }
  return out;
}

TEST(CompleteFlow, RowSequences) {
  const struct {
    const char* name;
    XmSong song;
    int ticks;
    std::string runs;
  } table[] = {
      // Dxx then Bxx on the same row: the jump's order, and the jump clears
      // the break row.
      {"break, then jump",
       FlowSong(3, 4, {{0, 1, 0, {0, 0, 0, 0xD, 0x02}}, {0, 1, 1, {0, 0, 0, 0xB, 0x02}}}), 21,
       "0.0:3 0.1:3 2.0:3 2.1:3 2.2:3 2.3:3 0.0:3"},
      {"jump, then break",
       FlowSong(3, 4, {{0, 1, 0, {0, 0, 0, 0xB, 0x02}}, {0, 1, 1, {0, 0, 0, 0xD, 0x02}}}), 15,
       "0.0:3 0.1:3 2.2:3 2.3:3 0.0:3"},
      // E60 on row 1, E62 on row 2: rows 1 and 2 three times; the next
      // pattern starts at the loop row.
      {"pattern loop",
       FlowSong(2, 4, {{0, 1, 0, {0, 0, 0, 0xE, 0x60}}, {0, 2, 0, {0, 0, 0, 0xE, 0x62}}}), 36,
       "0.0:3 0.1:3 0.2:3 0.1:3 0.2:3 0.1:3 0.2:3 0.3:3 1.1:3 1.2:3 1.3:3 0.0:3"},
      // Each channel counts its own loop; the later channel's jump wins.
      {"two loops",
       FlowSong(2, 4,
                {{0, 1, 0, {0, 0, 0, 0xE, 0x60}},
                 {0, 2, 0, {0, 0, 0, 0xE, 0x61}},
                 {0, 2, 1, {0, 0, 0, 0xE, 0x62}}}),
       60,
       "0.0:3 0.1:3 0.2:3 0.0:3 0.1:3 0.2:3 0.0:3 0.1:3 0.2:3 0.1:3 0.2:3 0.0:3 0.1:3 0.2:3 "
       "0.0:3 0.1:3 0.2:3 0.3:3 1.0:3 1.1:3"},
      // EE2: the row plays three times as long; with a break, it then breaks.
      {"pattern delay", FlowSong(2, 4, {{0, 1, 0, {0, 0, 0, 0xE, 0xE2}}}), 21,
       "0.0:3 0.1:9 0.2:3 0.3:3 1.0:3"},
      {"pattern delay and break",
       FlowSong(2, 4, {{0, 1, 0, {0, 0, 0, 0xE, 0xE2}}, {0, 1, 1, {0, 0, 0, 0xD, 0x02}}}), 21,
       "0.0:3 0.1:9 1.2:3 1.3:3 0.0:3"},
      {"pattern delay in a loop",
       FlowSong(2, 4, {{0, 2, 0, {0, 0, 0, 0xE, 0x61}}, {0, 2, 1, {0, 0, 0, 0xE, 0xE1}}}), 30,
       "0.0:3 0.1:3 0.2:6 0.0:3 0.1:3 0.2:6 0.3:3 1.0:3"},
      // A break in the last entry goes to the restart position.
      {"break at the end", FlowSong(3, 4, {{2, 1, 0, {0, 0, 0, 0xD, 0x00}}}, 1), 33,
       "0.0:3 0.1:3 0.2:3 0.3:3 1.0:3 1.1:3 1.2:3 1.3:3 2.0:3 2.1:3 1.0:3"},
  };
  for (const auto& t : table) EXPECT_EQ(Runs(t.song, t.ticks), t.runs) << t.name;
}

// The rows a pattern delay adds are later ticks of the row: slides go on
// (also on their first tick), row commands and notes do not come again.
TEST(CompleteFlow, PatternDelayRepeatsTicksNotTheRow) {
  XmSong xm = SongWithCells(2, 8,
                            {{0, 0, {49, 1, 0, 0xA, 0x04}},  // slide down 4
                             {0, 1, {0, 0, 0, 0xE, 0xE1}},
                             {1, 0, {0, 0, 0x30, 0xE, 0xA4}},  // volume 32, fine up 4
                             {1, 1, {0, 0, 0, 0xE, 0xE1}}});
  Player p(xm, 44100, &kCompleteRules);
  ASSERT_TRUE(p.loaded());
  const Table got = RecordEach(p, 24, ChannelVolume(), [](Player& q) {
    return (q.Channel(0).changeFlags & CHANGE_TRIGGER) != 0;
  });
  EXPECT_EQ(got[0], (std::vector<int>{64, 60, 56, 52, 48, 44, 40, 36, 32, 28, 24, 20,  //
                                      36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36}));
  std::vector<int> once(24, 0);
  once[0] = 1;
  EXPECT_EQ(got[1], once) << "the note starts once";
}

}  // namespace
}  // namespace songtest
