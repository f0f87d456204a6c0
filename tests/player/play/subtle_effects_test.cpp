// The subtle commands of the complete effect set against libopenmpt, an
// independent player: small songs built for each (note delay, pattern loop,
// pattern delay with breaks and jumps, tremor, multi retrig, glissando, key
// offs, instrument numbers without notes, F00) must
// play the same rows in the same order, and each row at the same loudness
// within a tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "player/play/rules.h"
#include "reference_render.h"
#include "xm_writer.h"

namespace {

using reference::Rendering;

// Four channels, speed 6 at 125 BPM; instrument 1 a looping tone, instrument
// 2 a decaying tone without loop (so restarts are heard).
XmSong BaseSong(int orders, int rows) {
  XmSong s;
  s.channels = 4;
  for (int o = 0; o < orders; ++o) {
    s.AddPattern(rows);
    s.orders.push_back(static_cast<uint8_t>(o));
  }
  XmInstrument& tone = s.instruments.emplace_back();
  XmSample& loop = tone.samples.emplace_back();
  for (int i = 0; i < 256; ++i)
    loop.data.push_back(static_cast<int16_t>(9000 * std::sin(2 * M_PI * i / 64) +
                                             3000 * std::sin(2 * M_PI * i / 16)));
  loop.loopType = 1;
  loop.loopLength = 256;
  XmInstrument& pluck = s.instruments.emplace_back();
  XmSample& decay = pluck.samples.emplace_back();
  for (int i = 0; i < 12000; ++i)
    decay.data.push_back(
        static_cast<int16_t>(14000 * std::exp(-i / 2500.0) * std::sin(2 * M_PI * i / 48)));
  return s;
}

void Put(XmSong& s, int order, int row, int channel, XmCell cell) {
  s.patterns[order].At(row, channel, s.channels) = cell;
}

XmSong NoteDelaySong() {
  XmSong s = BaseSong(1, 16);
  // Loud and quiet notes in turn, each held back a different number of
  // ticks (6 and 7 never come at speed 6).
  const uint8_t delays[] = {0, 2, 4, 5, 1, 3, 7, 4};
  for (int r = 0; r < 16; ++r) {
    Put(s, 0, r, 0,
        {static_cast<uint8_t>(49 + r % 5), 1, static_cast<uint8_t>(r % 2 ? 0x14 : 0x50), 0xE,
         static_cast<uint8_t>(0xD0 | delays[r % 8])});
    if (r % 4 == 1) Put(s, 0, r, 1, {61, 2, 0, 0xE, static_cast<uint8_t>(0xD0 | (r % 6))});
  }
  Put(s, 0, 0, 2, {37, 1, 0x40, 0, 0});
  Put(s, 0, 5, 2, {0, 0, 0x68, 0xE, 0xD3});  // a delay without note: the volume column slides
  Put(s, 0, 9, 2, {0, 1, 0, 0xE, 0xD2});     // an instrument alone, held back
  return s;
}

XmSong PatternLoopSong() {
  XmSong s = BaseSong(2, 16);
  for (int r = 0; r < 16; ++r)
    Put(s, 0, r, 0, {static_cast<uint8_t>(49 + r), 2, static_cast<uint8_t>(0x20 + 2 * r), 0, 0});
  Put(s, 0, 2, 1, {0, 0, 0, 0xE, 0x60});
  Put(s, 0, 5, 1, {0, 0, 0, 0xE, 0x62});
  Put(s, 0, 8, 2, {0, 0, 0, 0xE, 0x60});
  Put(s, 0, 10, 2, {0, 0, 0, 0xE, 0x61});
  Put(s, 0, 10, 3, {0, 0, 0, 0xE, 0x61});  // loop start row 0 in this channel
  for (int r = 0; r < 16; r += 2) Put(s, 1, r, 0, {static_cast<uint8_t>(60 - r), 2, 0, 0, 0});
  return s;
}

XmSong PatternDelaySong() {
  XmSong s = BaseSong(3, 16);
  for (int o = 0; o < 3; ++o)
    for (int r = 0; r < 16; r += 2)
      Put(s, o, r, 0, {static_cast<uint8_t>(40 + r + o), 2, 0, 0xA, 0x02});
  Put(s, 0, 3, 1, {0, 0, 0, 0xE, 0xE2});
  Put(s, 0, 5, 1, {0, 0, 0, 0xE, 0xE1});
  Put(s, 0, 5, 2, {0, 0, 0, 0xD, 0x04});  // break after the delayed row
  Put(s, 1, 7, 2, {0, 0, 0, 0xD, 0x10});  // break to row 10 of entry 2
  Put(s, 1, 7, 3, {0, 0, 0, 0xE, 0xE3});
  Put(s, 2, 12, 2, {0, 0, 0, 0xB, 0x01});  // jump back: the song's end
  Put(s, 2, 12, 3, {0, 0, 0, 0xD, 0x02});
  return s;
}

XmSong TremorSong() {
  XmSong s = BaseSong(1, 16);
  const uint8_t params[] = {0x21, 0x00, 0x13, 0x00, 0x00, 0x42, 0x00, 0x11};
  Put(s, 0, 0, 0, {49, 1, 0, 0x1D, 0x21});
  for (int r = 1; r < 8; ++r) Put(s, 0, r, 0, {0, 0, 0, 0x1D, params[r]});
  Put(s, 0, 9, 0, {0, 0, 0x30, 0, 0});
  Put(s, 0, 10, 0, {0, 1, 0, 0x1D, 0x12});
  Put(s, 0, 11, 0, {0, 0, 0, 0x1D, 0x00});
  Put(s, 0, 0, 1, {61, 1, 0x20, 0, 0});
  return s;
}

XmSong MultiRetrigSong() {
  XmSong s = BaseSong(1, 16);
  const XmCell cells[] = {
      {49, 2, 0, 0x1B, 0x43}, {0, 0, 0, 0x1B, 0x00}, {0, 0, 0, 0, 0},
      {0, 0, 0, 0x1B, 0x92},  {0, 0, 0, 0x1B, 0x00}, {49, 2, 0x30, 0x1B, 0x83},
      {0, 0, 0, 0x1B, 0x00},  {0, 0, 0, 0x1B, 0xE4}, {53, 2, 0, 0x1B, 0x62},
      {0, 0, 0, 0x1B, 0x00},  {0, 0, 0, 0x1B, 0x71}, {0, 0, 0, 0x1B, 0x00},
  };
  for (int r = 0; r < 12; ++r) Put(s, 0, r, 0, cells[r]);
  Put(s, 0, 0, 1, {37, 1, 0x18, 0, 0});
  return s;
}

// One voice, so that its pitch shows in the zero crossings of each row.
XmSong GlissandoSong() {
  XmSong s = BaseSong(1, 16);
  Put(s, 0, 0, 0, {49, 1, 0, 0xE, 0x31});
  Put(s, 0, 1, 0, {61, 0, 0, 0x3, 0x06});
  Put(s, 0, 4, 0, {0, 0, 0x30, 0x3, 0x00});
  Put(s, 0, 6, 0, {44, 0, 0, 0x5, 0x01});
  Put(s, 0, 9, 0, {0, 0, 0, 0xE, 0x30});
  Put(s, 0, 10, 0, {56, 0, 0xF4, 0, 0});
  Put(s, 0, 13, 0, {0, 0, 0, 0xE, 0x31});
  Put(s, 0, 14, 0, {37, 0, 0, 0x3, 0x10});
  return s;
}

// An instrument with a sustained volume envelope and a fadeout: key offs
// release the sustain and start the fade.
void AddEnvelopeInstrument(XmSong& s) {
  XmInstrument in = s.instruments[0];
  in.volume.on = in.volume.sustainOn = true;
  in.volume.points = {{0, 64}, {8, 48}, {30, 30}, {80, 10}};
  in.volume.sustain = 1;
  in.fadeout = 900;
  s.instruments.push_back(in);
}

XmSong KeyOffSong() {
  XmSong s = BaseSong(1, 32);
  AddEnvelopeInstrument(s);
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 32; r += 8) Put(s, 0, r, c, {static_cast<uint8_t>(49 + 4 * c), 3, 0, 0, 0});
  }
  Put(s, 0, 2, 0, {97, 0, 0, 0, 0});         // key off
  Put(s, 0, 10, 0, {0, 0, 0, 0x14, 0x03});   // K03: on tick 3
  Put(s, 0, 18, 0, {0, 0, 0, 0x14, 0x00});   // K00: on the row
  Put(s, 0, 26, 0, {97, 3, 0, 0, 0});        // key off with an instrument number
  Put(s, 0, 3, 1, {97, 0, 0x30, 0, 0});      // key off with a volume
  Put(s, 0, 11, 1, {0, 0, 0, 0x14, 0x09});   // K09: past the row's ticks
  Put(s, 0, 19, 1, {61, 9, 0, 0, 0});        // a note on an instrument the song lacks
  Put(s, 0, 21, 1, {97, 0, 0, 0, 0});        // then key off
  Put(s, 0, 4, 2, {61, 1, 0, 0, 0});         // an instrument without envelope
  Put(s, 0, 6, 2, {97, 0, 0, 0, 0});         // key off cuts it
  return s;
}

XmSong InstrumentAloneSong() {
  XmSong s = BaseSong(1, 32);
  AddEnvelopeInstrument(s);
  Put(s, 0, 0, 0, {49, 1, 0x20, 0, 0});
  Put(s, 0, 4, 0, {0, 1, 0, 0, 0});          // volume back to the sample's
  Put(s, 0, 8, 0, {0, 2, 0, 0, 0});          // another instrument alone
  Put(s, 0, 12, 0, {0, 0, 0, 0xA, 0x0F});
  Put(s, 0, 14, 0, {0, 1, 0, 0, 0});
  Put(s, 0, 0, 1, {52, 3, 0, 0, 0});
  Put(s, 0, 6, 1, {97, 0, 0, 0, 0});         // released
  Put(s, 0, 10, 1, {0, 3, 0, 0, 0});         // the instrument alone restarts the envelope
  Put(s, 0, 16, 1, {0, 0, 0, 0xC, 0x00});    // silenced
  Put(s, 0, 18, 1, {0, 3, 0, 0, 0});         // and brought back
  Put(s, 0, 20, 2, {57, 2, 0, 0, 0});
  Put(s, 0, 24, 2, {0, 1, 0, 0, 0});         // a sample change without a note
  return s;
}

XmSong SpeedZeroSong() {
  XmSong s = BaseSong(2, 8);
  for (int r = 0; r < 8; r += 2) Put(s, 0, r, 0, {static_cast<uint8_t>(49 + r), 2, 0, 0, 0});
  Put(s, 0, 3, 1, {0, 0, 0, 0xF, 0x00});     // F00: the speed stays
  Put(s, 1, 0, 0, {61, 2, 0, 0xF, 0x03});
  Put(s, 1, 4, 1, {0, 0, 0, 0xF, 0x00});
  return s;
}

struct Case {
  const char* name;
  XmSong (*make)();
  bool oneVoice;  // compare the pitch of each row too
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

// Zero crossings of the first `frames` frames of each row, a measure of its
// pitch when one voice sounds.
std::vector<int> Crossings(const Rendering& r, int64_t frames) {
  std::vector<int> out;
  for (const reference::RowRun& run : r.rows) {
    int n = 0;
    const int64_t end = std::min<int64_t>(run.start + frames, static_cast<int64_t>(r.mono.size()));
    for (int64_t i = run.start + 1; i < end; ++i) n += (r.mono[i - 1] < 0) != (r.mono[i] < 0);
    out.push_back(n);
  }
  return out;
}

class SubtleEffects : public testing::TestWithParam<Case> {};

TEST_P(SubtleEffects, SameRowsAndLoudnessAsTheReference) {
  const std::vector<uint8_t> bytes = WriteXm(GetParam().make());
  Rendering ours, theirs;
  std::string error;
  ASSERT_TRUE(reference::RenderWithPlayer(bytes, &kCompleteRules, ours, error)) << error;
  ASSERT_TRUE(reference::RenderWithLibopenmpt(bytes, theirs, error)) << error;
  ASSERT_EQ(reference::RowSequence(ours), reference::RowSequence(theirs));

  // The two players mix at different levels: compare each row's RMS after
  // scaling ours by the ratio of the whole songs' RMS. A row may differ by
  // 15% of the louder, or by 2% of the song's level when quiet (volume
  // ramps and interpolation differ in detail; a wrong restart, cut or
  // silence moves a row by far more).
  const std::vector<double> a = reference::RowRms(ours), b = reference::RowRms(theirs);
  double sa = 0, sb = 0;
  for (size_t i = 0; i < a.size(); ++i) sa += a[i] * a[i], sb += b[i] * b[i];
  ASSERT_GT(sa, 0.0);
  const double gain = std::sqrt(sb / sa);
  const double level = std::sqrt(sb / b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    const double x = a[i] * gain, y = b[i];
    EXPECT_LE(std::fabs(x - y), std::max(0.15 * std::max(x, y), 0.02 * level))
        << "row " << ours.rows[i].order << "." << ours.rows[i].row << ": ours " << x
        << ", reference " << y;
  }
  if (!GetParam().oneVoice) return;
  // Pitch: the zero crossings of each row (a row is 6 x 882 frames) within
  // 3% or 2 crossings; a semitone is 6%.
  const std::vector<int> pa = Crossings(ours, 6 * 882), pb = Crossings(theirs, 6 * 882);
  for (size_t i = 0; i < pa.size(); ++i)
    EXPECT_LE(std::abs(pa[i] - pb[i]), std::max(2.0, 0.03 * pb[i])) << "row " << ours.rows[i].row;
}

INSTANTIATE_TEST_SUITE_P(Complete, SubtleEffects,
                         testing::Values(Case{"NoteDelay", NoteDelaySong, false},
                                         Case{"PatternLoop", PatternLoopSong, false},
                                         Case{"PatternDelayWithBreaks", PatternDelaySong, false},
                                         Case{"Tremor", TremorSong, false},
                                         Case{"MultiRetrig", MultiRetrigSong, false},
                                         Case{"Glissando", GlissandoSong, true},
                                         Case{"KeyOff", KeyOffSong, false},
                                         Case{"InstrumentAlone", InstrumentAloneSong, false},
                                         Case{"SpeedZero", SpeedZeroSong, false}),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
