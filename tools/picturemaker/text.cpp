// Text: FreeType faces, glyph layout with kerning and rendering into masks.
#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

struct Font::Face {
  FT_Face face = nullptr;
  ~Face() {
    if (face != nullptr) FT_Done_Face(face);
  }
};

Font::Font(std::unique_ptr<Face> face) : face_(std::move(face)) {}
Font::~Font() = default;

std::u32string DecodeUtf8(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool ok = extra >= 0 && i + extra < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      ok = (d >> 6) == 2;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
    } else {
      out.push_back(cp);
      i += extra + 1;
    }
  }
  return out;
}

namespace {

// Walks the glyphs of a line, calling `visit(glyph slot, pen x)` for each with its bitmap loaded
// when `render` is set; returns the final pen position.
template <typename Visit>
int Layout(FT_Face face, const std::string& utf8, int tracking, bool render, Visit visit) {
  int pen = 0;
  FT_UInt previous = 0;
  for (char32_t cp : DecodeUtf8(utf8)) {
    const FT_UInt index = FT_Get_Char_Index(face, cp);
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x >> 6;
    }
    if (FT_Load_Glyph(face, index, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0) continue;
    visit(face->glyph, pen);
    pen += static_cast<int>(face->glyph->advance.x >> 6) + tracking;
    previous = index;
  }
  return pen - (previous != 0 ? tracking : 0);
}

}  // namespace

int Font::Measure(const std::string& utf8, int tracking) const {
  return Layout(face_->face, utf8, tracking, false, [](FT_GlyphSlot, int) {});
}

int Font::CapHeight() const {
  if (FT_Load_Char(face_->face, 'H', FT_LOAD_DEFAULT) != 0) return 0;
  return static_cast<int>(face_->face->glyph->metrics.horiBearingY >> 6);
}

void Font::Render(Mask& mask, int x, int baseline, const std::string& utf8, int tracking) const {
  Layout(face_->face, utf8, tracking, true, [&](FT_GlyphSlot g, int pen) {
    const FT_Bitmap& bm = g->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    for (unsigned row = 0; row < bm.rows; ++row) {
      const unsigned char* line = bm.buffer + static_cast<long>(row) * bm.pitch;
      for (unsigned col = 0; col < bm.width; ++col) {
        if (line[col] == 0) continue;
        mask.Max(x + pen + g->bitmap_left + static_cast<int>(col),
                 baseline - g->bitmap_top + static_cast<int>(row), line[col] / 255.0f);
      }
    }
  });
}

FontLibrary::FontLibrary(std::string directory)
    : directory_(std::move(directory)), library_(nullptr) {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) == 0) library_ = lib;
}

FontLibrary::~FontLibrary() {
  if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

std::unique_ptr<Font> FontLibrary::Open(const std::string& file, int pixel_size,
                                        std::string& error) {
  if (library_ == nullptr) {
    error = "FreeType could not be started";
    return nullptr;
  }
  const std::string path = directory_ + "/" + file;
  auto face = std::make_unique<Font::Face>();
  if (FT_New_Face(static_cast<FT_Library>(library_), path.c_str(), 0, &face->face) != 0) {
    face->face = nullptr;
    error = "cannot read font " + path;
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(pixel_size)) != 0) {
    error = "font " + path + " has no size " + std::to_string(pixel_size);
    return nullptr;
  }
  return std::unique_ptr<Font>(new Font(std::move(face)));
}
