// The player's public face: opening the output device, playing and stopping a
// song, and the three queries of the block being heard. FMUSIC_PlaySong mixes
// the whole ring before the device starts, then a mixing thread refills each
// block as soon as the device has played it; for every block it records the
// song position and time at the block's end, which the queries report for the
// block being heard. Queries may be called from any thread without a lock;
// while no song plays they return 0.
//
// Threads: FSOUND_Init, FSOUND_Close, FMUSIC_PlaySong and FMUSIC_StopSong on
// the caller's thread (not concurrently); block fills on the mixing thread, or
// on the caller's thread for the first fill and for FSOUND_Software_Poll with a
// virtual device. A song still playing at exit is stopped by the player.
#pragma once
#include <atomic>
#include <cstdint>

#include "player/load/song.h"
#include "player/mix/mixer.h"

extern int FSOUND_BlockSize;     // frames per block: 884 at 44,100 Hz
extern int FSOUND_BufferSizeMs;  // 1000
extern int FSOUND_BufferSize;    // frames in the ring: 88,400 at 44,100 Hz
extern std::atomic<Song*> FMUSIC_PlayingSong;
// Busy flag: set by the mixing thread while it mixes a block.
extern std::atomic<uint8_t> FSOUND_Software_UpdateMutex;

// Opens the output device; false when a file callback is missing, the rate is
// outside 1,000 .. 384,000 Hz or the device cannot be opened. The second argument is
// ignored. Stops a playing song first.
bool FSOUND_Init(int mixRate, int flags);
// Stops a playing song, then silences and closes the device; harmless when
// none is open.
void FSOUND_Close();

// False for null, without FSOUND_Init, or for more than 32 channels. Stops
// what plays, resets every voice and starts the song from its beginning.
bool FMUSIC_PlaySong(Song* song);
// The start state FMUSIC_PlaySong sets before its first fill: position 0 with
// nothing pending, tick 0, default speed, tempo (at the mix rate of
// FSOUND_Init) and global volume, the complete set's flow state cleared,
// every voice idle, and the song's channel records zeroed and linked to
// voices 0, 1, ... False for null or more than 32 channels, touching nothing.
// Also for callers that tick a song themselves, without starting the device
// (tests, the loader fuzzer); never while a song plays, whose mixing thread
// owns this state.
bool FMUSIC_SetStartState(Song* song);
bool FMUSIC_StopSong(Song* song);  // false for null; the output is silent afterwards
// Stops the song if it plays and releases everything it owns; false for null.
bool FMUSIC_FreeSong(Song* song);
int FMUSIC_GetOrder(Song* song);  // order index of the block being heard; 0 for null
int FMUSIC_GetRow(Song* song);
int FMUSIC_GetTime(Song* song);  // song milliseconds at the end of the block being heard

// Mixes one block of the ring (the block fill).
void FSOUND_Software_Fill();
// One poll of the device: refills every block it has finished playing. The
// mixing thread calls it every 5 ms; offline renderers call it after
// advancing a virtual device.
void FSOUND_Software_Poll();
