// xmplay --info: a description of an XM file, read from its header and from
// the loaded song, with its length as played (found by playing it offline to
// its end). FSOUND_Init must have opened the virtual device.
#pragma once
#include "options.h"
#include "player/load/loader.h"

struct Song;

// Prints the description on stdout; returns the process exit status.
// `notes`: what loading it put up with.
int PrintSongInfo(const Options& options, Song* song, const SongLoadNotes& notes);
