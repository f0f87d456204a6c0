// Round trip of the XM writer through an independent reader written here from
// the file layout: every field that goes in must come back, at the offsets a
// tracker expects (fixed header offsets, packed cells, delta-coded samples).
#include "xm_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "test_files.h"

namespace {

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
  uint8_t U8() {
    if (pos_ >= b_.size()) throw std::out_of_range("read past end");
    return b_[pos_++];
  }
  uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
  uint32_t U32() { return U16() | static_cast<uint32_t>(U16()) << 16; }
  std::string Text(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(U8()));
    return s.substr(0, s.find('\0'));
  }
  void Seek(size_t p) { pos_ = p; }
  size_t Pos() const { return pos_; }

 private:
  const std::vector<uint8_t>& b_;
  size_t pos_ = 0;
};

XmEnvelope ReadEnvelope(Reader& r) {
  XmEnvelope e;
  for (int i = 0; i < 12; ++i) e.points.push_back({r.U16(), r.U16()});
  return e;
}

void FinishEnvelope(XmEnvelope& e, uint8_t count, uint8_t sustain, uint8_t ls, uint8_t le,
                    uint8_t type) {
  e.points.resize(count);
  e.sustain = sustain;
  e.loopStart = ls;
  e.loopEnd = le;
  e.on = type & 1;
  e.sustainOn = type & 2;
  e.loopOn = type & 4;
}

// Parses a standard XM file back into the model.
XmSong ReadXm(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  XmSong s;
  EXPECT_EQ(r.Text(17), "Extended Module: ");
  s.name = r.Text(20);
  EXPECT_EQ(r.U8(), 0x1A);
  r.Text(20);
  EXPECT_EQ(r.U16(), 0x0104);
  const uint32_t headerSize = r.U32();
  EXPECT_EQ(headerSize, 276u);
  const int length = r.U16();
  s.restart = r.U16();
  s.channels = r.U16();
  const int patterns = r.U16();
  const int instruments = r.U16();
  s.linear = r.U16() & 1;
  s.speed = r.U16();
  s.bpm = r.U16();
  for (int i = 0; i < 256; ++i) {
    const uint8_t o = r.U8();
    if (i < length) s.orders.push_back(o);
  }
  r.Seek(60 + headerSize);
  for (int p = 0; p < patterns; ++p) {
    const size_t start = r.Pos();
    const uint32_t h = r.U32();
    EXPECT_EQ(r.U8(), 0);
    XmPattern& pat = s.AddPattern(r.U16());
    const uint16_t packed = r.U16();
    r.Seek(start + h);
    const size_t dataStart = r.Pos();
    if (packed == 0) continue;
    for (XmCell& c : pat.cells) {
      uint8_t b = r.U8();
      uint8_t f[5] = {};
      if (b & 0x80) {
        for (int i = 0; i < 5; ++i)
          if (b & (1 << i)) f[i] = r.U8();
      } else {
        f[0] = b;
        for (int i = 1; i < 5; ++i) f[i] = r.U8();
      }
      c = {f[0], f[1], f[2], f[3], f[4]};
    }
    EXPECT_EQ(r.Pos() - dataStart, packed);
  }
  for (int i = 0; i < instruments; ++i) {
    XmInstrument& in = s.instruments.emplace_back();
    const size_t start = r.Pos();
    const uint32_t size = r.U32();
    in.name = r.Text(22);
    r.U8();
    const int count = r.U16();
    if (count == 0) {
      r.Seek(start + size);
      continue;
    }
    EXPECT_EQ(r.U32(), 40u);
    for (auto& n : in.noteToSample) n = r.U8();
    in.volume = ReadEnvelope(r);
    in.pan = ReadEnvelope(r);
    uint8_t k[14];
    for (auto& v : k) v = r.U8();
    FinishEnvelope(in.volume, k[0], k[2], k[3], k[4], k[8]);
    FinishEnvelope(in.pan, k[1], k[5], k[6], k[7], k[9]);
    in.vibratoType = k[10];
    in.vibratoSweep = k[11];
    in.vibratoDepth = k[12];
    in.vibratoRate = k[13];
    in.fadeout = r.U16();
    r.Seek(start + size);
    std::vector<uint32_t> byteLengths;
    for (int j = 0; j < count; ++j) {
      XmSample& smp = in.samples.emplace_back();
      byteLengths.push_back(r.U32());
      smp.loopStart = r.U32();
      smp.loopLength = r.U32();
      smp.volume = r.U8();
      smp.finetune = static_cast<int8_t>(r.U8());
      const uint8_t type = r.U8();
      smp.loopType = type & 3;
      smp.sixteenBit = type & 0x10;
      smp.pan = r.U8();
      smp.relativeNote = static_cast<int8_t>(r.U8());
      r.U8();
      smp.name = r.Text(22);
      if (smp.sixteenBit) {
        smp.loopStart /= 2;
        smp.loopLength /= 2;
      }
    }
    for (int j = 0; j < count; ++j) {
      XmSample& smp = in.samples[j];
      int16_t acc = 0;
      if (smp.sixteenBit) {
        for (uint32_t n = 0; n < byteLengths[j] / 2; ++n) {
          acc = static_cast<int16_t>(acc + static_cast<int16_t>(r.U16()));
          smp.data.push_back(acc);
        }
      } else {
        int8_t acc8 = 0;
        for (uint32_t n = 0; n < byteLengths[j]; ++n) {
          acc8 = static_cast<int8_t>(acc8 + static_cast<int8_t>(r.U8()));
          smp.data.push_back(static_cast<int16_t>(acc8 * 256));
        }
      }
    }
  }
  EXPECT_EQ(r.Pos(), bytes.size()) << "trailing bytes";
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

XmSong MakeSong() {
  XmSong s;
  s.name = "round trip";
  s.channels = 3;
  s.linear = false;
  s.restart = 1;
  s.speed = 5;
  s.bpm = 167;
  s.orders = {1, 0, 2, 1};
  XmPattern& p0 = s.AddPattern(4);
  p0.At(0, 0, 3) = {49, 1, 0x40, 0x0F, 0x03};  // full cell: stored raw
  p0.At(1, 2, 3) = {97, 0, 0, 0, 0};           // key off alone
  p0.At(3, 1, 3) = {0, 0, 0, 0x0C, 0x20};      // effect and parameter only
  p0.At(2, 0, 3) = {0, 2, 0, 0, 0x00};         // instrument only
  s.AddPattern(64);                            // all empty: stored without data
  XmPattern& p2 = s.AddPattern(256);
  p2.At(255, 2, 3) = {96, 2, 0x10, 0x0E, 0xD3};

  XmInstrument& a = s.instruments.emplace_back();
  a.name = "lead";
  a.noteToSample.fill(1);
  a.noteToSample[0] = 0;
  a.volume.points = {{0, 64}, {10, 32}, {40, 0}};
  a.volume.on = a.volume.sustainOn = true;
  a.volume.sustain = 1;
  a.pan.points = {{0, 32}, {5, 0}, {9, 64}, {20, 32}};
  a.pan.on = a.pan.loopOn = true;
  a.pan.loopStart = 1;
  a.pan.loopEnd = 3;
  a.vibratoType = 2;
  a.vibratoSweep = 8;
  a.vibratoDepth = 4;
  a.vibratoRate = 20;
  a.fadeout = 1024;
  XmSample& s16 = a.samples.emplace_back();
  s16.name = "saw16";
  s16.data = {0, 1000, -32768, 32767, -1, 12};
  s16.loopStart = 1;
  s16.loopLength = 4;
  s16.loopType = 2;
  s16.volume = 48;
  s16.finetune = -16;
  s16.pan = 10;
  s16.relativeNote = -12;
  XmSample& s8 = a.samples.emplace_back();
  s8.name = "square8";
  s8.sixteenBit = false;
  s8.data = {127 * 256, -128 * 256, 0, 5 * 256};
  s8.loopLength = 4;
  s8.loopType = 1;
  s8.relativeNote = 7;
  s.instruments.emplace_back().name = "empty";
  return s;
}

TEST(XmWriter, RoundTripKeepsEveryField) {
  const XmSong in = MakeSong();
  const XmSong out = ReadXm(WriteXm(in));
  EXPECT_EQ(out.name, in.name);
  EXPECT_EQ(out.channels, in.channels);
  EXPECT_EQ(out.linear, in.linear);
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

TEST(XmWriter, LayoutOfHeaderPatternsAndSamples) {
  const XmSong in = MakeSong();
  const std::vector<uint8_t> b = WriteXm(in);
  // Header: 60 fixed bytes, then 276 counted from offset 60.
  EXPECT_EQ(b[58] | b[59] << 8, 0x0104);
  EXPECT_EQ(b[68] | b[69] << 8, 3);  // channels
  EXPECT_EQ(b[70] | b[71] << 8, 3);  // patterns
  EXPECT_EQ(b[74] | b[75] << 8, 0);  // flags: Amiga table
  EXPECT_EQ(b[80], 1);               // first order entry
  // First pattern at 336: 9-byte header; the full first cell is stored raw.
  EXPECT_EQ(b[336], 9);
  EXPECT_EQ(b[341] | b[342] << 8, 4);  // rows
  EXPECT_EQ(b[345], 49);
  EXPECT_EQ(b[346], 1);
  // The second cell (empty) is a lone mask byte.
  EXPECT_EQ(b[350], 0x80);
  // The 8-bit sample's deltas (127, -128-127, 0-(-128), 5) end the first instrument, which is
  // followed only by the empty instrument's 263-byte header.
  const size_t n = b.size() - 263;
  EXPECT_EQ(b[n - 4], 127);
  EXPECT_EQ(b[n - 3], static_cast<uint8_t>(-255));
  EXPECT_EQ(b[n - 2], 128);
  EXPECT_EQ(b[n - 1], 5);
}

TEST(XmWriter, EmptyPatternHasNoPackedData) {
  XmSong s;
  s.channels = 2;
  s.orders = {0};
  s.AddPattern(16);
  const std::vector<uint8_t> b = WriteXm(s);
  ASSERT_EQ(b.size(), 336u + 9u);
  EXPECT_EQ(b[343] | b[344] << 8, 0);
}

// A file that cannot be created, or a full device: false. Else the file
// holds the bytes.
TEST(XmWriter, FileWriteReportsFailure) {
  const XmSong s = MakeSong();
  EXPECT_FALSE(WriteXmFile(s, "/nonexistent-dir/x.xm"));
  if (!FullDevice().empty()) {
    EXPECT_FALSE(WriteXmFile(s, FullDevice()));
  }
  const TempDir dir;
  const std::string path = dir / "song.xm";
  ASSERT_TRUE(WriteXmFile(s, path));
  EXPECT_EQ(ReadFile<std::vector<uint8_t>>(path), WriteXm(s));
}

}  // namespace
