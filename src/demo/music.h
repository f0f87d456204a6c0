// The show's side of the music: the embedded song served to the player as a
// read-only file in memory, the start of playback and the song clock.
//
// Contract: the five memory-file callbacks are installed by StartMusic and
// called by the player's loader on the main thread, inside FMUSIC_LoadSong.
// StartMusic runs once, before the frame loop; MusicTime once per frame. The
// song data and the recorded tell answers come from the embedded song
// (song_data.h); `file_pos` and `tell_pos` are the two cursors over them.
#pragma once
#include <cstdint>

// Read position in the embedded song; every fileopen puts it back to 0.
extern int32_t file_pos;
// Index of the next recorded tell answer; never reset.
extern int32_t tell_pos;

// The memory file. The handle and the name are never looked at.
unsigned int fileopen(const char* name);
void fileclose(unsigned int handle);
// Copies up to `size` bytes from the current position. A read that would run
// past the end of the song data is cut short; returns the bytes copied.
int fileread(void* buffer, int size, unsigned int handle);
// The stream holds exactly the bytes the loader reads, in order, so the loader
// never needs to move: every request is ignored.
int fileseek(unsigned int handle, int offset, signed char mode);
// Replays the positions the loader was told when it read the full song file,
// one per call; past the last recorded answer the last answer is repeated.
int filetell(unsigned int handle);

// Installs the callbacks, opens the output at `mixRate` frames per second
// (44,100 Hz; a browser mixes at its audio context's rate), loads the embedded
// song into `mod` and starts it. Results are not checked: a song that fails to
// load leaves `mod` null, and the clock then stays at 0.
void StartMusic(int mixRate = 44100);

// Song time in milliseconds of the block being heard now (0 without a song).
int MusicTime();
