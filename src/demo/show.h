// The show as one object: start-up, one frame of the loop, and the end. The
// executable `veldraflimmer` and the offline renderer drive the same frames.
//
// Contract: everything runs on the main thread. The caller opens the display
// first (ptc_open), then calls Start once, Frame while `running` is nonzero,
// and Finish once. The show owns its renderer, pictures and the figure's
// index list; the renderer borrows `Screen`'s pixel buffer and never frees it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "3d/tdmotor.h"
#include "pictures.h"
#include "scenes.h"

struct Show {
  std::unique_ptr<TDMotor> motor;
  Pictures pictures;
  Animation anim;
  int* edges = nullptr;  // 200 indices from MakeEdges (array new)
  int32_t prevTime = 0;  // song clock (ms) at the previous frame
  int32_t dt = 0;        // this frame's step, in 4 ms units
  int missingPictures = 0;
  // Folder the raw pictures are read from; "" is the working directory.
  std::string pictureFolder;
  // Frames per second the music is mixed at (a browser's audio runs at its own).
  int mixRate = 44100;

  Show() = default;
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;
  ~Show();

  // Start-up after the display is open: renderer bound to Screen, timers,
  // pictures, animation values, the figure's index list, then the music.
  void Start();
  // One iteration of the frame loop: clock, sync, compose, copy into Out,
  // flash, present.
  void Frame();
  // The normal end: closes the display, then stops and frees the song and
  // closes the sound output so that nothing plays on while the process ends.
  void Finish();
};

// The frame step from the song clock: (now - previous) >> 2, an arithmetic
// shift of the signed difference, in 4 ms units rounded towards minus
// infinity. Negative when the clock went back (a song started again).
int32_t FrameStep(int32_t now, int32_t previous);

// The music's part of every shutdown: frees the song (which stops the mixing
// thread) and closes the sound output. Safe to call more than once.
void StopMusic();
