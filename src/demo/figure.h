// The show's parametric figure: a 10 x 10 grid of surface points generated
// anew every frame, and the index list that joins them into a polyline.
// Called by the frame loop on the main thread; the arrays returned are owned
// by the caller and released with delete[].
#pragma once

#include "3d/vector.h"

// The surface point for azimuth a and polar angle b (radians).
Vector Eval(float a, float b);
// New array of 100 vertices; vertex 10 i + j = Eval(i q, j p). p is the
// polar step, q the azimuth step.
Vector* gen(float p, float q);
// New array of 200 indices: entries 2n and 2n + 1 hold n and n + 1. The show
// passes 100 of them to DrawModel: the 50 segments through vertices 0..50.
int* MakeEdges();
