// Internal to the loader: little-endian field reads through the file-callback
// layer, and the zero-filled allocations a song is built from. Every read
// reports whether the callback delivered all the bytes asked for, so a stream
// cut short in a header is noticed where it happens.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "file.h"
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

bool LoadPatterns(Song* song, FieldReader& in, int filePatternCount);
bool LoadInstruments(Song* song, FieldReader& in);
// True when every note that a cell plays with its own instrument stays inside
// the playable range once the sample's relative note is added.
bool NotesInRange(const Song* song);

}  // namespace loader
