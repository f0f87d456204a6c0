// Instruments and samples: the instrument headers with their envelopes and
// auto-vibrato settings, the sample headers, and the sample data, which is
// delta-decoded and widened to signed 16-bit values in the sample's own
// buffer. Sample data that the stream cuts short is left silent.
#include <algorithm>
#include <cstring>

#include "loader_io.h"

namespace loader {

namespace {

// A resource limit rather than a format one: 2^24 values (32 MB of 16-bit
// data) is far beyond any tracker sample and keeps the byte count of a read
// inside an int and the mixer's distance to a loop boundary inside 24 bits.
constexpr uint32_t kMaxSampleValues = 1u << 24;
constexpr int kEnvelopeMaxY = 64;

void ReadEnvelope(const uint8_t* bytes, EnvelopePoint* points) {
  for (int k = 0; k < MAX_ENVELOPE_POINTS; ++k)
    points[k] = {Le16(bytes + 4 * k), Le16(bytes + 4 * k + 2)};
}

// An envelope that is switched on is stepped point by point during playback,
// so its indices must name existing points, its ticks must not run backwards
// (the interpolation would then never reach the next point and grow without
// bound) and its values must stay on the 0…64 scale that gains assume.
bool EnvelopeValid(uint8_t type, int count, const EnvelopePoint* points, int sustain, int loopStart,
                   int loopEnd) {
  if (count > MAX_ENVELOPE_POINTS) return false;
  if (!(type & ENVELOPE_ON)) return true;
  if ((type & ENVELOPE_SUSTAIN) && sustain >= count) return false;
  if ((type & ENVELOPE_LOOP) && (loopStart >= count || loopEnd >= count)) return false;
  for (int k = 0; k < count; ++k) {
    if (points[k].y > kEnvelopeMaxY) return false;
    if (k > 0 && points[k].x < points[k - 1].x) return false;
  }
  return true;
}

bool ReadInstrumentHeader(SongInstrument& instrument, FieldReader& in) {
  uint8_t block[4 + 96 + 48 + 48 + 16];
  if (!in.Bytes(block, sizeof block)) return false;
  const uint8_t* p = block + 4;  // the sample header size is not used
  std::memcpy(instrument.noteToSample, p, 96);
  ReadEnvelope(p + 96, instrument.volumeEnvelope);
  ReadEnvelope(p + 144, instrument.panEnvelope);
  const uint8_t* k = p + 192;
  instrument.volumePoints = k[0];
  instrument.panPoints = k[1];
  instrument.volumeSustain = k[2];
  instrument.volumeLoopStart = k[3];
  instrument.volumeLoopEnd = k[4];
  instrument.panSustain = k[5];
  instrument.panLoopStart = k[6];
  instrument.panLoopEnd = k[7];
  instrument.volumeType = k[8];
  instrument.panType = k[9];
  instrument.vibratoType = k[10];
  instrument.vibratoSweep = k[11];
  instrument.vibratoDepth = k[12];
  instrument.vibratoRate = k[13];
  // Doubled, held at the field's top: a larger file value would otherwise
  // wrap to a slow fadeout (any value from 32,768 on ends the note in two ticks).
  instrument.fadeout = static_cast<uint16_t>(std::min(Le16(k + 14) * 2, 0xFFFF));
  if (instrument.volumePoints < 2) instrument.volumeType = 0;
  if (instrument.panPoints < 2) instrument.panType = 0;
  return EnvelopeValid(instrument.volumeType, instrument.volumePoints, instrument.volumeEnvelope,
                       instrument.volumeSustain, instrument.volumeLoopStart,
                       instrument.volumeLoopEnd) &&
         EnvelopeValid(instrument.panType, instrument.panPoints, instrument.panEnvelope,
                       instrument.panSustain, instrument.panLoopStart, instrument.panLoopEnd);
}

// Lengths and loops arrive in bytes and are kept in values. The loop must lie
// inside the sample: the mixer plays up to loop start + loop length.
// `oddByte` reports a 16-bit sample whose byte length is odd: its last byte
// is no part of any value but still occupies the file.
bool ReadSampleHeader(SongSample& sample, FieldReader& in, bool& oddByte) {
  uint8_t h[17];
  if (!in.Bytes(h, sizeof h)) return false;
  sample.length = Le32(h);
  sample.loopStart = Le32(h + 4);
  sample.loopLength = Le32(h + 8);
  sample.volume = h[12];
  sample.finetune = static_cast<int8_t>(h[13]);
  const uint8_t type = h[14];
  sample.loopMode = LOOP_OFF;
  sample.bits = 8;
  if (type & 1) sample.loopMode = LOOP_FORWARD;
  if (type & 2) sample.loopMode = LOOP_PINGPONG;
  if (type & 0x10) sample.bits = 16;
  if (sample.loopMode == LOOP_OFF) {
    sample.loopStart = 0;
    sample.loopLength = sample.length;
  }
  oddByte = sample.bits == 16 && (sample.length & 1);
  if (sample.bits == 16) {
    sample.length >>= 1;
    sample.loopStart >>= 1;
    sample.loopLength >>= 1;
  }
  if (sample.loopLength == 0) {
    sample.loopMode = LOOP_OFF;
    sample.loopStart = 0;
    sample.loopLength = sample.length;
  }
  sample.pan = h[15];
  sample.relativeNote = static_cast<int8_t>(h[16]);
  in.Skip(23);  // reserved byte and name
  if (sample.length > kMaxSampleValues) return false;
  if (static_cast<uint64_t>(sample.loopStart) + sample.loopLength > sample.length) return false;
  if (sample.length == 0) return true;
  sample.data = Allocate<int16_t>(sample.length + SAMPLE_SPARE_VALUES);
  return sample.data != nullptr;
}

// The buffer holds `bytes` raw bytes at its start. 8-bit data is widened in
// place from the end backwards (value k occupies bytes 2k and 2k+1, never
// below byte k); 16-bit data is little-endian in the file.
void Widen(SongSample& sample, uint32_t bytes, bool fromFile) {
  auto* raw = reinterpret_cast<uint8_t*>(sample.data);
  if (sample.bits == 8) {
    for (uint32_t k = bytes; k-- > 0;) sample.data[k] = static_cast<int16_t>(raw[k] << 8);
  } else if (fromFile) {
    for (uint32_t k = 0; k < bytes / 2; ++k)
      sample.data[k] = static_cast<int16_t>(Le16(raw + 2 * k));
    if (bytes & 1) raw[bytes - 1] = 0;  // half a value: not part of the sample
  }
}

// Each stored value is the difference to the previous one, modulo 2^16.
void DeltaDecode(int16_t* values, uint32_t count) {
  uint16_t previous = 0;
  for (uint32_t k = 0; k < count; ++k) {
    previous = static_cast<uint16_t>(previous + static_cast<uint16_t>(values[k]));
    values[k] = static_cast<int16_t>(previous);
  }
}

// The value just past the loop end is read only by the interpolation of the
// last frame of the loop, so it must hold what follows that frame in playback.
void FixLoopEnd(SongSample& sample) {
  const uint32_t end = sample.loopStart + sample.loopLength;
  if (sample.loopMode == LOOP_FORWARD) sample.data[end] = sample.data[sample.loopStart];
  if (sample.loopMode == LOOP_PINGPONG) sample.data[end] = sample.data[end - 1];
}

void DecodeSampleData(Song* song, SongSample& sample, FieldReader& in, int instrument, int index) {
  const uint32_t bytes = sample.bits * sample.length / 8;
  if (song->sampleLoadCallback) {
    song->sampleLoadCallback(sample.data, static_cast<int>(bytes), sample.bits, instrument, index);
    in.Skip(static_cast<int>(bytes));
    Widen(sample, bytes, false);
  } else {
    const auto arrived = static_cast<uint32_t>(in.Some(sample.data, static_cast<int>(bytes)));
    Widen(sample, arrived, true);
    DeltaDecode(sample.data, arrived * 8 / sample.bits);
  }
  sample.bits = 16;
  FixLoopEnd(sample);
}

void ReadSampleData(Song* song, SongSample& sample, FieldReader& in, int instrument, int index,
                    bool oddByte) {
  if (sample.length > 0) DecodeSampleData(song, sample, in, instrument, index);
  // Stepping over the unused last byte keeps a full file in step with what
  // follows; a compact stream never held it (its seeks do nothing).
  if (oddByte) in.Skip(1);
}

bool LoadInstrument(Song* song, SongInstrument& instrument, FieldReader& in, int index) {
  const int64_t start = in.Tell();
  uint32_t headerSize;
  uint16_t count;
  if (!in.U32(headerSize)) return false;
  in.Skip(23);  // name and type
  if (!in.U16(count)) return false;
  if (count > MAX_SAMPLES_PER_INSTRUMENT) return false;
  instrument.sampleCount = count;
  for (int j = count; j < MAX_SAMPLES_PER_INSTRUMENT; ++j)
    instrument.samples[j] = &FMUSIC_DummySample;
  if (count == 0) {
    in.Seek(start + headerSize);
    return true;
  }
  if (!ReadInstrumentHeader(instrument, in)) return false;
  in.Seek(start + headerSize);
  bool oddByte[MAX_SAMPLES_PER_INSTRUMENT] = {};
  for (int j = 0; j < count; ++j) {
    // Owned by the song from here on, so a failure further down frees it.
    instrument.samples[j] = Allocate<SongSample>(1);
    if (!instrument.samples[j] || !ReadSampleHeader(*instrument.samples[j], in, oddByte[j]))
      return false;
  }
  for (int j = 0; j < count; ++j)
    ReadSampleData(song, *instrument.samples[j], in, index, j, oddByte[j]);
  return true;
}

}  // namespace

bool LoadInstruments(Song* song, FieldReader& in) {
  if (song->instrumentCount == 0) return true;
  song->instruments = Allocate<SongInstrument>(song->instrumentCount);
  if (!song->instruments) return false;
  for (int i = 0; i < song->instrumentCount; ++i)
    if (!LoadInstrument(song, song->instruments[i], in, i)) return false;
  return true;
}

bool NotesInRange(const Song* song) {
  const size_t channels = static_cast<size_t>(song->channelCount);
  for (int p = 0; p < song->patternCount; ++p) {
    const SongPattern& pattern = song->patterns[p];
    if (!pattern.cells) continue;
    for (size_t c = 0; c < channels * static_cast<size_t>(pattern.rows); ++c) {
      const NoteCell& cell = pattern.cells[c];
      const bool portamento = cell.effect == 3 || cell.effect == 5;
      if (cell.note < 1 || cell.note > 96 || cell.instrument == 0 || portamento) continue;
      if (cell.instrument > song->instrumentCount) continue;
      const SongInstrument& instrument = song->instruments[cell.instrument - 1];
      const int slot = instrument.noteToSample[cell.note - 1];
      if (slot >= instrument.sampleCount) continue;
      const SongSample& sample = *instrument.samples[slot];
      const int realNote = cell.note - 1 + sample.relativeNote;
      if (sample.length > 0 && (realNote < 0 || realNote > 119)) return false;
    }
  }
  return true;
}

}  // namespace loader
