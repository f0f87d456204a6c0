// Instruments and samples: the instrument headers with their envelopes and
// auto-vibrato settings, the sample headers, and the sample data, which is
// delta-decoded and widened to signed 16-bit values in the sample's own
// buffer. Sample data that the stream cuts short is left silent.
#include <algorithm>
#include <cstring>
#include <vector>

#include "loader_io.h"

namespace loader {

namespace {

// A resource limit rather than a format one: 2^24 values (32 MB of 16-bit
// data) is far beyond any tracker sample and keeps the byte count of a read
// inside an int and the mixer's distance to a loop boundary inside 24 bits.
constexpr uint32_t kMaxSampleValues = 1u << 24;
constexpr int kEnvelopeMaxY = 64;
// The usual sizes of an instrument header with samples and of a sample header.
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;
// Where an instrument header's sample count ends: size, name, type, count.
constexpr int kCountEnd = 29;

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

// The tolerant load's envelope: at most 12 points, values held at 64, ticks
// that never run backwards, and a sustain point or loop that names a point
// past the end dropped, as the tracker never reaches it. True when anything
// had to change.
bool ClampEnvelope(uint8_t& type, uint8_t& count, EnvelopePoint* points, uint8_t& sustain,
                   uint8_t& loopStart, uint8_t& loopEnd) {
  const uint8_t before = type;
  bool changed = false;
  if (count > MAX_ENVELOPE_POINTS) {
    count = MAX_ENVELOPE_POINTS;
    changed = true;
  }
  for (int k = 0; k < count; ++k) {
    if (points[k].y > kEnvelopeMaxY) points[k].y = kEnvelopeMaxY, changed = true;
    if (k > 0 && points[k].x < points[k - 1].x) points[k].x = points[k - 1].x, changed = true;
  }
  if (count < 2) type = 0;
  if ((type & ENVELOPE_SUSTAIN) && sustain >= count) type &= ~ENVELOPE_SUSTAIN;
  if ((type & ENVELOPE_LOOP) && (loopEnd >= count || loopStart > loopEnd)) type &= ~ENVELOPE_LOOP;
  return changed || (type != before && count >= 2);
}

// The instrument header after the sample count: the sample header size, the
// note-to-sample map, both envelopes and their parameters. `stated` is how
// many of its bytes the header holds (the tolerant load reads short headers
// as far as they go; the rest is zero).
bool ReadInstrumentHeader(SongInstrument& instrument, LoadContext& load, int stated,
                          uint32_t& sampleHeaderSize) {
  uint8_t block[4 + 96 + 48 + 48 + 16] = {};
  if (!load.Tolerant()) {
    if (!load.in.Bytes(block, sizeof block)) return false;
  } else if (load.in.Some(block, std::clamp<int>(stated, 0, sizeof block)) < 4) {
    return false;
  }
  sampleHeaderSize = Le32(block);
  const uint8_t* p = block + 4;
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
  if (load.Tolerant()) {
    SongInstrument& in = instrument;
    const bool v = ClampEnvelope(in.volumeType, in.volumePoints, in.volumeEnvelope,
                                 in.volumeSustain, in.volumeLoopStart, in.volumeLoopEnd);
    const bool pan = ClampEnvelope(in.panType, in.panPoints, in.panEnvelope, in.panSustain,
                                   in.panLoopStart, in.panLoopEnd);
    load.notes->clampedEnvelopes += v + pan;
    return true;
  }
  return EnvelopeValid(instrument.volumeType, instrument.volumePoints, instrument.volumeEnvelope,
                       instrument.volumeSustain, instrument.volumeLoopStart,
                       instrument.volumeLoopEnd) &&
         EnvelopeValid(instrument.panType, instrument.panPoints, instrument.panEnvelope,
                       instrument.panSustain, instrument.panLoopStart, instrument.panLoopEnd);
}

// How a sample's data is stored in the file.
struct SampleStorage {
  bool oddByte = false;  // a 16-bit sample of odd byte length: its last byte is no value
  bool adpcm = false;    // 4-bit ADPCM: a 16-byte delta table, then two deltas a byte
  uint32_t fileBytes = 0;
};

// The tolerant load's loop: inside the data, and none on an empty sample or
// of zero length. True when anything had to change.
bool ClampLoop(SongSample& sample) {
  if (sample.loopMode == LOOP_OFF) return false;
  const uint32_t start = std::min(sample.loopStart, sample.length);
  const uint32_t length = std::min(sample.loopLength, sample.length - start);
  if (start == sample.loopStart && length == sample.loopLength && length > 0) return false;
  sample.loopStart = start;
  sample.loopLength = length;
  if (length == 0) {
    sample.loopMode = LOOP_OFF;
    sample.loopStart = 0;
    sample.loopLength = sample.length;
  }
  return true;
}

// Lengths and loops arrive in bytes and are kept in values. The loop must lie
// inside the sample: the mixer plays up to loop start + loop length.
bool ReadSampleHeader(SongSample& sample, LoadContext& load, SampleStorage& storage) {
  uint8_t h[18];
  const int read = load.Tolerant() ? 18 : 17;  // the tolerant load looks at the reserved byte
  if (!load.in.Bytes(h, read)) return false;
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
  storage.adpcm = load.Tolerant() && h[17] == 0xAD && sample.bits == 8;
  storage.fileBytes = storage.adpcm ? 16 + (sample.length + 1) / 2 : sample.length;
  if (sample.loopMode == LOOP_OFF) {
    sample.loopStart = 0;
    sample.loopLength = sample.length;
  }
  storage.oddByte = sample.bits == 16 && (sample.length & 1);
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
  if (!load.Tolerant()) load.in.Skip(23);  // reserved byte and name
  if (sample.length > kMaxSampleValues) return load.Refuse("a sample is larger than 16 M values");
  if (load.Tolerant()) {
    load.notes->clampedLoops += ClampLoop(sample);
  } else if (static_cast<uint64_t>(sample.loopStart) + sample.loopLength > sample.length) {
    return false;
  }
  return true;
}

// The sample's own buffer: its values and the spare ones, zeroed; none for
// an empty sample.
bool AllocateData(SongSample& sample, LoadContext& load) {
  if (sample.length == 0) return true;
  sample.data = Allocate<int16_t>(sample.length + SAMPLE_SPARE_VALUES);
  return sample.data != nullptr || load.Refuse("out of memory");
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

// 4-bit ADPCM: each nibble, low one first, picks a signed 8-bit difference
// from the table; the running sum modulo 256 is the sample. Returns the
// values decoded from the `bytes` that arrived.
uint32_t UnpackAdpcm(SongSample& sample, const uint8_t* packed, uint32_t bytes) {
  if (bytes <= 16) return 0;
  const int8_t* table = reinterpret_cast<const int8_t*>(packed);
  uint8_t value = 0;
  uint32_t k = 0;
  for (uint32_t i = 16; i < bytes && k < sample.length; ++i) {
    for (int nibble : {packed[i] & 0x0F, packed[i] >> 4}) {
      if (k == sample.length) break;
      value = static_cast<uint8_t>(value + table[nibble]);
      sample.data[k++] = static_cast<int16_t>(value << 8);
    }
  }
  return k;
}

// The value just past the loop end is read only by the interpolation of the
// last frame of the loop, so it must hold what follows that frame in playback.
void FixLoopEnd(SongSample& sample) {
  const uint32_t end = sample.loopStart + sample.loopLength;
  if (sample.loopMode == LOOP_FORWARD) sample.data[end] = sample.data[sample.loopStart];
  if (sample.loopMode == LOOP_PINGPONG) sample.data[end] = sample.data[end - 1];
}

// Reads the data of one sample; false when the file cut it short.
bool DecodeSampleData(Song* song, SongSample& sample, const SampleStorage& storage,
                      FieldReader& in, int instrument, int index) {
  const uint32_t bytes = sample.bits * sample.length / 8;
  bool whole = true;
  if (song->sampleLoadCallback) {
    song->sampleLoadCallback(sample.data, static_cast<int>(bytes), sample.bits, instrument, index);
    in.Skip(static_cast<int>(bytes));
    Widen(sample, bytes, false);
  } else if (storage.adpcm) {
    std::vector<uint8_t> packed(storage.fileBytes);
    const auto arrived = static_cast<uint32_t>(in.Some(packed.data(), static_cast<int>(packed.size())));
    whole = arrived == storage.fileBytes;
    UnpackAdpcm(sample, packed.data(), arrived);
  } else {
    const auto arrived = static_cast<uint32_t>(in.Some(sample.data, static_cast<int>(bytes)));
    whole = arrived == bytes;
    Widen(sample, arrived, true);
    DeltaDecode(sample.data, arrived * 8 / sample.bits);
  }
  sample.bits = 16;
  FixLoopEnd(sample);
  return whole;
}

// False when the file cut the data short.
bool ReadSampleData(Song* song, SongSample& sample, const SampleStorage& storage, FieldReader& in,
                    int instrument, int index) {
  bool whole = true;
  if (sample.length > 0) whole = DecodeSampleData(song, sample, storage, in, instrument, index);
  // Stepping over the unused last byte keeps a full file in step with what
  // follows; a compact stream never held it (its seeks do nothing).
  if (storage.oddByte) in.Skip(1);
  return whole;
}

// The strict load: a sample header of 40 bytes each, as read above.
bool LoadInstrumentStrict(Song* song, SongInstrument& instrument, LoadContext& load, int index,
                          int64_t start, uint32_t headerSize, int count) {
  FieldReader& in = load.in;
  uint32_t sampleHeaderSize;
  if (!ReadInstrumentHeader(instrument, load, 0, sampleHeaderSize)) return false;
  in.Seek(start + headerSize);
  SampleStorage storage[MAX_SAMPLES_PER_INSTRUMENT];
  for (int j = 0; j < count; ++j) {
    // Owned by the song from here on, so a failure further down frees it.
    instrument.samples[j] = Allocate<SongSample>(1);
    if (!instrument.samples[j] || !ReadSampleHeader(*instrument.samples[j], load, storage[j]) ||
        !AllocateData(*instrument.samples[j], load))
      return false;
  }
  for (int j = 0; j < count; ++j)
    ReadSampleData(song, *instrument.samples[j], storage[j], in, index, j);
  return true;
}

// The tolerant load: the instrument header and each sample header as long as
// the file says (a sample header size that cannot hold a sample header is
// taken as the usual 40), and more than 16 samples read past and left out.
bool LoadInstrumentTolerant(Song* song, SongInstrument& instrument, LoadContext& load, int index,
                            int64_t start, uint32_t headerSize, int count) {
  FieldReader& in = load.in;
  SongLoadNotes& notes = *load.notes;
  uint32_t sampleHeaderSize;
  const int stated = static_cast<int>(std::min<uint32_t>(headerSize, 1 << 20)) - kCountEnd;
  if (!ReadInstrumentHeader(instrument, load, stated, sampleHeaderSize)) return false;
  if (headerSize != kInstrumentHeaderSize) ++notes.headerSizes;
  if (sampleHeaderSize < 18 || sampleHeaderSize > 1024) sampleHeaderSize = kSampleHeaderSize;
  if (sampleHeaderSize != kSampleHeaderSize) ++notes.headerSizes;
  const int kept = std::min(count, MAX_SAMPLES_PER_INSTRUMENT);
  notes.extraSamples += count - kept;
  instrument.sampleCount = kept;
  std::vector<SongSample> headers(static_cast<size_t>(count));
  std::vector<SampleStorage> storage(static_cast<size_t>(count));
  const int64_t samplesAt = start + headerSize;
  for (int j = 0; j < kept; ++j) instrument.samples[j] = &FMUSIC_DummySample;
  for (int j = 0; j < count; ++j) {
    in.Seek(samplesAt + static_cast<int64_t>(j) * sampleHeaderSize);
    SongSample& header = headers[static_cast<size_t>(j)];
    if (!ReadSampleHeader(header, load, storage[static_cast<size_t>(j)])) {
      // The file ends inside the sample headers: what is missing stays empty.
      if (!notes.refusal.empty()) return false;
      ++notes.cutSamples;
      return true;
    }
    if (j >= kept) continue;
    // Owned by the song from here on, so a failure further down frees it.
    SongSample* sample = Allocate<SongSample>(1);
    if (!sample) return load.Refuse("out of memory");
    *sample = header;
    instrument.samples[j] = sample;
    if (!AllocateData(*sample, load)) return false;
  }
  in.Seek(samplesAt + static_cast<int64_t>(count) * sampleHeaderSize);
  for (int j = 0; j < count; ++j) {
    const SampleStorage& s = storage[static_cast<size_t>(j)];
    if (j >= kept) {
      in.Skip(static_cast<int>(s.fileBytes));  // left out
      continue;
    }
    SongSample& sample = *instrument.samples[j];
    notes.adpcmSamples += s.adpcm;
    if (!ReadSampleData(song, sample, s, in, index, j)) ++notes.cutSamples;
  }
  return true;
}

bool LoadInstrument(Song* song, SongInstrument& instrument, LoadContext& load, int index) {
  FieldReader& in = load.in;
  const int64_t start = in.Tell();
  uint32_t headerSize;
  uint16_t count = 0;
  if (!in.U32(headerSize)) return false;
  // A header too short to hold its own sample count still has one.
  if (load.Tolerant()) headerSize = std::max<uint32_t>(headerSize, kCountEnd);
  in.Skip(23);  // name and type
  if (!in.U16(count)) return false;
  if (count > MAX_SAMPLES_PER_INSTRUMENT && !load.Tolerant()) return false;
  instrument.sampleCount = std::min<int>(count, MAX_SAMPLES_PER_INSTRUMENT);
  for (int j = instrument.sampleCount; j < MAX_SAMPLES_PER_INSTRUMENT; ++j)
    instrument.samples[j] = &FMUSIC_DummySample;
  if (count == 0) {
    in.Seek(start + headerSize);
    return true;
  }
  return load.Tolerant()
             ? LoadInstrumentTolerant(song, instrument, load, index, start, headerSize, count)
             : LoadInstrumentStrict(song, instrument, load, index, start, headerSize, count);
}

}  // namespace

bool LoadInstruments(Song* song, LoadContext& load) {
  if (song->instrumentCount == 0) return true;
  song->instruments = Allocate<SongInstrument>(song->instrumentCount);
  if (!song->instruments) return load.Refuse("out of memory");
  for (int i = 0; i < song->instrumentCount; ++i) {
    if (LoadInstrument(song, song->instruments[i], load, i)) continue;
    if (!load.Tolerant() || !load.notes->refusal.empty()) return false;
    // The file ends before this instrument: it and the rest are empty, as
    // writers that leave trailing empty instruments out intend.
    for (int k = i; k < song->instrumentCount; ++k) {
      SongInstrument& empty = song->instruments[k];
      if (k > i) empty = SongInstrument{};
      empty.sampleCount = std::min(empty.sampleCount, MAX_SAMPLES_PER_INSTRUMENT);
      for (int j = 0; j < MAX_SAMPLES_PER_INSTRUMENT; ++j)
        if (j >= empty.sampleCount || !empty.samples[j]) empty.samples[j] = &FMUSIC_DummySample;
    }
    load.notes->missingInstruments = song->instrumentCount - i;
    return true;
  }
  return true;
}

int NotesOutOfRange(const Song* song) {
  int count = 0;
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
      if (sample.length > 0 && (realNote < 0 || realNote > 119)) ++count;
    }
  }
  return count;
}

}  // namespace loader
