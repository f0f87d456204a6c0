// Loading a song: the XM module read through the file-callback layer
// (file.h) into a Song record that owns everything loaded for it. Runs on the
// caller's thread; touches no playback state, so a song may be loaded while
// another plays. FMUSIC_FreeSong, which also stops a playing song, is song
// control (player/output/output.h).
//
// Two loads. The strict one (FMUSIC_LoadSong) reads exactly the fields of
// the show's song layout and refuses whatever the player could not play
// safely; it also reads the show's compact stream, whose seeks do nothing.
// The tolerant one (FMUSIC_LoadSongTolerant) reads full files only and opens
// what trackers open: it honours the header sizes a file states, reads the
// older 1.02 and 1.03 layouts and ADPCM-packed samples, keeps what a file cut
// short holds, and holds out-of-range values inside the player's limits,
// noting each thing it put up with.
#pragma once
#include <string>

#include "song.h"

struct FileHandle;

// Loads a song through the installed file callbacks; null on failure.
Song* FMUSIC_LoadSong(const char* name, SampleLoadCallback sampleLoad);
// Fills a zeroed song from an open file; false on failure (internal to the loader).
bool FMUSIC_LoadXM(Song* song, FileHandle* file);
// Releases everything a song that does not play owns, and the record itself.
void FMUSIC_ReleaseSong(Song* song);

// What a tolerant load put up with. Counts are of things; -1 and 0 mean none.
struct SongLoadNotes {
  int version = 0;               // the file's format version, 0x0104 for the usual layout
  int headerSizes = 0;           // headers of a size other than the usual, honoured
  int missingPatterns = 0;       // the file ends before them: loaded empty
  int cutPattern = -1;           // the pattern the file ends inside (its rest empty)
  int missingInstruments = 0;    // the file ends before them: loaded empty
  int cutSamples = 0;            // samples whose data the file cuts short (the rest silent)
  int extraSamples = 0;          // samples past an instrument's 16, left out
  int adpcmSamples = 0;          // samples stored 4-bit ADPCM-packed, unpacked
  int clampedEnvelopes = 0;      // envelopes with points, values or indices held in range
  int clampedLoops = 0;          // sample loops past the data or on empty samples, fixed
  int clampedHeader = 0;         // song header values held in range (song length, orders)
  int notesOutOfRange = 0;       // cells whose note leaves the table with its relative note
  std::string refusal;           // why the load failed, when it did

  // "" when nothing was tolerated; else one line, e.g. "2 instruments missing
  // at the end of the file; pattern 7 cut short".
  std::string Summary() const;
  // True when the file ends early: a cut pattern, sample or missing parts.
  bool CutShort() const;
};

// The tolerant load of a full file through the installed file callbacks.
// Null on failure, with the reason in notes->refusal ("not an XM module",
// "more than 32 channels", ...).
Song* FMUSIC_LoadSongTolerant(const char* name, SongLoadNotes* notes);
