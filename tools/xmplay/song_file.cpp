// The stdio file callbacks of xmplay, and its loads: the tolerant load,
// which opens what trackers open and says what it put up with.
#include "song_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "player/load/file.h"
#include "player/load/loader.h"
#include "player/load/song.h"
#include "player/load/xm_layout.h"
#include "player/output/output.h"

namespace {

std::array<FILE*, 8> g_files{};  // handle h is g_files[h - 1]

FILE* FileOf(unsigned int handle) {
  return handle >= 1 && handle <= g_files.size() ? g_files[handle - 1] : nullptr;
}

unsigned int OpenFile(const char* name) {
  for (size_t i = 0; i < g_files.size(); ++i) {
    if (g_files[i] == nullptr) {
      g_files[i] = std::fopen(name, "rb");
      return g_files[i] ? static_cast<unsigned int>(i + 1) : 0;
    }
  }
  return 0;
}

void CloseFile(unsigned int handle) {
  if (FILE* f = FileOf(handle)) {
    std::fclose(f);
    g_files[handle - 1] = nullptr;
  }
}

int ReadFile(void* buffer, int size, unsigned int handle) {
  FILE* f = FileOf(handle);
  if (f == nullptr || size <= 0) return 0;
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(size), f);
  return static_cast<int>(got);
}

int SeekFile(unsigned int handle, int pos, signed char mode) {
  FILE* f = FileOf(handle);
  if (f == nullptr) return -1;
  return std::fseek(f, pos, mode == 1 ? SEEK_CUR : SEEK_SET);
}

int TellFile(unsigned int handle) {
  FILE* f = FileOf(handle);
  return f ? static_cast<int>(std::ftell(f)) : 0;
}

}  // namespace

void InstallStdioCallbacks() {
  FSOUND_File_SetCallbacks(&OpenFile, &CloseFile, &ReadFile, &SeekFile, &TellFile);
}

Song* LoadSongFile(const std::string& path, std::string& error, SongLoadNotes* notes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = std::string("cannot open: ") + std::strerror(errno);
    return nullptr;
  }
  std::fclose(f);
  Song* song = FMUSIC_LoadSongTolerant(path.c_str(), notes);
  if (song == nullptr) error = notes->refusal;
  return song;
}
