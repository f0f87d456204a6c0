// The complete effect set's pitch commands, tick by tick at speed 6 from C-4
// (period 4608, 64 period units per semitone, a larger period lower): the
// portamentos with their separate memories, tone portamento and glissando,
// vibrato's waves and timing, arpeggio's order and the finetune command.
// Each table row holds the value after ticks 0…5 of one pattern row.
#include <gtest/gtest.h>

#include <cmath>

#include "player/play/rules.h"
#include "tick_table.h"

namespace songtest {
namespace {

const auto kPeriod = [](Player& p) { return p.Channel(0).period; };
// The period the channel sounds this tick: the period moved by the per-tick
// offset (on the linear scale a positive offset raises the pitch).
const auto kSoundingPeriod = [](Player& p) {
  return p.Channel(0).period - p.Channel(0).frequencyDelta;
};

TEST(CompletePitch, PortamentosKeepSeparateMemories) {
  Player p(SongWithCells(1, 16,
                         {{0, 0, {49, 1, 0, 0x1, 0x04}},    // up 4: 16 units a tick
                          {1, 0, {0, 0, 0, 0x1, 0x00}},     // 100: up 4 again
                          {2, 0, {0, 0, 0, 0x2, 0x08}},     // down 8: 32 a tick
                          {3, 0, {0, 0, 0, 0x2, 0x00}},     // 200 remembers 8, not 4
                          {4, 0, {0, 0, 0, 0xE, 0x12}},     // fine up 2: 8 units, once
                          {5, 0, {0, 0, 0, 0xE, 0x10}},     // E10: fine up 2 again
                          {6, 0, {0, 0, 0, 0xE, 0x23}},     // fine down 3: 12 units
                          {7, 0, {0, 0, 0, 0x21, 0x13}},    // extra fine up 3: 3 units
                          {8, 0, {0, 0, 0, 0x21, 0x10}},    // X10: 3 again
                          {9, 0, {0, 0, 0, 0x21, 0x25}}}),  // extra fine down 5
           44100, &kCompleteRules);
  ASSERT_TRUE(p.loaded());
  const Table expected = {
      {4608, 4592, 4576, 4560, 4544, 4528}, {4528, 4512, 4496, 4480, 4464, 4448},
      {4448, 4480, 4512, 4544, 4576, 4608}, {4608, 4640, 4672, 4704, 4736, 4768},
      {4760, 4760, 4760, 4760, 4760, 4760}, {4752, 4752, 4752, 4752, 4752, 4752},
      {4764, 4764, 4764, 4764, 4764, 4764}, {4761, 4761, 4761, 4761, 4761, 4761},
      {4758, 4758, 4758, 4758, 4758, 4758}, {4763, 4763, 4763, 4763, 4763, 4763},
  };
  EXPECT_EQ(RecordRows(p, expected.size(), kPeriod), expected);
}

TEST(CompletePitch, TonePortamentoSlidesTheSoundingNote) {
  Player p(SongWithCells(1, 16,
                         {{0, 0, {49, 1, 0, 0, 0}},
                          {1, 0, {53, 1, 0, 0x3, 0x20}},   // to E-4 (4352) at 128 a tick
                          {2, 0, {49, 0, 0, 0x3, 0x00}},   // back to C-4, speed remembered
                          {3, 0, {51, 0, 0xF1, 0, 0}},     // volume column F1: 64 a tick to D-4
                          {4, 0, {0, 0, 0, 0x3, 0x00}}}),  // 300 goes on at 64 (shared memory)
           44100, &kCompleteRules);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  MixChannel* voice = p.Channel(0).voice;
  voice->position = 20;
  const Table expected = {
      {4608, 4480, 4352, 4352, 4352, 4352},
      {4352, 4480, 4608, 4608, 4608, 4608},
      {4608, 4544, 4480, 4480, 4480, 4480},
      {4480, 4480, 4480, 4480, 4480, 4480},
  };
  EXPECT_EQ(RecordRows(p, expected.size(), kPeriod), expected);
  EXPECT_EQ(p.Channel(0).voice, voice) << "a portamento row does not restart the note";
  EXPECT_EQ(voice->position, 20u);
}

TEST(CompletePitch, GlissandoSoundsWholeSemitones) {
  // From C-4 (4608) towards D-4 (4480) at 32 units a tick with glissando on:
  // the period moves smoothly, the sound to the nearest semitone (C#4 is
  // 4544; halfway rounds towards the higher note).
  const XmSong xm =
      SongWithCells(1, 16, {{0, 0, {49, 1, 0, 0xE, 0x31}}, {1, 0, {51, 0, 0, 0x3, 0x08}}});
  Player p(xm, 44100, &kCompleteRules);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  EXPECT_EQ(Record(p, 6, kPeriod), (Ticks{4608, 4576, 4544, 4512, 4480, 4480}));
  Player q(xm, 44100, &kCompleteRules);
  q.Ticks(6);
  EXPECT_EQ(Record(q, 6, kSoundingPeriod), (Ticks{4608, 4544, 4544, 4480, 4480, 4480}));
}

// Vibrato: the wave value (255 sin(pi k / 32) rounded down for the sine,
// 8 k for the ramp, 255 for the square, k = position / 4 within a half)
// times the depth / 32, the first half of the cycle lowering the pitch. The
// position moves by 4 x speed after each tick but the first of a row, which
// plays the wave where it stands. Speed 8: 32 a tick, a cycle in 8 ticks.
TEST(CompletePitch, VibratoWavesAndTiming) {
  const int s8 = 255 * 15 / 32;                                              // 119
  const int s4 = static_cast<int>(255 * std::sin(M_PI * 8 / 32)) * 15 / 32;  // 180 -> 84
  const struct {
    uint8_t control;
    Table offsets;  // period offset (positive = lower) after each tick
  } waves[] = {
      {0, {{0, 0, s4, s8, s4, 0}, {-s4, -s4, -s8, -s4, 0, s4}}},
      // Ramp: 8 k rising in the first half; in the second, 255 - 8 k below.
      {1,
       {{0, 0, 64 * 15 / 32, 128 * 15 / 32, 192 * 15 / 32, -s8},
        {-191 * 15 / 32, -191 * 15 / 32, -127 * 15 / 32, -63 * 15 / 32, 0, 64 * 15 / 32}}},
      {2, {{s8, s8, s8, s8, s8, -s8}, {-s8, -s8, -s8, -s8, s8, s8}}},
  };
  for (const auto& w : waves) {
    Player p(SongWithCells(1, 16,
                           {{0, 0, {49, 1, 0, 0xE, static_cast<uint8_t>(0x40 | w.control)}},
                            {1, 0, {0, 0, 0, 0x4, 0x8F}},
                            {2, 0, {0, 0, 0, 0x4, 0x00}},
                            {3, 0, {0, 0, 0, 0, 0}}}),
             44100, &kCompleteRules);
    ASSERT_TRUE(p.loaded());
    p.Ticks(6);
    const auto offset = [](Player& q) { return -q.Channel(0).frequencyDelta; };
    EXPECT_EQ(RecordRows(p, 2, offset), w.offsets) << "waveform " << int(w.control);
    EXPECT_EQ(Record(p, 1, offset), Ticks{0}) << "a row without vibrato plays the note";
  }
}

TEST(CompletePitch, VibratoRestartsOnANoteUnlessTold) {
  for (const uint8_t control : {0x00, 0x04}) {
    Player p(SongWithCells(1, 16,
                           {{0, 0, {49, 1, 0, 0xE, static_cast<uint8_t>(0x40 | control)}},
                            {1, 0, {0, 0, 0, 0x4, 0x4F}},  // 3 moves of 16: position 48
                            {2, 0, {49, 1, 0, 0x4, 0x00}}}),
             44100, &kCompleteRules);
    ASSERT_TRUE(p.loaded());
    p.Ticks(12);
    p.Tick();
    const int expected = control & 4 ? 80 : 0;  // 5 moves of 16, or back to 0
    EXPECT_EQ(p.Channel(0).fx.vibratoPosition, expected) << int(control);
  }
}

// Arpeggio in the complete set counts ticks down from the speed, the count
// mod 3 choosing +0, +x, +y: at speed 6 ticks 1…5 play +y, +x, +0, +y, +x;
// at speed 5, +x, +0, +y, +x.
TEST(CompletePitch, ArpeggioFollowsTheTickCountdown) {
  const struct {
    int speed;
    Ticks semitones;
  } table[] = {{6, {0, 7, 3, 0, 7, 3}}, {5, {0, 3, 0, 7, 3}}, {3, {0, 7, 3}}};
  for (const auto& t : table) {
    XmSong xm = SongWithCells(1, 4, {{0, 0, {49, 1, 0, 0x0, 0x37}}});
    xm.speed = t.speed;
    Player p(xm, 44100, &kCompleteRules);
    ASSERT_TRUE(p.loaded());
    Ticks got = Record(p, t.speed, [](Player& q) { return q.Channel(0).frequencyDelta / 64; });
    EXPECT_EQ(got, t.semitones) << "speed " << t.speed;
  }
  // Without the linear table the arpeggio plays too: +7 semitones is the
  // period times 2^(-7/12).
  XmSong amiga = SongWithCells(1, 4, {{0, 0, {49, 1, 0, 0x0, 0x37}}});
  amiga.linear = false;
  Player a(amiga, 44100, &kCompleteRules);
  a.Ticks(2);
  EXPECT_EQ(a.Channel(0).period + a.Channel(0).frequencyDelta,
            static_cast<int>(std::lround(1712 * std::exp2(-7 / 12.0))));
}

TEST(CompletePitch, FinetuneCommandTunesItsNote) {
  const struct {
    uint8_t parameter;
    int period;
  } table[] = {{0x50, 4608 + 64}, {0x58, 4608}, {0x5F, 4608 - 56}};  // finetune -128, 0, +112
  for (const auto& t : table) {
    Player p(SongWithCells(1, 4, {{0, 0, {49, 1, 0, 0xE, t.parameter}}}), 44100, &kCompleteRules);
    ASSERT_TRUE(p.loaded());
    p.Tick();
    EXPECT_EQ(p.Channel(0).period, t.period) << std::hex << int(t.parameter);
  }
}

}  // namespace
}  // namespace songtest
