// Writes a frame of pixel words (0xWWRRGGBB, the weight byte ignored) as an
// 8-bit RGB PNG. Deterministic: no time stamp or other varying chunk.
#pragma once
#include <cstdint>
#include <string>

// False when the file cannot be written.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);
