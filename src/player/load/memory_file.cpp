// The memory file's callbacks over the one file being served.
#include "memory_file.h"

#include <algorithm>
#include <cstring>

#include "file.h"

namespace {

MemoryFile served;
size_t position = 0;
constexpr unsigned int kHandle = 1;

unsigned int Open(const char*) {
  position = 0;
  return served.data ? kHandle : 0;
}

void Close(unsigned int) {}

int Read(void* buffer, int size, unsigned int) {
  if (size <= 0 || position >= served.size) return 0;
  const size_t n = std::min(static_cast<size_t>(size), served.size - position);
  const uint8_t* from = served.data + position;
  std::memcpy(buffer, from, n);
  if (served.record) served.record->insert(served.record->end(), from, from + n);
  position += n;
  return static_cast<int>(n);
}

int Seek(unsigned int, int pos, signed char mode) {
  if (!served.seekable) return 0;
  const int64_t base = mode == 1 ? static_cast<int64_t>(position) : 0;
  position =
      static_cast<size_t>(std::clamp<int64_t>(base + pos, 0, static_cast<int64_t>(served.size)));
  return 0;
}

int Tell(unsigned int) {
  return static_cast<int>(std::min<size_t>(position, INT32_MAX));
}

}  // namespace

void FSOUND_File_ServeMemory(const MemoryFile& file) {
  served = file;
  position = 0;
  FSOUND_File_SetCallbacks(Open, Close, Read, Seek, Tell);
}
