// Internal to the loader: little-endian field reads through the file-callback
// layer, and the zero-filled allocations a song is built from. Every read
// reports whether the callback delivered all the bytes asked for, so a stream
// cut short in a header is noticed where it happens.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "file.h"
#include "loader.h"
#include "song.h"

namespace loader {

class FieldReader {
 public:
  explicit FieldReader(FileHandle* file) : file_(file) {}

  // Reads n bytes; true only when the callback delivered exactly n.
  bool Bytes(void* destination, int n) { return FSOUND_File_Read(destination, n, file_) == n; }
  // Reads up to n bytes and returns how many arrived (0 … n).
  int Some(void* destination, int n);
  bool U8(uint8_t& v) { return Bytes(&v, 1); }
  bool U16(uint16_t& v);
  bool U32(uint32_t& v);
  void Seek(int64_t position) { FSOUND_File_Seek(file_, static_cast<int>(position), 0); }
  void Skip(int n) { FSOUND_File_Seek(file_, n, 1); }
  int Tell() { return FSOUND_File_Tell(file_); }

 private:
  FileHandle* file_;
};

inline uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
  return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

// Zero-filled allocation of n objects; null when n is 0 or memory runs out.
template <typename T>
T* Allocate(size_t n) {
  return n == 0 ? nullptr : static_cast<T*>(std::calloc(n, sizeof(T)));
}

// One load: the reader, and for a tolerant load the notes it takes of what
// it put up with (null for the strict load, which refuses it instead).
struct LoadContext {
  LoadContext(FileHandle* file, SongLoadNotes* notes) : in(file), notes(notes) {}
  FieldReader in;
  SongLoadNotes* notes;

  bool Tolerant() const { return notes != nullptr; }
  // Fails the load, saying why to a tolerant caller; always false.
  bool Refuse(const char* why) {
    if (notes && notes->refusal.empty()) notes->refusal = why;
    return false;
  }
};

bool LoadPatterns(Song* song, LoadContext& load, int filePatternCount);
bool LoadInstruments(Song* song, LoadContext& load);
// The number of cells whose note, played with the cell's own instrument,
// leaves the playable range once the sample's relative note is added.
int NotesOutOfRange(const Song* song);

}  // namespace loader
