// Song loading and release: the XM header and the pattern data. The strict
// load reads through the file-callback layer in a fixed sequence of reads and
// seeks, so the same code loads a full file (real seeks) and the compact
// stream that holds only the bytes read (seeks do nothing); anything outside
// what the player can play safely is rejected here rather than checked during
// playback. The tolerant load follows the sizes the file states instead, and
// holds what lies outside the limits inside them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "loader.h"
#include "loader_io.h"
#include "player/play/sequencer.h"
#include "xm_layout.h"

// The empty sample has the tracker's defaults for a new sample: full volume,
// centre pan (an instrument number of an empty instrument resets to these).
SongSample FMUSIC_DummySample = {nullptr, 0, 0, 0, 64, 0, 128, 0, 0, 0};
SongInstrument FMUSIC_DummyInstrument = {};

namespace loader {

namespace {

constexpr int kMaxOrders = 256;
// The usual sizes of the song header and of a pattern header.
constexpr uint32_t kSongHeaderSize = 276;
constexpr int kPatternHeaderSize = 9;

// Unpacks one cell from `next`, which yields the stored bytes one at a time
// and false past the end. A first byte with bit 7 set is a mask naming the
// fields that follow; otherwise it is the note and all four other fields
// follow.
template <typename NextByte>
bool UnpackCell(NextByte next, NoteCell& cell) {
  uint8_t first;
  if (!next(first)) return false;
  uint8_t fields[5] = {};
  if (first & 0x80) {
    for (int i = 0; i < 5; ++i)
      if ((first & (1 << i)) && !next(fields[i])) return false;
  } else {
    fields[0] = first;
    for (int i = 1; i < 5; ++i)
      if (!next(fields[i])) return false;
  }
  cell = {fields[0], fields[1], fields[2], fields[3], fields[4]};
  if (cell.note == 97) cell.note = NOTE_KEYOFF;
  if (cell.instrument > 0x80) cell.instrument = 0;
  return true;
}

bool SignatureMatches(const uint8_t* bytes, bool anyCase) {
  for (int i = 0; i < xm::kSignatureSize; ++i) {
    const uint8_t want = static_cast<uint8_t>(xm::kSignature[i]);
    const uint8_t got = bytes[i];
    if (got == want) continue;
    if (!anyCase || (got | 0x20) != (want | 0x20) || (want | 0x20) < 'a' || (want | 0x20) > 'z')
      return false;
  }
  return true;
}

bool ReadHeader(Song* song, LoadContext& load, int& filePatternCount) {
  FieldReader& in = load.in;
  uint8_t signature[xm::kSignatureSize];
  in.Seek(0);
  if (!in.Bytes(signature, xm::kSignatureSize) || !SignatureMatches(signature, load.Tolerant()))
    return load.Refuse("not an XM module (no \"Extended Module: \" signature)");
  song->tickOperation = FMUSIC_UpdateXM;
  song->defaultGlobalVolume = 64;

  if (load.Tolerant()) {
    uint8_t version[2];
    in.Seek(xm::kVersionOffset);
    if (!in.Bytes(version, 2)) return load.Refuse("the file ends inside its header");
    load.notes->version = Le16(version);
  }
  in.Seek(xm::kSongHeaderOffset);
  uint32_t headerSize;
  uint8_t counts[8];
  uint8_t rest[264] = {};
  if (!in.U32(headerSize) || !in.Bytes(counts, 8)) return load.Refuse("the file ends inside its header");
  if (load.Tolerant()) {
    // The order table holds what the header's stated size leaves room for.
    const int stated = static_cast<int>(std::clamp<uint32_t>(headerSize, 20, kSongHeaderSize)) - 12;
    if (in.Some(rest, stated) < stated) return load.Refuse("the file ends inside its header");
    if (headerSize != kSongHeaderSize) ++load.notes->headerSizes;
  } else if (!in.Bytes(rest, 264)) {
    return false;
  }
  song->songLength = static_cast<int16_t>(Le16(counts));
  song->restartPosition = static_cast<int16_t>(Le16(counts + 2));
  song->channelCount = static_cast<int16_t>(Le16(counts + 4));
  filePatternCount = Le16(counts + 6);
  song->instrumentCount = static_cast<int16_t>(Le16(rest));
  song->flags = static_cast<int16_t>(Le16(rest + 2));
  song->defaultSpeed = static_cast<int16_t>(Le16(rest + 4));
  song->defaultBPM = static_cast<int16_t>(Le16(rest + 6));
  std::memcpy(song->orderTable, rest + 8, sizeof(song->orderTable));

  // Limits: the channel array and the ghost-voice scheme hold 32 channels;
  // the order table holds 256 entries and an empty order list has nothing to
  // play; a negative instrument count cannot be a table size.
  if (song->channelCount < 1 || song->channelCount > MAX_CHANNELS)
    return load.Refuse(song->channelCount < 1 ? "it has no channels" : "more than 32 channels");
  if (song->instrumentCount < 0) return load.Refuse("more than 32,767 instruments");
  if (song->songLength < 1 || song->songLength > kMaxOrders) {
    if (!load.Tolerant()) return false;
    // Trackers play an empty order list as its first entry.
    song->songLength = static_cast<int16_t>(std::clamp<int>(song->songLength, 1, kMaxOrders));
    ++load.notes->clampedHeader;
  }
  // A restart position outside the order list would name a pattern that was
  // never allocated; like trackers, continue from the first entry instead.
  if (song->restartPosition < 0 || song->restartPosition >= song->songLength)
    song->restartPosition = 0;

  in.Seek(xm::kSongHeaderOffset + static_cast<int64_t>(headerSize));
  return true;
}

// One pattern of the strict load: a 9-byte header, then exactly rows x
// channels cells unpacked from the stream (the packed size says only whether
// there are any).
bool ReadPatternStrict(Song* song, FieldReader& in, SongPattern& pattern) {
  uint8_t header[kPatternHeaderSize];
  if (!in.Bytes(header, kPatternHeaderSize)) return false;
  pattern.rows = Le16(header + 5);
  const uint16_t packedSize = Le16(header + 7);
  if (packedSize == 0 || pattern.rows == 0) return true;
  const size_t cells = static_cast<size_t>(song->channelCount) * static_cast<size_t>(pattern.rows);
  pattern.cells = Allocate<NoteCell>(cells);
  if (!pattern.cells) return false;
  auto next = [&in](uint8_t& b) { return in.U8(b); };
  for (size_t c = 0; c < cells; ++c)
    if (!UnpackCell(next, pattern.cells[c])) return false;
  return true;
}

enum class PatternRead { kWhole, kCut, kMissing, kFailed };

// One pattern of the tolerant load: the header of its stated length (in the
// 1.02 layout the row count is one byte, less one), then the packed size's
// bytes, unpacked as far as they go; cells past them are empty.
PatternRead ReadPatternTolerant(Song* song, LoadContext& load, SongPattern& pattern) {
  FieldReader& in = load.in;
  const int64_t start = in.Tell();
  const bool v102 = load.notes->version == 0x0102;
  uint8_t header[kPatternHeaderSize];
  const int headerBytes = v102 ? kPatternHeaderSize - 1 : kPatternHeaderSize;
  const int got = in.Some(header, headerBytes);
  if (got == 0) return PatternRead::kMissing;
  if (got < headerBytes) return PatternRead::kCut;
  const uint32_t headerSize = Le32(header);
  pattern.rows = v102 ? header[5] + 1 : Le16(header + 5);
  const uint16_t packedSize = Le16(header + headerBytes - 2);
  if (headerSize != static_cast<uint32_t>(headerBytes)) ++load.notes->headerSizes;
  in.Seek(start + std::max<int64_t>(headerSize, headerBytes));
  if (packedSize == 0 || pattern.rows == 0) return PatternRead::kWhole;
  std::vector<uint8_t> packed(packedSize);
  const int arrived = in.Some(packed.data(), packedSize);
  const size_t cells = static_cast<size_t>(song->channelCount) * static_cast<size_t>(pattern.rows);
  pattern.cells = Allocate<NoteCell>(cells);
  if (!pattern.cells) return PatternRead::kFailed;
  size_t at = 0;
  auto next = [&](uint8_t& b) {
    if (at >= static_cast<size_t>(arrived)) return false;
    b = packed[at++];
    return true;
  };
  for (size_t c = 0; c < cells && UnpackCell(next, pattern.cells[c]); ++c) {
  }
  return arrived < packedSize ? PatternRead::kCut : PatternRead::kWhole;
}

}  // namespace

int FieldReader::Some(void* destination, int n) {
  const int got = FSOUND_File_Read(destination, n, file_);
  return std::clamp(got, 0, n);
}

bool FieldReader::U16(uint16_t& v) {
  uint8_t b[2];
  if (!Bytes(b, 2)) return false;
  v = Le16(b);
  return true;
}

bool FieldReader::U32(uint32_t& v) {
  uint8_t b[4];
  if (!Bytes(b, 4)) return false;
  v = Le32(b);
  return true;
}

// Patterns with no packed data (and the padding patterns that the order list
// names beyond the file's count, or that a file cut short never reaches)
// keep a null cell pointer: they have rows but no notes, which the sequencer
// plays as empty rows.
bool LoadPatterns(Song* song, LoadContext& load, int filePatternCount) {
  int highest = -1;
  for (int i = 0; i < song->songLength; ++i) highest = std::max<int>(highest, song->orderTable[i]);
  song->patternsUsed = highest + 1;
  song->patternCount = std::max(filePatternCount, song->patternsUsed);
  song->patterns = Allocate<SongPattern>(song->patternCount);
  if (!song->patterns) return load.Refuse("out of memory");

  for (int p = 0; p < filePatternCount; ++p) {
    SongPattern& pattern = song->patterns[p];
    if (!load.Tolerant()) {
      if (!ReadPatternStrict(song, load.in, pattern)) return false;
      continue;
    }
    const PatternRead read = ReadPatternTolerant(song, load, pattern);
    if (read == PatternRead::kFailed) return load.Refuse("out of memory");
    if (read == PatternRead::kWhole) continue;
    if (read == PatternRead::kCut) load.notes->cutPattern = p;
    // The file ends here: the patterns it never reaches are empty.
    if (read == PatternRead::kMissing) pattern.rows = 64;
    for (int q = p + 1; q < filePatternCount; ++q) song->patterns[q].rows = 64;
    load.notes->missingPatterns = filePatternCount - p - (read == PatternRead::kCut ? 1 : 0);
    break;
  }
  for (int p = filePatternCount; p < song->patternsUsed; ++p) song->patterns[p].rows = 64;
  return true;
}

bool LoadXm(Song* song, FileHandle* file, SongLoadNotes* notes) {
  if (!song || !file) return false;
  LoadContext load(file, notes);
  int filePatternCount = 0;
  if (!ReadHeader(song, load, filePatternCount)) return false;
  // The 1.02 and 1.03 layouts store the instruments before the patterns.
  const bool instrumentsFirst = load.Tolerant() && notes->version < 0x0104;
  if (instrumentsFirst && !LoadInstruments(song, load)) return false;
  if (!LoadPatterns(song, load, filePatternCount)) return false;
  if (!instrumentsFirst && !LoadInstruments(song, load)) return false;
  const int outOfRange = NotesOutOfRange(song);
  if (!load.Tolerant()) return outOfRange == 0;
  // The sequencer holds such notes at the ends of the table.
  notes->notesOutOfRange = outOfRange;
  return true;
}

Song* LoadSong(const char* name, SampleLoadCallback sampleLoad, SongLoadNotes* notes) {
  Song* song = Allocate<Song>(1);
  if (!song) return nullptr;
  FileHandle* file = FSOUND_File_Open(name, 0, 0);
  if (!file) {
    std::free(song);
    if (notes) notes->refusal = "cannot be opened";
    return nullptr;
  }
  song->sampleLoadCallback = sampleLoad;
  const bool loaded = LoadXm(song, file, notes);
  FSOUND_File_Close(file);
  if (!loaded) {
    FMUSIC_ReleaseSong(song);
    if (notes && notes->refusal.empty()) notes->refusal = "not a valid XM module";
    return nullptr;
  }
  return song;
}

}  // namespace loader

bool FMUSIC_LoadXM(Song* song, FileHandle* file) {
  return loader::LoadXm(song, file, nullptr);
}

Song* FMUSIC_LoadSong(const char* name, SampleLoadCallback sampleLoad) {
  return loader::LoadSong(name, sampleLoad, nullptr);
}

Song* FMUSIC_LoadSongTolerant(const char* name, SongLoadNotes* notes) {
  SongLoadNotes scratch;
  SongLoadNotes* n = notes ? notes : &scratch;
  *n = SongLoadNotes{};
  return loader::LoadSong(name, nullptr, n);
}

void FMUSIC_ReleaseSong(Song* song) {
  if (!song) return;
  if (song->instruments) {
    for (int i = 0; i < song->instrumentCount; ++i) {
      SongInstrument& instrument = song->instruments[i];
      const int owned = std::clamp(instrument.sampleCount, 0, MAX_SAMPLES_PER_INSTRUMENT);
      for (int j = 0; j < owned; ++j) {
        SongSample* sample = instrument.samples[j];
        if (!sample || sample == &FMUSIC_DummySample) continue;
        std::free(sample->data);
        std::free(sample);
      }
    }
    std::free(song->instruments);
  }
  if (song->patterns) {
    for (int p = 0; p < song->patternCount; ++p) std::free(song->patterns[p].cells);
    std::free(song->patterns);
  }
  std::free(song);
}

bool SongLoadNotes::CutShort() const {
  return missingPatterns > 0 || cutPattern >= 0 || missingInstruments > 0 || cutSamples > 0;
}

std::string SongLoadNotes::Summary() const {
  std::string line;
  auto add = [&line](int count, const char* one, const char* many) {
    if (count <= 0) return;
    if (!line.empty()) line += "; ";
    line += count == 1 ? std::string("1 ") + one : std::to_string(count) + " " + many;
  };
  if (version != 0 && version != 0x0104) {
    char text[48];
    std::snprintf(text, sizeof text, "the older %d.%02d layout", version >> 8, version & 0xFF);
    line += text;
  }
  add(headerSizes, "header of an unusual size", "headers of unusual sizes");
  add(missingInstruments, "instrument missing at the end of the file",
      "instruments missing at the end of the file");
  add(missingPatterns, "pattern missing at the end of the file",
      "patterns missing at the end of the file");
  if (cutPattern >= 0) add(1, ("pattern " + std::to_string(cutPattern) + " cut short").c_str(), "");
  add(cutSamples, "sample cut short", "samples cut short");
  add(extraSamples, "sample past an instrument's 16 left out",
      "samples past an instrument's 16 left out");
  add(adpcmSamples, "ADPCM-packed sample", "ADPCM-packed samples");
  add(clampedEnvelopes, "envelope held in range", "envelopes held in range");
  add(clampedLoops, "sample loop held in range", "sample loops held in range");
  add(clampedHeader, "song header value held in range", "song header values held in range");
  add(notesOutOfRange, "note past the frequency table held at its end",
      "notes past the frequency table held at its ends");
  return line;
}
