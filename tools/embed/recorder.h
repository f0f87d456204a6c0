// Records a song load: installs file callbacks that read a real file (with
// real seeks) and keep every byte handed to the loader, in order, and every
// answer of the position query.
//
// Contract: one recording at a time per process (the player's file callbacks
// are process-wide). Called from the tool's or a test's single thread; the
// previous callbacks are not restored.
#pragma once

#include <string>
#include <vector>

struct LoadRecording {
  std::vector<unsigned char> bytes;  // everything the loader read, in order
  std::vector<int> tells;            // every answer of tell, in order
};

struct Song;

// Loads `path` with the player's loader through recording callbacks and
// returns the song (release it with FMUSIC_FreeSong). Null when the file
// cannot be opened, the loader rejects it or a read comes back short (a stream
// made from it would not load the same).
Song* LoadSongRecorded(const std::string& path, LoadRecording* out);

// The same, freeing the song at once; false on failure.
bool RecordSongLoad(const std::string& path, LoadRecording* out);

// The C++ source defining musData (bytes plus 4 zero padding bytes),
// musDataSize, musTell and musTellCount; `origin` is named in its header.
std::string SongDataSource(const LoadRecording& recording, const std::string& origin);
