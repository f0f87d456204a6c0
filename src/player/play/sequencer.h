// The sequencer: advances a playing Song one tick at a time (row step on the
// first tick of a row, tick step on the others), applies the effects,
// envelopes, fadeout and auto-vibrato, and passes each channel's musical state
// on to its mixer voice. Runs inside the block fill, on the mixing thread (or
// on the caller's thread during the initial fill); no I/O, threads or
// platform code.
#pragma once
#include "channel.h"
#include "player/load/song.h"
#include "tempo.h"

struct PlayRules;

void FMUSIC_UpdateXM(Song* song);         // one tick
void FMUSIC_UpdateXMNote(Song* song);     // row step, all channels
void FMUSIC_UpdateXMEffects(Song* song);  // tick step, all channels
// An instrument number's reset: the sample's volume and pan, and the
// instrument restarted (envelopes, key off, fadeout, auto-vibrato).
void FMUSIC_XM_Resetcptr(MusicChannel* channel, SongSample* sample);
void FMUSIC_XM_ResetVolume(MusicChannel* channel, const SongSample* sample);
void FMUSIC_XM_RestartInstrument(MusicChannel* channel);
void FMUSIC_XM_UpdateFlags(MusicChannel* channel, SongSample* sample, Song* song);

// Chooses the rules `song` plays by (kShowRules or kCompleteRules, rules.h),
// from the next FMUSIC_PlaySong on; the show never calls it and plays by its
// own. False for null.
bool FMUSIC_SetPlayRules(Song* song, const PlayRules* rules);
// Clears the song-flow state of the tracker's flow commands; part of
// FMUSIC_SetStartState.
void FMUSIC_ResetEffectState(Song* song);
