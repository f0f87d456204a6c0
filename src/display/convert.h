// Pixel-format converters: one per supported screen format, and the chooser
// that picks one from the format the display reports. The display layer
// (ptc.h) calls the chooser once when it opens and the chosen converter once
// per row of every frame, on the show's main thread. Converters hold no state.
//
// Source pixels are 32-bit little-endian words 0xWWRRGGBB: in memory blue,
// green, red, then the weight byte, which no converter shows (only the 32-bit
// same-order copy carries it along). Destination pixels are packed without
// gaps: 4 bytes for 32-bit formats, 3 for 24-bit, one little-endian 16-bit
// word for 16-bit formats. Neither pointer needs more alignment than a byte.
// Reductions to 5 or 6 bits keep the top bits of a channel (no rounding).
#pragma once

// Converts `count` source pixels at `src` into `count` pixels at `dst`.
// A count of 0 or less writes nothing.
using ptc_converter = void (*)(const void* src, void* dst, int count);

void ptc_convert_32_to_32_rgb888(const void* src, void* dst, int count);
void ptc_convert_32_to_32_bgr888(const void* src, void* dst, int count);
void ptc_convert_32_to_24_rgb888(const void* src, void* dst, int count);
void ptc_convert_32_to_24_bgr888(const void* src, void* dst, int count);
void ptc_convert_32_to_16_rgb565(const void* src, void* dst, int count);
void ptc_convert_32_to_16_bgr565(const void* src, void* dst, int count);
void ptc_convert_32_to_16_rgb555(const void* src, void* dst, int count);
void ptc_convert_32_to_16_bgr555(const void* src, void* dst, int count);

// The converter for a screen of `bits` per pixel with the red, green and blue
// masks `r`, `g`, `b` (exact match against the eight supported layouts), or
// null when none fits. 5-5-5 screens report 16 bits, so 15 never matches.
ptc_converter ptc_request_converter(int bits, unsigned long r, unsigned long g, unsigned long b);
