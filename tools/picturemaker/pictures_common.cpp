// Shared pieces of the pictures: the font cache, outlined text, the scene panel and the list.
#include <map>
#include <stdexcept>
#include <string>

#include "demo/kanter.h"
#include "picture_list.h"
#include "pictures.h"

const Font& Fonts::Get(const std::string& file, int pixel_size) {
  auto& slot = cache_[{file, pixel_size}];
  if (!slot) {
    std::string error;
    slot = library_.Open(file, pixel_size, error);
    if (!slot) throw std::runtime_error(error);
  }
  return *slot;
}

int Fonts::FitSize(const std::string& file, const std::string& text, int max_width, int max_size,
                   int tracking) {
  int size = max_size;
  while (size > 6 && Get(file, size).Measure(text, tracking) > max_width) --size;
  return size;
}

void DrawText(Canvas& canvas, const Font& font, int x, int baseline, const std::string& text,
              const TextStyle& style, Rgb (*shade)(int x, int y)) {
  Mask letters(canvas.width(), canvas.height());
  font.Render(letters, x, baseline, text, style.tracking);
  const bool outlined = style.outline > 0.0f;
  const Mask body = outlined ? letters.Dilated(style.outline) : letters;
  if (style.shadow_dx != 0 || style.shadow_dy != 0) {
    canvas.PaintMask(body, kBlack, style.shadow_opacity, style.shadow_dx, style.shadow_dy);
  }
  if (outlined) canvas.PaintMask(body, style.outline_colour);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int px = 0; px < canvas.width(); ++px) {
      const float m = letters.At(px, y);
      if (m > 0.0f) canvas.Paint(px, y, shade != nullptr ? shade(px, y) : style.fill, m);
    }
  }
}

bool InsidePanel(int x, int y) {
  if (x < 50 || x >= 270 || y < 0 || y >= kKanterHeight) return false;
  const int i = y * kKanterWidth + x;
  return ((kanter_bit[i / 32] >> (31 - i % 32)) & 1u) == 0;
}

int PanelDepth(int x, int y, int limit) {
  for (int d = 0; d < limit; ++d) {
    for (int j = -d; j <= d; ++j) {
      for (int i = -d; i <= d; ++i) {
        if (!InsidePanel(x + i, y + j)) return d;
      }
    }
  }
  return limit;
}

const std::vector<PictureMaker>& AllPictures() {
  static const std::vector<PictureMaker> list = [] {
    const std::map<std::string, Canvas (*)(Fonts&)> makers = {
        {"tecken.raw", MakeTecken},         {"greet.raw", MakeGreet},
        {"kludd.raw", MakeKludd},           {"sidolinjer1.raw", MakeSidolinjer1},
        {"linje1.raw", MakeLinje1},         {"linje2.raw", MakeLinje2},
        {"veldra.raw", MakeVeldra},         {"link.raw", MakeLink},
        {"kollademos.raw", MakeKollademos}, {"link2.raw", MakeLink2},
        {"blabak.raw", MakeBlabak},         {"grabak1.raw", MakeGrabak1},
        {"grabak2.raw", MakeGrabak2},       {"grabak3.raw", MakeGrabak3},
    };
    std::vector<PictureMaker> pictures;
    for (const PictureListEntry& entry : kPictureList) {
      const auto maker = makers.find(entry.file);
      if (maker == makers.end())
        throw std::runtime_error(std::string("no maker for ") + entry.file);
      pictures.push_back({entry.file, entry.width, entry.height, maker->second});
    }
    return pictures;
  }();
  return list;
}
