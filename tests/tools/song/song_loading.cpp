// Test support: file and memory loads of the show's song.
#include "song_loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "file.h"
#include "recorder.h"
#include "song_data.h"

SongPtr LoadSongFile(const std::string& path) {
  LoadRecording recording;
  return SongPtr(LoadSongRecorded(path, &recording));
}

namespace {

struct Stream {
  long long position = 0;
  int tellIndex = 0;
  StreamUse* use = nullptr;
};
Stream stream;

unsigned int StreamOpen(const char*) {
  stream.position = 0;
  return 0x0FFFFFFF;
}
void StreamClose(unsigned int) {}
int StreamRead(void* buffer, int size, unsigned int) {
  // Bounded here (the show's own callback trusts the stream), so that a
  // stream too short for the loader shows up as a failed comparison rather
  // than as a read past the array.
  long long left = static_cast<long long>(musDataSize) - stream.position;
  int count = static_cast<int>(std::clamp<long long>(size, 0, std::max(0LL, left)));
  if (count > 0) std::memcpy(buffer, musData + stream.position, static_cast<size_t>(count));
  stream.position += size;
  stream.use->bytesRead += size;
  return count;
}
int StreamSeek(unsigned int, int, signed char) {
  ++stream.use->seekCalls;
  return 0;
}
int StreamTell(unsigned int) {
  ++stream.use->tellCalls;
  stream.use->tellPositions.push_back(stream.position);
  if (stream.tellIndex >= musTellCount) return 0;
  return musTell[stream.tellIndex++];
}

}  // namespace

SongPtr LoadEmbeddedSong(StreamUse* use) {
  *use = StreamUse{};
  stream = Stream{0, 0, use};
  FSOUND_File_SetCallbacks(StreamOpen, StreamClose, StreamRead, StreamSeek, StreamTell);
  return SongPtr(FMUSIC_LoadSong("", nullptr));
}
