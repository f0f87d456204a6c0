// Test support: file and memory loads of the show's song.
#include "song_loading.h"

#include <gtest/gtest.h>

#include "demo/music.h"
#include "player/load/file.h"
#include "player/load/loader.h"
#include "recorder.h"

SongPtr LoadSongFile(const std::string& path) {
  LoadRecording recording;
  return SongPtr(LoadSongRecorded(path, &recording));
}

namespace {

// The show's own memory file (demo/music.h), counted on the way through.
StreamUse* use = nullptr;

int CountedRead(void* buffer, int size, unsigned int handle) {
  use->bytesRead += size;
  return fileread(buffer, size, handle);
}
int CountedSeek(unsigned int handle, int offset, signed char mode) {
  ++use->seekCalls;
  return fileseek(handle, offset, mode);
}
int CountedTell(unsigned int handle) {
  ++use->tellCalls;
  use->tellPositions.push_back(file_pos);
  return filetell(handle);
}

}  // namespace

SongPtr LoadEmbeddedSong(StreamUse* counts) {
  *counts = StreamUse{};
  use = counts;
  // The show's tell answers are replayed once per process; every load of the
  // stream starts from the first.
  tell_pos = 0;
  FSOUND_File_SetCallbacks(fileopen, fileclose, CountedRead, CountedSeek, CountedTell);
  return SongPtr(FMUSIC_LoadSong("", nullptr));
}
