// The layers of a frame and the animation values that move them.
//
// Contract: called by Show::Frame on the main thread, between the grey fill of
// `Screen` and the copy into `Out`, with the drawing state at alpha = 1 and
// AA = 1. Reads the synchronisation variables (bg, t1, t2, t3, k, ms) and
// writes back the timers it decays (t1, t2, ms) and bg's turn from 7 to 4.
// Positions are pixels of `Screen`; a position given to a copy is truncated
// towards zero. Products of dt with a fraction are formed in double precision
// and stored in the variable's own precision, except for the two scrollers,
// whose step is rounded to single precision before it is subtracted.
#pragma once
#include <cstdint>

#include "3d/tdmotor.h"
#include "pictures.h"
#include "raster/image32.h"

// Values kept from frame to frame, with their start values.
struct Animation {
  float angle = 0.0f;     // degrees, both rotations of the figure
  double sideY1 = 0.0;    // sidolinjer1 rows, falling; each wraps at -250
  double sideY2 = 250.0;  //   (the two stay 250 apart and tile 500 rows)
  double lineY1 = 0.0;    // linje1 / linje2 rows, rising; each wraps at 250
  double lineY2 = 250.0;
  float teckenX = 320.0f;    // tecken column; moves only while it is drawn
  float greetX = 320.0f;     // greet column; moves only in scene 3
  float azimuthStep = 1.0f;  // figure grid steps; move only while it is drawn
  float polarStep = 1.0f;

  // Step A: the values that move every frame, then one wrap each (a single
  // correction, not a loop, so a stall can leave a strip out of range for a
  // frame).
  void Advance(int32_t dt);
};

// What the layers draw with; the show owns all of it.
struct LayerContext {
  Image32& screen;
  TDMotor& motor;  // draws into screen's pixels
  Pictures& pictures;
  Animation& anim;
  const int* edges;  // the figure's index list
};

// Step B: the layers in their fixed order for the current scene.
void DrawLayers(LayerContext& c, int32_t dt);

// The figure at distance z: builds the transform, steps the grid and draws the
// 50 segments with the orange 3-pixel antialiased line.
void DrawFigure(LayerContext& c, float z, int32_t dt);
