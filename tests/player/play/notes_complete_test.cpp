// The complete effect set's note commands, tick by tick at speed 6: note
// delay with the instrument and volume columns, sample offset, key off at a
// tick, and the envelope position command.
#include <gtest/gtest.h>

#include "player/play/rules.h"
#include "tick_table.h"

namespace songtest {
namespace {

Player Complete(const XmSong& xm) {
  return Player(xm, 44100, &kCompleteRules);
}
const auto kVolume = [](Player& p) { return p.Channel(0).volume; };
const auto kTrigger = [](Player& p) { return (p.Channel(0).changeFlags & CHANGE_TRIGGER) ? 1 : 0; };

// EDx holds the cell's note, instrument and volume column back to tick x:
// there the note starts, the instrument resets the volume, and of the volume
// column only a volume or pan setting acts; its slides run on their ticks as
// usual. A delay at or past the speed never comes.
TEST(CompleteNotes, NoteDelay) {
  const struct {
    const char* name;
    XmCell row1;
    Ticks volume;
    Ticks trigger;
  } table[] = {
      {"note, instrument, volume",
       {49, 1, 0x30, 0xE, 0xD3},
       {16, 16, 16, 32, 32, 32},
       {0, 0, 0, 1, 0, 0}},
      {"note, volume", {49, 0, 0x30, 0xE, 0xD3}, {16, 16, 16, 32, 32, 32}, {0, 0, 0, 1, 0, 0}},
      {"instrument alone restarts the last note",
       {0, 1, 0, 0xE, 0xD3},
       {16, 16, 16, 64, 64, 64},
       {0, 0, 0, 1, 0, 0}},
      {"note, volume slide", {49, 0, 0x62, 0xE, 0xD3}, {16, 14, 12, 10, 8, 6}, {0, 0, 0, 1, 0, 0}},
      {"note, fine volume down",
       {49, 0, 0x82, 0xE, 0xD3},
       {16, 16, 16, 16, 16, 16},
       {0, 0, 0, 1, 0, 0}},
      {"ED0 plays at once", {49, 1, 0x30, 0xE, 0xD0}, {32, 32, 32, 32, 32, 32}, {1, 0, 0, 0, 0, 0}},
      {"ED8 never", {49, 1, 0x30, 0xE, 0xD8}, {16, 16, 16, 16, 16, 16}, {0, 0, 0, 0, 0, 0}},
  };
  for (const auto& t : table) {
    Player p = Complete(SongWithCells(1, 8, {{0, 0, {49, 1, 0x20, 0, 0}}, {1, 0, t.row1}}));
    ASSERT_TRUE(p.loaded());
    p.Ticks(6);
    const Table got = RecordEach(p, 6, kVolume, kTrigger);
    const Ticks &volume = got[0], &trigger = got[1];
    EXPECT_EQ(volume, t.volume) << t.name;
    EXPECT_EQ(trigger, t.trigger) << t.name;
  }
}

// 9xx starts the note xx x 256 values in; 900 repeats the last offset; an
// offset past the end leaves the note silent; a portamento row starts nothing.
TEST(CompleteNotes, SampleOffset) {
  XmSong xm = SongWithCells(1, 8,
                            {{0, 0, {49, 1, 0, 0x9, 0x10}},
                             {1, 0, {49, 1, 0, 0x9, 0x00}},
                             {2, 0, {49, 1, 0, 0x9, 0x30}},
                             {3, 0, {49, 1, 0, 0x0, 0x00}}});
  XmSample& sample = xm.instruments[0].samples[0];
  sample.data.assign(10000, 1000);
  sample.loopType = 0;
  Player p = Complete(xm);
  ASSERT_TRUE(p.loaded());
  p.Tick();
  EXPECT_EQ(p.Voice(0).position, 4096u);
  p.Ticks(6);
  EXPECT_EQ(p.Voice(0).position, 4096u) << "900: the last offset";
  p.Ticks(6);
  EXPECT_EQ(p.Voice(0).sample, &FMUSIC_DummySample) << "12,288 is past the end: silent";
  p.Ticks(6);
  EXPECT_EQ(p.Voice(0).position, 0u) << "a note without 9xx starts at 0";
}

TEST(CompleteNotes, KeyOffAtItsTick) {
  const struct {
    uint8_t parameter;
    Ticks keyOff;
  } table[] = {{0x02, {0, 0, 1, 1, 1, 1}}, {0x00, {1, 1, 1, 1, 1, 1}}, {0x09, {0, 0, 0, 0, 0, 0}}};
  for (const auto& t : table) {
    Player p = Complete(
        SongWithCells(1, 8, {{0, 0, {49, 1, 0, 0, 0}}, {1, 0, {0, 0, 0, 0x14, t.parameter}}}));
    ASSERT_TRUE(p.loaded());
    p.Ticks(6);
    const Table got = RecordEach(
        p, 6, [](Player& q) { return q.Channel(0).keyOff; },
        [](Player& q) { return q.Voice(0).volume; });
    const Ticks &keyOff = got[0], &gain = got[1];
    EXPECT_EQ(keyOff, t.keyOff) << int(t.parameter);
    // Without volume envelope the key off silences the note at once.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gain[i], t.keyOff[i] ? 0 : 127) << i;
  }
}

// L05 places the volume envelope (0, 64) - (10, 0) at tick 5: output 32,
// then down 6.4 a tick to the last point.
TEST(CompleteNotes, SetEnvelopePosition) {
  XmSong xm = SongWithCells(1, 8, {{0, 0, {49, 1, 0, 0, 0}}, {1, 0, {0, 0, 0, 0x15, 0x05}}});
  XmEnvelope& e = xm.instruments[0].volume;
  e.points = {{0, 64}, {10, 0}};
  e.on = true;
  Player p = Complete(xm);
  ASSERT_TRUE(p.loaded());
  const auto output = [](Player& q) { return q.Channel(0).volumeEnvelope.output; };
  EXPECT_EQ(Record(p, 6, output), (Ticks{64, 57, 51, 44, 38, 32}));
  EXPECT_EQ(Record(p, 6, output), (Ticks{32, 25, 19, 12, 6, 0}));
}

}  // namespace
}  // namespace songtest
