// The effect column, tick by tick at speed 6: each table row is the value
// after ticks 0…5 of a row (tick 0 being the row step).
#include <gtest/gtest.h>

#include "tick_table.h"

namespace songtest {
namespace {

// One channel, note C-4 of instrument 1 on row 0 with the given effect, and
// the given cells on the rows after it.
XmSong NoteWith(uint8_t effect, uint8_t parameter, std::vector<XmCell> later = {}) {
  XmSong xm = BasicSong(1, 8);
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, effect, parameter};
  for (size_t r = 0; r < later.size(); ++r)
    xm.patterns[0].At(static_cast<int>(r) + 1, 0, 1) = later[r];
  return xm;
}

TEST(EffectColumn, Arpeggio) {
  Player p(NoteWith(0x0, 0x37, {{0, 0, 0, 0x0, 0x00}}));
  ASSERT_TRUE(p.loaded());
  const auto delta = [](Player& q) { return q.Channel(0).frequencyDelta; };
  EXPECT_EQ(Record(p, 6, delta), (Ticks{0, 3 * 64, 7 * 64, 0, 3 * 64, 7 * 64}));
  EXPECT_EQ(Record(p, 6, delta), (Ticks{0, 0, 0, 0, 0, 0})) << "000 changes nothing";

  Player q(NoteWith(0x0, 0x37));
  q.Ticks(2);  // tick 1: +3 semitones, 8363 x 2^(3/12)
  EXPECT_EQ(static_cast<int>(VoiceFrequency(q.Voice(0)) + 0.5), 9945);

  XmSong amiga = NoteWith(0x0, 0x37);
  amiga.linear = false;
  Player a(amiga);
  EXPECT_EQ(Record(a, 6, delta), (Ticks{0, 0, 0, 0, 0, 0})) << "no offsets without linear table";
}

TEST(EffectColumn, PortamentoDownWithMemory) {
  Player p(NoteWith(0x2, 0x04, {{0, 0, 0, 0x2, 0x00}}));
  ASSERT_TRUE(p.loaded());
  const auto period = [](Player& q) { return q.Channel(0).period; };
  EXPECT_EQ(Record(p, 6, period), (Ticks{4608, 4624, 4640, 4656, 4672, 4688}));
  EXPECT_EQ(Record(p, 6, period), (Ticks{4688, 4704, 4720, 4736, 4752, 4768})) << "200: memory";
  EXPECT_LT(VoiceFrequency(p.Voice(0)), 8363.0 * 0.95);
}

TEST(EffectColumn, VolumeSlideWithMemory) {
  XmSong xm = NoteWith(0xA, 0x0F,
                       {{0, 0, 0x50, 0xA, 0x00},  // A00 repeats A0F
                        {0, 0, 0x3C, 0xA, 0x20},  // up by 2 from 44
                        {0, 0, 0, 0xA, 0x00}});   // A00 now repeats A20
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{64, 49, 34, 19, 4, 0}));
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{64, 49, 34, 19, 4, 0}));
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{44, 46, 48, 50, 52, 54}));
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{54, 56, 58, 60, 62, 64}));
}

TEST(EffectColumn, SetVolumeIsNotLimited) {
  Player p(NoteWith(0xC, 0x80));
  ASSERT_TRUE(p.loaded());
  p.Tick();
  EXPECT_EQ(p.Channel(0).volume, 128);
  EXPECT_EQ(p.Voice(0).volume, 255);  // twice full scale
}

TEST(EffectColumn, FineVolumeUpWithMemory) {
  XmSong xm = NoteWith(0xE, 0xA4, {{0, 0, 0, 0xE, 0xA0}, {0, 0, 0x4E, 0xE, 0xAF}});
  xm.instruments[0].samples[0].volume = 32;
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{36, 36, 36, 36, 36, 36}));
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{40, 40, 40, 40, 40, 40}));
  EXPECT_EQ(Record(p, 6, ChannelVolume()), (Ticks{64, 64, 64, 64, 64, 64})) << "at most 64";
}

TEST(EffectColumn, RetriggerOnMultiplesOfItsParameter) {
  Player p(NoteWith(0, 0, {{0, 0, 0, 0xE, 0x93}, {0, 0, 0, 0xE, 0x94}, {0, 0, 0, 0xE, 0x90}}));
  ASSERT_TRUE(p.loaded());
  const auto trigger = [](Player& q) { return (q.Channel(0).changeFlags & CHANGE_TRIGGER) != 0; };
  EXPECT_EQ(Record(p, 6, trigger), (Ticks{1, 0, 0, 0, 0, 0}));  // the note itself
  EXPECT_EQ(Record(p, 6, trigger), (Ticks{0, 0, 0, 1, 0, 0}));  // E93
  EXPECT_EQ(Record(p, 6, trigger), (Ticks{0, 0, 0, 0, 1, 0}));  // E94
  EXPECT_EQ(Record(p, 6, trigger), (Ticks{0, 0, 0, 0, 0, 0}));  // E90: never
}

TEST(EffectColumn, RetriggerRestartsTheSample) {
  Player p(NoteWith(0, 0, {{0, 0, 0, 0xE, 0x93}}));
  ASSERT_TRUE(p.loaded());
  p.Ticks(9);  // row 1, ticks 0-2
  MixChannel* voice = p.Channel(0).voice;
  voice->position = 30;
  p.Tick();  // tick 3
  EXPECT_NE(p.Channel(0).voice, voice);
  EXPECT_EQ(p.Voice(0).position, 0u);
  EXPECT_EQ(voice->volume, 0) << "the old voice fades out";
}

TEST(EffectColumn, SpeedAndTempo) {
  Player p(NoteWith(0xF, 0x1F, {{0, 0, 0, 0xF, 0x20}}));
  ASSERT_TRUE(p.loaded());
  p.Tick();
  EXPECT_EQ(p.song()->speed, 31);
  p.Ticks(31);
  EXPECT_EQ(p.song()->row, 1);
  EXPECT_EQ(p.song()->bpm, 32);
  EXPECT_EQ(p.song()->samplesPerTick, 3445);
  EXPECT_EQ(p.song()->speed, 31);
  // F00: speed 0 by the show's rules; the tracker's leave the speed as it was.
  for (const PlayRules* rules : {&kShowRules, &kCompleteRules}) {
    Player q(NoteWith(0xF, 0x00, {}), 44100, rules);
    ASSERT_TRUE(q.loaded());
    q.Tick();
    EXPECT_EQ(q.song()->speed, rules == &kShowRules ? 0 : 6);
  }
}

TEST(EffectColumn, GlobalVolumeAndSlide) {
  Player p(NoteWith(0x10, 0x20,
                    {{0, 0, 0, 0x11, 0x03},     // down 3 per tick
                     {0, 0, 0, 0x11, 0x00},     // memory
                     {0, 0, 0, 0x11, 0x50},     // up 5 per tick
                     {0, 0, 0, 0x10, 0x70}}));  // at most 64
  ASSERT_TRUE(p.loaded());
  const auto global = [](Player& q) { return q.song()->globalVolume; };
  EXPECT_EQ(Record(p, 6, global), (Ticks{32, 32, 32, 32, 32, 32}));
  EXPECT_EQ(p.Voice(0).volume, 63);  // half of full scale
  EXPECT_EQ(Record(p, 6, global), (Ticks{32, 29, 26, 23, 20, 17}));
  EXPECT_EQ(p.Voice(0).volume, 63) << "the slide raises no volume flag";
  EXPECT_EQ(Record(p, 6, global), (Ticks{17, 14, 11, 8, 5, 2}));
  EXPECT_EQ(Record(p, 6, global), (Ticks{2, 7, 12, 17, 22, 27}));
  EXPECT_EQ(Record(p, 1, global), (Ticks{64}));
}

TEST(EffectColumn, KeyOffEffect) {
  Player p(NoteWith(0, 0, {{0, 0, 0, 0x14, 0x33}}));
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  EXPECT_EQ(p.Channel(0).keyOff, 0);
  p.Tick();
  EXPECT_EQ(p.Channel(0).keyOff, 1);
  EXPECT_EQ(p.Voice(0).volume, 0);  // no volume envelope: silenced on the row
}

// Everything a row can change, after each of 12 ticks.
std::vector<int> Trace(const XmSong& xm) {
  Player p(xm);
  std::vector<int> trace;
  for (int i = 0; i < 12; ++i) {
    p.Tick();
    const MusicChannel& ch = p.Channel(0);
    const MixChannel& v = p.Voice(0);
    for (int value : {ch.period, ch.volume, ch.pan, ch.frequencyDelta, int(ch.keyOff), v.volume,
                      v.leftGain, v.rightGain, int(v.stepFraction), v.index, p.song()->globalVolume,
                      p.song()->speed, p.song()->bpm, p.song()->nextRow, p.song()->nextOrder})
      trace.push_back(value);
  }
  return trace;
}

// Commands the player does not implement leave every channel, voice and song
// value as a row without them would.
TEST(EffectColumn, UnimplementedCommandsChangeNothing) {
  const std::vector<int> plain = Trace(NoteWith(0, 0, {XmCell{}}));
  for (XmCell odd : {XmCell{0, 0, 0, 0x1B, 0x42}, XmCell{0, 0, 0, 0xE, 0x1F},
                     XmCell{0, 0, 0, 0x4, 0x88}, XmCell{0, 0, 0, 0x25, 0x11}})
    EXPECT_EQ(Trace(NoteWith(0, 0, {odd})), plain) << int(odd.effect);
}

}  // namespace
}  // namespace songtest
