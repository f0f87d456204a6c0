// Loading a song: the XM module read through the file-callback layer
// (file.h) into a Song record that owns everything loaded for it. Runs on the
// caller's thread; touches no playback state, so a song may be loaded while
// another plays. FMUSIC_FreeSong, which also stops a playing song, is song
// control (player/output/output.h).
#pragma once
#include "song.h"

struct FileHandle;

// Loads a song through the installed file callbacks; null on failure.
Song* FMUSIC_LoadSong(const char* name, SampleLoadCallback sampleLoad);
// Fills a zeroed song from an open file; false on failure (internal to the loader).
bool FMUSIC_LoadXM(Song* song, FileHandle* file);
// Releases everything a song that does not play owns, and the record itself.
void FMUSIC_ReleaseSong(Song* song);
