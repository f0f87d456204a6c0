// Palette: a table of 256 colour words (pixel layout of image32.h) with a
// gradient fill and rotation for colour cycling. A plain value: no
// constructor (entries are undefined until set), copies copy the table.
// Used from one thread at a time.
#pragma once

#include <cstdint>

struct Palette {
  uint32_t data[256];

  // Copies all 256 entries of src.
  void Set(Palette& src);
  // Linear gradient from c1's colour at `from` to c2's at `to` - 1, weight
  // byte 0. Indices outside 0..255 are skipped; the gradient is still the one
  // the whole range would get.
  void Fill(int from, int to, int c1, int c2);
  // Entry i takes the former entry (i - n) mod 256.
  void Rotate(int n);
};
