// kanter_bit: the show's border mask, a 320x240 1-bit picture built into the program.
//
// Contract: read-only data, made at compile time, read by the show at start-up when it expands the
// mask into its two border pictures (dark and light). Bit order is the 1-bit picture order of the
// raster filters: pixels in memory order (rows top to bottom, left to right), each word from
// bit 31 down to bit 0, 10 words per 320-pixel row. Set bits form a top band and a bottom band in
// every column and nothing else.
#pragma once

#include <cstdint>

inline constexpr int kKanterWidth = 320;
inline constexpr int kKanterHeight = 240;

extern const uint32_t kanter_bit[2400];
