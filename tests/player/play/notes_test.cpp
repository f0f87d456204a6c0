// What a row does to a channel and its voice: pitch in both frequency
// tables, gains, the empty instrument, key off, an instrument without a note
// and portamento rows.
#include <gtest/gtest.h>

#include "player/play/pitch.h"
#include "song_fixture.h"

namespace songtest {
namespace {

// The exact 32.32 step of a frequency at 44,100 Hz.
uint64_t StepOf(uint64_t hz) {
  return (hz / 44100) << 32 | ((hz % 44100) << 32) / 44100;
}
uint64_t StepOf(const MixChannel& v) {
  return static_cast<uint64_t>(v.stepInteger) << 32 | v.stepFraction;
}

// Plays one row with `cell` on channel 0 of a song built by `edit`, returns the voice.
template <typename Edit>
MixChannel PlayOneNote(NoteCell cell, Edit edit) {
  XmSong xm = BasicSong(1, 4);
  edit(xm);
  xm.patterns[0].At(0, 0, 1) = {cell.note, cell.instrument, cell.volume, cell.effect,
                                cell.parameter};
  Player p(xm);
  EXPECT_TRUE(p.loaded());
  if (!p.loaded()) return {};
  p.Tick();
  return p.Voice(0);
}

TEST(SequencerNotes, LinearPitch) {
  // note, relative note, finetune -> Hz
  const struct {
    uint8_t note;
    int8_t relative, finetune;
    uint64_t hz;
  } cases[] = {
      {49, 0, 0, 8363},    // C-4: period 4608
      {61, 0, 0, 16726},   // C-5
      {37, 0, 0, 4181},    // C-3
      {49, 12, 0, 16726},  // relative note +12
      {49, 0, -16, 8302},  // period 4616: 8363 x 2^(-8/768)
      {50, 0, 0, 8860},    // C#4: one semitone
  };
  for (const auto& c : cases) {
    const MixChannel v = PlayOneNote({c.note, 1, 0, 0, 0}, [&](XmSong& s) {
      s.instruments[0].samples[0].relativeNote = c.relative;
      s.instruments[0].samples[0].finetune = c.finetune;
    });
    EXPECT_EQ(StepOf(v), StepOf(c.hz))
        << int(c.note) << " " << int(c.relative) << " " << int(c.finetune);
  }
}

TEST(SequencerNotes, AmigaPitch) {
  const auto amiga = [](XmSong& s) { s.linear = false; };
  const MixChannel c4 = PlayOneNote({49, 1, 0, 0, 0}, amiga);
  EXPECT_EQ(StepOf(c4), StepOf(8362));  // 14,317,056 / 1712
  const MixChannel c5 = PlayOneNote({61, 1, 0, 0, 0}, amiga);
  EXPECT_EQ(StepOf(c5), StepOf(16725));  // 14,317,056 / 856: twice 8362, within 1 Hz
  const MixChannel c3 = PlayOneNote({37, 1, 0, 0, 0}, amiga);
  EXPECT_EQ(StepOf(c3), StepOf(4181));  // 14,317,056 / 3424: half of 8362
  EXPECT_EQ(FMUSIC_AmigaPeriod(48, 0), 1712);
  EXPECT_EQ(FMUSIC_AmigaPeriod(60, 0), 856);
  EXPECT_EQ(FMUSIC_AmigaPeriod(48, 127), 1617);   // almost a semitone up (1616 at +1)
  EXPECT_EQ(FMUSIC_AmigaPeriod(48, -128), 1814);  // a semitone down
}

TEST(SequencerNotes, GainsFromVolumeAndPan) {
  // Every factor at full scale gives 127; pan splits it between the sides.
  const MixChannel centre = PlayOneNote({49, 1, 0, 0, 0}, [](XmSong&) {});
  EXPECT_EQ(centre.volume, 127);
  EXPECT_EQ(centre.pan, 128);
  EXPECT_EQ(centre.leftGain, 128 * 127 / 255);
  EXPECT_EQ(centre.rightGain, 127 * 127 / 255);
  const MixChannel left = PlayOneNote({49, 1, 0, 0, 0}, [](XmSong& s) {
    s.instruments[0].samples[0].pan = 255;
    s.instruments[0].samples[0].volume = 32;
  });
  EXPECT_EQ(left.volume, 63);  // 127.5 / 2, truncated
  EXPECT_EQ(left.leftGain, 63);
  EXPECT_EQ(left.rightGain, 0);
}

TEST(SequencerNotes, InstrumentBeyondTheTablePlaysTheEmptySample) {
  XmSong xm = BasicSong(1, 4);
  xm.patterns[0].At(0, 0, 1) = {49, 5, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Tick();
  EXPECT_EQ(p.Voice(0).sample, &FMUSIC_DummySample);
  float buffer[2 * 32] = {};
  FSOUND_Mixer_FPU_Ramp(buffer, 32);
  EXPECT_EQ(p.Voice(0).sample, nullptr) << "stops at its first mix";
  for (float f : buffer) EXPECT_EQ(f, 0.0f);
}

TEST(SequencerNotes, KeyOffWithoutEnvelopeSilencesOnItsRow) {
  XmSong xm = BasicSong(1, 4);
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  xm.patterns[0].At(1, 0, 1) = {97, 0, 0, 0, 0};
  xm.patterns[0].At(2, 0, 1) = {49, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  EXPECT_EQ(p.Voice(0).volume, 127);
  p.Tick();  // row 1
  EXPECT_EQ(p.Channel(0).keyOff, 1);
  EXPECT_EQ(p.Voice(0).volume, 0);
  p.Ticks(6);  // row 2: the instrument resets key off and the envelope output
  EXPECT_EQ(p.Channel(0).keyOff, 0);
  EXPECT_EQ(p.Voice(0).volume, 127);
}

TEST(SequencerNotes, InstrumentWithoutNoteResetsButDoesNotRestart) {
  XmSong xm = BasicSong(1, 4);
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0x20, 0, 0};  // volume 16
  xm.patterns[0].At(1, 0, 1) = {0, 1, 0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  EXPECT_EQ(p.Channel(0).volume, 16);
  MixChannel* voice = p.Channel(0).voice;
  voice->position = 40;  // as if mixed for a while
  p.Channel(0).vibratoPosition = 77;
  p.Tick();
  EXPECT_EQ(p.Channel(0).volume, 64);
  EXPECT_EQ(p.Channel(0).voice, voice);
  EXPECT_EQ(voice->position, 40u);
  EXPECT_EQ(p.Channel(0).changeFlags & CHANGE_TRIGGER, 0);
  EXPECT_EQ(p.Channel(0).vibratoPosition, 0);
}

TEST(SequencerNotes, PortamentoRowKeepsInstrumentNoteAndPeriodButRestarts) {
  XmSong xm = BasicSong(1, 4);
  xm.instruments.push_back(xm.instruments[0]);
  xm.patterns[0].At(0, 0, 1) = {49, 1, 0, 0, 0};
  xm.patterns[0].At(1, 0, 1) = {61, 2, 0, 0x03, 0x10};
  xm.patterns[0].At(2, 0, 1) = {61, 2, 0, 0x05, 0x00};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  for (int row = 1; row <= 2; ++row) {
    MixChannel* before = p.Channel(0).voice;
    p.Tick();
    const MusicChannel& ch = p.Channel(0);
    EXPECT_EQ(ch.instrument, 0) << row;
    EXPECT_EQ(ch.note, 48) << row;
    EXPECT_EQ(ch.period, 4608) << row;
    EXPECT_EQ(ch.targetPeriod, 3840) << row;
    EXPECT_NE(ch.changeFlags & CHANGE_TRIGGER, 0) << row;
    EXPECT_NE(ch.voice, before) << "restarted on the ghost voice";
    EXPECT_EQ(ch.voice->position, 0u);
    p.Ticks(5);
  }
}

}  // namespace
}  // namespace songtest
