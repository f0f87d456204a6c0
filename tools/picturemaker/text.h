// Text: lines of UTF-8 text rendered with FreeType into coverage masks.
//
// Contract: a FontLibrary owns the FreeType library handle and the faces opened through it; a Font
// is one face at one pixel size and must be destroyed before its library. Rendering writes coverage
// into a Mask (Max, so overlapping glyphs merge); the caller paints the mask, or a dilated copy of
// it for an outline. Single-threaded.
#pragma once

#include <memory>
#include <string>

#include "canvas.h"

class FontLibrary;

class Font {
 public:
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Horizontal advance of the whole line in pixels, with `tracking` extra pixels per letter.
  int Measure(const std::string& utf8, int tracking = 0) const;
  // Height above the baseline of capital letters, in pixels.
  int CapHeight() const;
  // Renders the line with its baseline at row `baseline`, starting at column `x`.
  void Render(Mask& mask, int x, int baseline, const std::string& utf8, int tracking = 0) const;

 private:
  friend class FontLibrary;
  struct Face;
  explicit Font(std::unique_ptr<Face> face);
  std::unique_ptr<Face> face_;
};

class FontLibrary {
 public:
  // Fonts are looked up in `directory`; Ok() is false when FreeType cannot start.
  explicit FontLibrary(std::string directory);
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  bool Ok() const { return library_ != nullptr; }
  // Opens `file` (e.g. "DejaVuSans-Bold.ttf") at `pixel_size`; null with a message in `error`
  // when the file cannot be read.
  std::unique_ptr<Font> Open(const std::string& file, int pixel_size, std::string& error);

 private:
  std::string directory_;
  void* library_;  // FT_Library, kept opaque so callers need not see FreeType's headers
};

// Decodes UTF-8 into code points; malformed bytes become U+FFFD.
std::u32string DecodeUtf8(const std::string& utf8);
