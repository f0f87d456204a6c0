// xmplay --info: a description of an XM file, read from its header and from
// the loaded song, with its length as played (found by playing it offline to
// its end). FSOUND_Init must have opened the virtual device.
#pragma once
#include "options.h"

struct Song;

// Prints the description on stdout; returns the process exit status.
int PrintSongInfo(const Options& options, Song* song);
