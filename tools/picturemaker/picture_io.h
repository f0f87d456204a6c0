// Picture files: the show's raw pictures and PNG files, as 8-bit RGBA pixel bytes.
//
// Contract: plain functions over RgbaImage values, used by the picture maker and the two
// converters (png2raw, raw2png). A raw picture is width x height pixels of four bytes red, green,
// blue, weight (255 opaque, 0 clear), rows top to bottom, no header; its size is not stored, so
// the reader is told it. Errors come back as false with a message for the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;  // width * height * 4: red, green, blue, weight
};

// Largest side the converters accept; keeps every size computation far from overflow.
inline constexpr int kMaxPictureSide = 16384;

bool WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
// Reads a raw picture that must hold exactly width * height * 4 bytes.
bool ReadRaw(const std::string& path, int width, int height, RgbaImage& out, std::string& error);

// Any PNG (grey, palette, RGB, with or without transparency, 8 or 16 bits) becomes 8-bit RGBA
// with straight (not premultiplied) transparency, which is what the raw weight byte means.
bool ReadPng(const std::string& path, RgbaImage& out, std::string& error);
// An 8-bit PNG of the image; without `alpha` the weight bytes are left out and
// the PNG is opaque RGB. Deterministic: no time stamp or other varying chunk.
bool WritePng(const std::string& path, const RgbaImage& image, std::string& error,
              bool alpha = true);
// The pixel words of a surface (0xWWRRGGBB, rows without padding) as bytes.
RgbaImage FromPixelWords(const uint32_t* pixels, int width, int height);
