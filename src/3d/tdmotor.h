// TDMotor: wireframe renderer drawing into a 32-bit surface. It transforms
// each edge's end points by `transform`, projects them through a pinhole
// camera at the origin looking along +Z, and draws the edge with the raster
// library's Line or LineAA under the global drawing state (color, lineSize,
// alpha, AA). No clipping against the view volume, no hidden lines; `depth`
// is allocated and cleared but never read.
//
// Ownership: the renderer owns `depth`. It owns its pixel buffer only when it
// allocated it (TDMotor(w, h), Init(w, h)); a buffer taken from another
// surface (TDMotor(Image32), Init(Image32), Borrow) is borrowed and left to
// its owner, which must outlive the renderer's drawing. Not copyable.
// Main thread only (Matrix uses static scratch storage).
#pragma once

#include <cstdint>

#include "matrix.h"
#include "raster/image32.h"

class TDMotor : public Image32 {
 public:
  uint32_t* depth = nullptr;  // width x height entries, or null
  Matrix transform;           // applied to every vertex; identity after Clear
  char depthMode = 0;         // only Clear(int) consults it
  float focal = 0.0f;         // projection scale: width / (2 tan(half angle))

  TDMotor() = default;
  TDMotor(int w, int h);
  // Draws into `surface`'s buffer. A surface passed as a temporary that owns
  // its buffer hands the ownership over (it would be gone otherwise).
  explicit TDMotor(Image32 surface);
  ~TDMotor();
  TDMotor(const TDMotor&) = delete;
  TDMotor& operator=(const TDMotor&) = delete;

  void Init(int w, int h);
  void Init(Image32 surface);

  // Zeroes the pixels and the depth buffer; transform = identity.
  void Clear();
  // Fills the pixels with colour; zeroes depth only when depthMode != 0;
  // transform = identity.
  void Clear(int colour);

  // focal = width / (2 tan(a)), a in radians as given.
  void FOV(float a);
  void DepthFunc(char mode) { depthMode = mode; }
  int DepthFunc() { return static_cast<signed char>(depthMode); }

  // Draws the segments (edges[i], edges[i + 1]) for i = 0, 2, ... while
  // i + 1 < count; vertices holds x, y, z per vertex. A segment with an end
  // point that projects to infinity or NaN is dropped.
  void DrawModel(float* vertices, int* edges, int count);

 private:
  void AllocDepth(int w, int h);
  void DefaultFocal();
};
