// Round trip of the XM writer through libxmp, an independent XM reader (Linux
// builds only): every field that goes in must come back. The frequency table
// flag, which libxmp keeps to itself, is checked at its offset in
// xm_writer_test.cpp.
#include <gtest/gtest.h>
#include <xmp.h>

#include "round_trip_song.h"

namespace {

XmEnvelope FromXmp(const xmp_envelope& e) {
  XmEnvelope out;
  for (int k = 0; k < e.npt; ++k) {
    out.points.push_back(
        {static_cast<uint16_t>(e.data[2 * k]), static_cast<uint16_t>(e.data[2 * k + 1])});
  }
  out.on = e.flg & XMP_ENVELOPE_ON;
  out.sustainOn = e.flg & XMP_ENVELOPE_SUS;
  out.loopOn = e.flg & XMP_ENVELOPE_LOOP;
  out.sustain = e.sus;
  out.loopStart = e.lps;
  out.loopEnd = e.lpe;
  return out;
}

// libxmp's module in the writer's model. libxmp has conventions of its own:
// notes an octave higher and key off as XMP_KEY_OFF, set-volume values from 1,
// the note map over keys 12 to 107, the fadeout doubled, the vibrato depth
// times four, loops as start and end, and an empty pattern after the file's.
XmSong FromXmp(const xmp_module& m) {
  XmSong s;
  s.name = m.name;
  s.channels = m.chn;
  s.restart = m.rst;
  s.speed = m.spd;
  s.bpm = m.bpm;
  s.orders.assign(m.xxo, m.xxo + m.len);
  for (int p = 0; p + 1 < m.pat; ++p) {
    XmPattern& pattern = s.AddPattern(m.xxp[p]->rows);
    for (int row = 0; row < pattern.rows; ++row) {
      for (int c = 0; c < m.chn; ++c) {
        const xmp_event& e = m.xxt[m.xxp[p]->index[c]]->event[row];
        const int note = e.note == XMP_KEY_OFF ? 97 : e.note == 0 ? 0 : e.note - 12;
        pattern.At(row, c, m.chn) = {static_cast<uint8_t>(note), e.ins,
                                     static_cast<uint8_t>(e.vol == 0 ? 0 : e.vol + 0x0F), e.fxt,
                                     e.fxp};
      }
    }
  }
  for (int i = 0; i < m.ins; ++i) {
    const xmp_instrument& x = m.xxi[i];
    XmInstrument& in = s.instruments.emplace_back();
    in.name = x.name;
    for (int k = 0; k < 96; ++k) in.noteToSample[k] = x.map[k + 12].ins;
    in.volume = FromXmp(x.aei);
    in.pan = FromXmp(x.pei);
    in.fadeout = static_cast<uint16_t>(x.rls / 2);
    for (int j = 0; j < x.nsm; ++j) {
      const xmp_subinstrument& sub = x.sub[j];
      in.vibratoType = sub.vwf;
      in.vibratoSweep = sub.vsw;
      in.vibratoDepth = sub.vde / 4;
      in.vibratoRate = sub.vra;
      const xmp_sample& d = m.xxs[sub.sid];
      XmSample& smp = in.samples.emplace_back();
      smp.name = d.name;
      smp.sixteenBit = d.flg & XMP_SAMPLE_16BIT;
      smp.loopType = d.flg & XMP_SAMPLE_LOOP_BIDIR ? 2 : d.flg & XMP_SAMPLE_LOOP ? 1 : 0;
      smp.loopStart = d.lps;
      smp.loopLength = d.lpe - d.lps;
      smp.volume = sub.vol;
      smp.finetune = sub.fin;
      smp.pan = sub.pan;
      smp.relativeNote = sub.xpo;
      for (int k = 0; k < d.len; ++k) {
        smp.data.push_back(smp.sixteenBit ? reinterpret_cast<const int16_t*>(d.data)[k]
                                          : static_cast<int8_t>(d.data[k]) * 256);
      }
    }
  }
  return s;
}

void ExpectEnvelopeEq(const XmEnvelope& a, const XmEnvelope& b) {
  EXPECT_EQ(a.points, b.points);
  EXPECT_EQ(a.on, b.on);
  EXPECT_EQ(a.sustainOn, b.sustainOn);
  EXPECT_EQ(a.loopOn, b.loopOn);
  EXPECT_EQ(a.sustain, b.sustain);
  EXPECT_EQ(a.loopStart, b.loopStart);
  EXPECT_EQ(a.loopEnd, b.loopEnd);
}

TEST(XmWriter, RoundTripKeepsEveryField) {
  const XmSong in = MakeSong();
  std::vector<uint8_t> bytes = WriteXm(in);
  xmp_context context = xmp_create_context();
  ASSERT_EQ(xmp_load_module_from_memory(context, bytes.data(), static_cast<long>(bytes.size())), 0);
  xmp_module_info info{};
  xmp_get_module_info(context, &info);
  EXPECT_EQ(info.mod->pat, static_cast<int>(in.patterns.size()) + 1);  // libxmp adds an empty one
  const XmSong out = FromXmp(*info.mod);
  xmp_release_module(context);
  xmp_free_context(context);
  EXPECT_EQ(out.name, in.name);
  EXPECT_EQ(out.channels, in.channels);
  EXPECT_EQ(out.restart, in.restart);
  EXPECT_EQ(out.speed, in.speed);
  EXPECT_EQ(out.bpm, in.bpm);
  EXPECT_EQ(out.orders, in.orders);
  ASSERT_EQ(out.patterns.size(), in.patterns.size());
  for (size_t p = 0; p < in.patterns.size(); ++p) {
    ASSERT_EQ(out.patterns[p].rows, in.patterns[p].rows) << "pattern " << p;
    for (size_t c = 0; c < in.patterns[p].cells.size(); ++c) {
      const XmCell& x = in.patterns[p].cells[c];
      const XmCell& y = out.patterns[p].cells[c];
      EXPECT_TRUE(x.note == y.note && x.instrument == y.instrument && x.volume == y.volume &&
                  x.effect == y.effect && x.parameter == y.parameter)
          << "pattern " << p << " cell " << c;
    }
  }
  ASSERT_EQ(out.instruments.size(), 2u);
  const XmInstrument& a = out.instruments[0];
  const XmInstrument& e = in.instruments[0];
  EXPECT_EQ(a.name, e.name);
  EXPECT_EQ(a.noteToSample, e.noteToSample);
  ExpectEnvelopeEq(a.volume, e.volume);
  ExpectEnvelopeEq(a.pan, e.pan);
  EXPECT_EQ(a.vibratoType, e.vibratoType);
  EXPECT_EQ(a.vibratoSweep, e.vibratoSweep);
  EXPECT_EQ(a.vibratoDepth, e.vibratoDepth);
  EXPECT_EQ(a.vibratoRate, e.vibratoRate);
  EXPECT_EQ(a.fadeout, e.fadeout);
  ASSERT_EQ(a.samples.size(), 2u);
  for (size_t j = 0; j < 2; ++j) {
    const XmSample& x = e.samples[j];
    const XmSample& y = a.samples[j];
    EXPECT_EQ(y.name, x.name);
    EXPECT_EQ(y.sixteenBit, x.sixteenBit);
    EXPECT_EQ(y.data, x.data) << "sample " << j;
    EXPECT_EQ(y.loopStart, x.loopStart);
    EXPECT_EQ(y.loopLength, x.loopLength);
    EXPECT_EQ(y.loopType, x.loopType);
    EXPECT_EQ(y.volume, x.volume);
    EXPECT_EQ(y.finetune, x.finetune);
    EXPECT_EQ(y.pan, x.pan);
    EXPECT_EQ(y.relativeNote, x.relativeNote);
  }
  EXPECT_EQ(out.instruments[1].name, "empty");
  EXPECT_TRUE(out.instruments[1].samples.empty());
}

}  // namespace
