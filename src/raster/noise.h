// The noise source of Image32::Brus: a deterministic stream of uniformly
// distributed bytes, never seeded from the clock, so the noise repeats from
// run to run. Draw i is the word NoiseWord(i); one pixel takes one draw and
// uses its bytes 0, 1 and 2 as its blue, green and red factors, in that order.
// The whole state is the index of the next draw. Main thread only.
#pragma once

#include <cstdint>

namespace raster {

uint32_t NoiseWord(uint32_t index);
// Index of the next draw (advances by one per pixel in modes 0..4).
uint32_t NoiseState();
void SetNoiseState(uint32_t index);

}  // namespace raster
