// Tempo: how many output frames a tick lasts at a BPM and the mix rate.
// Called at play start and by the tempo command, on the thread that runs the
// ticks.
#pragma once
#include "player/load/song.h"

// Sets the song's BPM and its frames per tick (660 at 167 BPM and 44,100 Hz).
void FMUSIC_SetBPM(Song* song, int bpm);
