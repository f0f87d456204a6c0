// Song loading and release: the XM header and the pattern data. The loader
// reads through the file-callback layer in a fixed sequence of reads and
// seeks, so the same code loads a full file (real seeks) and the compact
// stream that holds only the bytes read (seeks do nothing). Anything outside
// what the player can play safely is rejected here rather than checked during
// playback; see the limits below.
#include <algorithm>
#include <cstring>

#include "loader.h"
#include "loader_io.h"
#include "player/play/sequencer.h"
#include "xm_layout.h"

SongSample FMUSIC_DummySample = {};
SongInstrument FMUSIC_DummyInstrument = {};

namespace loader {

namespace {

constexpr int kMaxOrders = 256;

// Unpacks one cell. A first byte with bit 7 set is a mask naming the fields
// that follow; otherwise it is the note and all four other fields follow.
bool ReadCell(FieldReader& in, NoteCell& cell) {
  uint8_t first;
  if (!in.U8(first)) return false;
  uint8_t fields[5] = {};
  if (first & 0x80) {
    for (int i = 0; i < 5; ++i)
      if ((first & (1 << i)) && !in.U8(fields[i])) return false;
  } else {
    fields[0] = first;
    if (!in.Bytes(fields + 1, 4)) return false;
  }
  cell = {fields[0], fields[1], fields[2], fields[3], fields[4]};
  if (cell.note == 97) cell.note = NOTE_KEYOFF;
  if (cell.instrument > 0x80) cell.instrument = 0;
  return true;
}

bool ReadHeader(Song* song, FieldReader& in, int& filePatternCount) {
  uint8_t signature[xm::kSignatureSize];
  in.Seek(0);
  if (!in.Bytes(signature, xm::kSignatureSize)) return false;
  if (std::memcmp(signature, xm::kSignature, xm::kSignatureSize) != 0) return false;
  song->tickOperation = FMUSIC_UpdateXM;
  song->defaultGlobalVolume = 64;

  in.Seek(xm::kSongHeaderOffset);
  uint32_t headerSize;
  uint8_t counts[8];
  uint8_t rest[264];
  if (!in.U32(headerSize) || !in.Bytes(counts, 8) || !in.Bytes(rest, 264)) return false;
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
  if (song->channelCount < 1 || song->channelCount > MAX_CHANNELS) return false;
  if (song->songLength < 1 || song->songLength > kMaxOrders) return false;
  if (song->instrumentCount < 0) return false;
  // A restart position outside the order list would name a pattern that was
  // never allocated; like trackers, continue from the first entry instead.
  if (song->restartPosition < 0 || song->restartPosition >= song->songLength)
    song->restartPosition = 0;

  in.Seek(xm::kSongHeaderOffset + static_cast<int64_t>(headerSize));
  return true;
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
// names beyond the file's count) keep a null cell pointer: they have rows but
// no notes, which the sequencer plays as empty rows.
bool LoadPatterns(Song* song, FieldReader& in, int filePatternCount) {
  int highest = -1;
  for (int i = 0; i < song->songLength; ++i) highest = std::max<int>(highest, song->orderTable[i]);
  song->patternsUsed = highest + 1;
  song->patternCount = std::max(filePatternCount, song->patternsUsed);
  song->patterns = Allocate<SongPattern>(song->patternCount);
  if (!song->patterns) return false;

  const size_t channels = static_cast<size_t>(song->channelCount);
  for (int p = 0; p < filePatternCount; ++p) {
    uint8_t header[9];
    if (!in.Bytes(header, 9)) return false;
    SongPattern& pattern = song->patterns[p];
    pattern.rows = Le16(header + 5);
    const uint16_t packedSize = Le16(header + 7);
    if (packedSize == 0 || pattern.rows == 0) continue;
    const size_t cells = channels * static_cast<size_t>(pattern.rows);
    pattern.cells = Allocate<NoteCell>(cells);
    if (!pattern.cells) return false;
    for (size_t c = 0; c < cells; ++c)
      if (!ReadCell(in, pattern.cells[c])) return false;
  }
  for (int p = filePatternCount; p < song->patternsUsed; ++p) song->patterns[p].rows = 64;
  return true;
}

}  // namespace loader

bool FMUSIC_LoadXM(Song* song, FileHandle* file) {
  if (!song || !file) return false;
  loader::FieldReader in(file);
  int filePatternCount = 0;
  return loader::ReadHeader(song, in, filePatternCount) &&
         loader::LoadPatterns(song, in, filePatternCount) && loader::LoadInstruments(song, in) &&
         loader::NotesInRange(song);
}

Song* FMUSIC_LoadSong(const char* name, SampleLoadCallback sampleLoad) {
  Song* song = loader::Allocate<Song>(1);
  if (!song) return nullptr;
  FileHandle* file = FSOUND_File_Open(name, 0, 0);
  if (!file) {
    std::free(song);
    return nullptr;
  }
  song->sampleLoadCallback = sampleLoad;
  const bool loaded = FMUSIC_LoadXM(song, file);
  FSOUND_File_Close(file);
  if (!loaded) {
    FMUSIC_ReleaseSong(song);
    return nullptr;
  }
  return song;
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
