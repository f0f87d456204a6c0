// XM writer: serialises an XmSong into the standard XM byte layout. Every
// field is written little-endian at the place a tracker would put it, so the
// output loads in any XM player and, read back with real seeks, in ours.
#include "xm_writer.h"

#include <algorithm>
#include <cstddef>
#include <fstream>

namespace {

constexpr uint32_t kHeaderSize = 276;  // counted from offset 60
constexpr uint32_t kPatternHeaderSize = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;  // full header, also for empty instruments
constexpr uint32_t kSampleHeaderSize = 40;
constexpr size_t kMaxEnvelopePoints = 12;
constexpr size_t kMaxSamples = 16;

class ByteSink {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  // Fixed-width text field, padded with zeros and cut at the width.
  void Text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
  }
  void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  size_t Size() const { return bytes_.size(); }
  void PatchU16(size_t at, uint16_t v) {
    bytes_[at] = static_cast<uint8_t>(v);
    bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

bool CellEmpty(const XmCell& c) {
  return c.note == 0 && c.instrument == 0 && c.volume == 0 && c.effect == 0 && c.parameter == 0;
}

// A cell with every field present is stored raw (5 bytes, the first byte being
// the note, which is below 0x80); otherwise a mask byte with bit 7 set names
// the fields that follow.
void PackCell(ByteSink& out, const XmCell& c) {
  const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.parameter};
  uint8_t mask = 0;
  for (int i = 0; i < 5; ++i)
    if (fields[i] != 0) mask |= static_cast<uint8_t>(1 << i);
  if (mask == 0x1F && c.note < 0x80) {
    for (uint8_t f : fields) out.U8(f);
    return;
  }
  out.U8(static_cast<uint8_t>(0x80 | mask));
  for (int i = 0; i < 5; ++i)
    if (mask & (1 << i)) out.U8(fields[i]);
}

void WritePattern(ByteSink& out, const XmPattern& p, int channels) {
  const int rows = std::clamp(p.rows, 1, 256);
  const size_t count = static_cast<size_t>(rows) * static_cast<size_t>(channels);
  out.U32(kPatternHeaderSize);
  out.U8(0);  // packing type
  out.U16(static_cast<uint16_t>(rows));
  const size_t sizeAt = out.Size();
  out.U16(0);  // packed size, patched below
  bool empty = true;
  for (size_t i = 0; i < count && i < p.cells.size(); ++i) empty = empty && CellEmpty(p.cells[i]);
  if (empty) return;  // an all-empty pattern is stored with no data at all
  const size_t start = out.Size();
  static const XmCell kBlank{};
  for (size_t i = 0; i < count; ++i) PackCell(out, i < p.cells.size() ? p.cells[i] : kBlank);
  out.PatchU16(sizeAt, static_cast<uint16_t>(std::min<size_t>(out.Size() - start, 0xFFFF)));
}

void WriteEnvelopePoints(ByteSink& out, const XmEnvelope& e) {
  for (size_t i = 0; i < kMaxEnvelopePoints; ++i) {
    out.U16(i < e.points.size() ? e.points[i][0] : 0);
    out.U16(i < e.points.size() ? e.points[i][1] : 0);
  }
}

uint8_t EnvelopeType(const XmEnvelope& e) {
  return static_cast<uint8_t>((e.on ? 1 : 0) | (e.sustainOn ? 2 : 0) | (e.loopOn ? 4 : 0));
}

uint8_t PointCount(const XmEnvelope& e) {
  return static_cast<uint8_t>(std::min(e.points.size(), kMaxEnvelopePoints));
}

void WriteSampleHeader(ByteSink& out, const XmSample& s) {
  const uint32_t unit = s.sixteenBit ? 2 : 1;  // bytes per value
  out.U32(static_cast<uint32_t>(s.data.size()) * unit);
  out.U32(s.loopStart * unit);
  out.U32(s.loopLength * unit);
  out.U8(s.volume);
  out.U8(static_cast<uint8_t>(s.finetune));
  out.U8(static_cast<uint8_t>((s.loopType & 3) | (s.sixteenBit ? 0x10 : 0)));
  out.U8(s.pan);
  out.U8(static_cast<uint8_t>(s.relativeNote));
  out.U8(0);  // reserved
  out.Text(s.name, 22);
}

// Sample data is stored as differences between successive values, wrapping
// modulo the sample width.
void WriteSampleData(ByteSink& out, const XmSample& s) {
  if (s.sixteenBit) {
    uint16_t previous = 0;
    for (int16_t v : s.data) {
      const uint16_t value = static_cast<uint16_t>(v);
      out.U16(static_cast<uint16_t>(value - previous));
      previous = value;
    }
  } else {
    uint8_t previous = 0;
    for (int16_t v : s.data) {
      const uint8_t value = static_cast<uint8_t>(static_cast<int8_t>(v >> 8));
      out.U8(static_cast<uint8_t>(value - previous));
      previous = value;
    }
  }
}

void WriteInstrument(ByteSink& out, const XmInstrument& in) {
  const size_t count = std::min(in.samples.size(), kMaxSamples);
  const size_t start = out.Size();
  out.U32(kInstrumentHeaderSize);
  out.Text(in.name, 22);
  out.U8(0);  // type
  out.U16(static_cast<uint16_t>(count));
  out.U32(kSampleHeaderSize);
  for (uint8_t n : in.noteToSample) out.U8(n);
  WriteEnvelopePoints(out, in.volume);
  WriteEnvelopePoints(out, in.pan);
  out.U8(PointCount(in.volume));
  out.U8(PointCount(in.pan));
  out.U8(in.volume.sustain);
  out.U8(in.volume.loopStart);
  out.U8(in.volume.loopEnd);
  out.U8(in.pan.sustain);
  out.U8(in.pan.loopStart);
  out.U8(in.pan.loopEnd);
  out.U8(EnvelopeType(in.volume));
  out.U8(EnvelopeType(in.pan));
  out.U8(in.vibratoType);
  out.U8(in.vibratoSweep);
  out.U8(in.vibratoDepth);
  out.U8(in.vibratoRate);
  out.U16(in.fadeout);
  out.Zeros(start + kInstrumentHeaderSize - out.Size());  // reserved tail of the header
  for (size_t j = 0; j < count; ++j) WriteSampleHeader(out, in.samples[j]);
  for (size_t j = 0; j < count; ++j) WriteSampleData(out, in.samples[j]);
}

}  // namespace

XmPattern& XmSong::AddPattern(int rows) {
  XmPattern& p = patterns.emplace_back();
  p.rows = rows;
  p.cells.assign(
      static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(channels, 0)),
      XmCell{});
  return p;
}

std::vector<uint8_t> WriteXm(const XmSong& song) {
  ByteSink out;
  const int channels = std::max(song.channels, 0);
  const size_t orderCount = std::min<size_t>(song.orders.size(), 256);
  out.Text("Extended Module: ", 17);
  out.Text(song.name, 20);
  out.U8(0x1A);
  out.Text("xmwriter", 20);
  out.U16(0x0104);
  out.U32(kHeaderSize);
  out.U16(static_cast<uint16_t>(orderCount));
  out.U16(static_cast<uint16_t>(song.restart));
  out.U16(static_cast<uint16_t>(channels));
  out.U16(static_cast<uint16_t>(song.patterns.size()));
  out.U16(static_cast<uint16_t>(song.instruments.size()));
  out.U16(song.linear ? 1 : 0);
  out.U16(static_cast<uint16_t>(song.speed));
  out.U16(static_cast<uint16_t>(song.bpm));
  for (size_t i = 0; i < 256; ++i) out.U8(i < orderCount ? song.orders[i] : 0);
  for (const XmPattern& p : song.patterns) WritePattern(out, p, channels);
  for (const XmInstrument& in : song.instruments) WriteInstrument(out, in);
  return out.Take();
}

bool WriteXmFile(const XmSong& song, const std::string& path) {
  const std::vector<uint8_t> bytes = WriteXm(song);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}
