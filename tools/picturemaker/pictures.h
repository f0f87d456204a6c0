// The show's pictures: one maker per raw picture file, and what they share.
//
// Contract: each maker draws one picture from scratch into a fresh Canvas, using only fixed
// seeds, so the output is byte-identical on every run. Called by the picturemaker tool; fonts come
// from a Fonts cache whose lifetime covers all makers. Failures to open a font throw
// std::runtime_error with a message for the user.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"
#include "text.h"

// The show's palette.
inline constexpr Rgb kBlack = Hex(0x000000);
inline constexpr Rgb kWhite = Hex(0xFFFFFF);
inline constexpr Rgb kFillGrey = Hex(0xAAAAAA);    // the frame's grey fill
inline constexpr Rgb kBorderGrey = Hex(0x555555);  // the dark border bands
inline constexpr Rgb kOrange = Hex(0xCC6600);      // the wireframe figure

inline constexpr const char* kSansBold = "DejaVuSans-Bold.ttf";
inline constexpr const char* kSansCondensedBold = "DejaVuSansCondensed-Bold.ttf";
inline constexpr const char* kSerifBoldItalic = "DejaVuSerif-BoldItalic.ttf";
inline constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";

class Fonts {
 public:
  explicit Fonts(std::string directory) : library_(std::move(directory)) {}
  // The font `file` at `pixel_size`, opened once and kept.
  const Font& Get(const std::string& file, int pixel_size);
  // Largest size up to `max_size` at which `text` fits in `max_width` pixels.
  int FitSize(const std::string& file, const std::string& text, int max_width, int max_size,
              int tracking = 0);

 private:
  FontLibrary library_;  // declared first: the fonts below must go before it
  std::map<std::pair<std::string, int>, std::unique_ptr<Font>> cache_;
};

struct TextStyle {
  Rgb fill = kWhite;
  float outline = 0.0f;  // outline width in pixels (0: none)
  Rgb outline_colour = kBlack;
  int shadow_dx = 0, shadow_dy = 0;  // drop shadow offset (0, 0: none)
  float shadow_opacity = 0.6f;
  int tracking = 0;  // extra pixels between letters
};

// Draws one line of text; `shade` (if given) colours each letter pixel instead of style.fill.
void DrawText(Canvas& canvas, const Font& font, int x, int baseline, const std::string& text,
              const TextStyle& style, Rgb (*shade)(int x, int y) = nullptr);

// The area that the scene backgrounds cover: between the two side strips (columns 50..269) and
// between the border bands, so the bands and strips stay visible around it.
bool InsidePanel(int x, int y);
// Distance in pixels (up to `limit`) from a panel pixel to the nearest pixel outside the panel.
int PanelDepth(int x, int y, int limit);

struct PictureMaker {
  const char* file;
  int width;
  int height;
  Canvas (*make)(Fonts& fonts);
};

// All the show's pictures, in the order of its picture list (picture_list.h,
// made from src/demo/pictures.cmake), each with its maker. Throws
// std::runtime_error when the list names a picture no maker draws.
const std::vector<PictureMaker>& AllPictures();

// The makers, grouped by file.
Canvas MakeTecken(Fonts& fonts);
Canvas MakeGreet(Fonts& fonts);
Canvas MakeKludd(Fonts& fonts);
Canvas MakeSidolinjer1(Fonts& fonts);
Canvas MakeLinje1(Fonts& fonts);
Canvas MakeLinje2(Fonts& fonts);
Canvas MakeVeldra(Fonts& fonts);
Canvas MakeLink(Fonts& fonts);
Canvas MakeKollademos(Fonts& fonts);
Canvas MakeLink2(Fonts& fonts);
Canvas MakeBlabak(Fonts& fonts);
Canvas MakeGrabak1(Fonts& fonts);
Canvas MakeGrabak2(Fonts& fonts);
Canvas MakeGrabak3(Fonts& fonts);
