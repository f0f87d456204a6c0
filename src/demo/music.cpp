// Memory file over the embedded song, start of playback, song clock.
#include "music.h"

#include <algorithm>
#include <cstring>

#include "player/load/file.h"
#include "player/load/loader.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "show_state.h"
#include "song_data.h"

int32_t file_pos = 0;
int32_t tell_pos = 0;

namespace {
// Any nonzero value serves: the player treats a 0 handle as failure.
constexpr unsigned int kMemoryHandle = 0x0FFFFFFF;
}  // namespace

unsigned int fileopen(const char*) {
  file_pos = 0;
  return kMemoryHandle;
}

void fileclose(unsigned int) {}

int fileread(void* buffer, int size, unsigned int) {
  // The loader's own reads never pass the end, but a damaged stream could ask
  // for anything: never copy from beyond the data or with a negative size.
  const int64_t left = static_cast<int64_t>(musDataSize) - file_pos;
  const int count = static_cast<int>(std::clamp<int64_t>(size, 0, std::max<int64_t>(left, 0)));
  if (count > 0) std::memcpy(buffer, musData + file_pos, static_cast<size_t>(count));
  file_pos += count;
  return count;
}

int fileseek(unsigned int, int, signed char) {
  return 0;
}

int filetell(unsigned int) {
  if (musTellCount <= 0) return 0;
  if (tell_pos >= musTellCount) return musTell[musTellCount - 1];
  return musTell[tell_pos++];
}

void StartMusic(int mixRate) {
  // The player refuses to initialise until all five callbacks are installed.
  FSOUND_File_SetCallbacks(fileopen, fileclose, fileread, fileseek, filetell);
  FSOUND_Init(mixRate, 0);
  mod = FMUSIC_LoadSong("", nullptr);
  FMUSIC_PlaySong(mod);
}

int MusicTime() {
  return FMUSIC_GetTime(mod);
}
