// The show's shared state: the two global surfaces and the variables that the
// synchronisation table writes and the frame reads.
//
// Contract: all of it belongs to the main thread (the thread that runs the
// frame loop); the mixing thread never touches it. `Screen` and `Out` are
// created by static initialisation (Screen first) and destroyed after main
// returns (Out first). Nothing here is reset while the show runs; tests that
// replay the show call ResetShowState() between cases.
#pragma once
#include <cstdint>

#include "raster/image32.h"

struct Song;

// Working canvas, 340x260: every layer and the figure are drawn here. Only its
// top-left 320x240 reaches `Out`.
extern Image32 Screen;
// Output frame, 320x240, handed to the display layer every frame.
extern Image32 Out;

extern uint8_t running;  // the frame loop runs while nonzero; cleared by command 0
extern int32_t bg;       // scene number; command 4 adds 1
extern float t1;         // veldra overlay timer; command 1 sets 8.0
extern float t2;         // link overlay timer; command 2 sets 8.0
extern float t3;         // command-2 counter; unlocks border and strips
extern float flash;      // white output frame while > 0; command 3 sets 2.0
extern uint8_t k;        // bit 0 picks the light (1) or dark (0) border; command 5 toggles
extern float ms;         // figure distance in scenes 4-6; command 6 sets 10.0
extern Song* mod;        // the playing song, null when loading failed

// Puts every variable above (not the surfaces) back to its start value and
// rewinds the synchronisation table. For tests that replay the show.
void ResetShowState();
