// The overlays and text pictures: veldra (title), link (chain), kollademos and the tecken strip.
#include <algorithm>
#include <cmath>

#include "pictures.h"

namespace {

// Letters lit like a flickering screen: every third row a little darker, lighter towards the top.
Rgb TitleWhite(int, int y) {
  const float light = 1.0f - 0.18f * std::fmod(static_cast<float>(y), 3.0f) / 2.0f;
  return Mix(Hex(0xDDDDDD), kWhite, light);
}

Rgb TitleOrange(int, int y) {
  const float light = y % 3 == 2 ? 0.82f : 1.0f;
  return {Hex(0xE07010).r * light, Hex(0xE07010).g * light, Hex(0xE07010).b * light};
}

// One chain link of the given outer size: a dark rim, an orange body and a light highlight.
void ChainLink(Canvas& c, float cx, float cy, float half_len, float half_wid, float thick,
               float angle) {
  c.StadiumRing(cx, cy, half_len + 2.5f, half_wid + 2.5f, thick + 5.0f, angle, kBlack);
  c.StadiumRing(cx, cy, half_len, half_wid, thick, angle, kOrange);
  c.StadiumRing(cx, cy, half_len - thick * 0.2f, half_wid - thick * 0.2f, thick * 0.22f, angle,
                Hex(0xFFB060), 0.85f);
}

}  // namespace

Canvas MakeVeldra(Fonts& fonts) {
  Canvas c(320, 240);
  // Two lines between the border bands (rows about 37..190): VELDRA over FLIMMER.
  const int size = fonts.FitSize(kSansBold, "FLIMMER", 286, 80, 1);
  const Font& font = fonts.Get(kSansBold, size);
  const int cap = font.CapHeight();
  const int gap = 12;
  const int top = 116 - (2 * cap + gap) / 2;
  TextStyle style;
  style.outline = 2.0f;
  style.shadow_dx = 4;
  style.shadow_dy = 4;
  style.tracking = 1;
  const std::string first = "VELDRA", second = "FLIMMER";
  DrawText(c, font, 160 - font.Measure(first, 1) / 2, top + cap, first, style, TitleWhite);
  DrawText(c, font, 160 - font.Measure(second, 1) / 2, top + 2 * cap + gap, second, style,
           TitleOrange);
  // A thin rule between the lines ties them into one word.
  const int rule_y = top + cap + gap / 2;
  c.Line(40, rule_y, 280, rule_y, 3.0f, kBlack);
  c.Line(42, rule_y, 278, rule_y, 1.0f, kWhite);
  return c;
}

Canvas MakeLink(Fonts&) {
  Canvas c(320, 240);
  // A chain across the frame from lower left to upper right: links seen face on alternate with
  // links seen edge on, each one hooked through its neighbours.
  const float angle = -0.42f;
  const float dx = std::cos(angle), dy = std::sin(angle);
  const float pitch = 62.0f;
  const float cx0 = 160 - 2 * pitch * dx, cy0 = 122 - 2 * pitch * dy;
  for (int i = 0; i < 5; i += 2) {
    ChainLink(c, cx0 + i * pitch * dx, cy0 + i * pitch * dy, 46, 26, 9, angle);
  }
  for (int i = 1; i < 5; i += 2) {
    // Edge on: a link turned a quarter about the chain's axis looks like a slotted bar.
    ChainLink(c, cx0 + i * pitch * dx, cy0 + i * pitch * dy, 46, 9, 7, angle);
  }
  // Redraw the near halves of the face-on links over the bars so they interlock.
  for (int i = 0; i < 5; i += 2) {
    const float cx = cx0 + i * pitch * dx, cy = cy0 + i * pitch * dy;
    Canvas half(320, 240);
    ChainLink(half, cx, cy, 46, 26, 9, angle);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        // The half below the chain's axis comes to the front.
        const float v = -(x + 0.5f - cx) * dy + (y + 0.5f - cy) * dx;
        const float a = half.OpacityAt(x, y);
        if (v > 0 && a > 0) c.Paint(x, y, half.ColourAt(x, y), a);
      }
    }
  }
  return c;
}

Canvas MakeKollademos(Fonts& fonts) {
  Canvas c(320, 240);
  // A translucent dark band across the middle lets the noise breathe through behind the words.
  for (int y = 140; y < 192; ++y) {
    const float edge = std::min(y - 140, 191 - y) / 6.0f;
    c.FillRect(0, y, 320, y + 1, kBlack, 0.55f * std::min(edge, 1.0f));
  }
  // An open eye above the words: almond white, orange iris, black pupil.
  const float ex = 160, ey = 88, ew = 74, eh = 40;
  const float r = (ew * ew + eh * eh) / (2 * eh);  // radius of the two arcs through the corners
  auto almond = [=](float x, float y) {
    const float upper = std::hypot(x - ex, y - (ey + r - eh)) - r;
    const float lower = std::hypot(x - ex, y - (ey - r + eh)) - r;
    return std::max(upper, lower);
  };
  c.Shape(
      0, 0, 320, 240, [&](float x, float y) { return almond(x, y) - 4; }, kBlack, 1);
  c.Shape(0, 0, 320, 240, almond, kWhite, 1);
  c.Disc(ex, ey, 30, kBlack);
  c.Disc(ex, ey, 27, kOrange);
  c.Ring(ex, ey, 19, 3, Hex(0x883300));
  c.Disc(ex, ey, 12, kBlack);
  c.Disc(ex - 8, ey - 9, 5, kWhite);
  // Lashes: short strokes fanning out above the lid.
  for (int i = -3; i <= 3; ++i) {
    const float t = i * 0.22f;
    const float bx = ex + std::sin(t) * (r - 2), by = ey + r - eh - std::cos(t) * r;
    c.Line(bx, by, bx + std::sin(t) * 14, by - std::cos(t) * 14 - 2, 3.5f, kBlack);
  }
  // The words.
  const int size = fonts.FitSize(kSansBold, "kolla demos", 292, 52, 0);
  const Font& font = fonts.Get(kSansBold, size);
  TextStyle style;
  style.outline = 2.0f;
  style.shadow_dx = 3;
  style.shadow_dy = 3;
  const int width = font.Measure("kolla demos");
  const int x = 160 - width / 2;
  const int baseline = 178;
  DrawText(c, font, x, baseline, "kolla", style);
  style.fill = kOrange;
  DrawText(c, font, x + font.Measure("kolla "), baseline, "demos", style);
  return c;
}

Canvas MakeTecken(Fonts& fonts) {
  Canvas c(500, 25);
  // Orange letters with a black rim read on both the dark and the white border band.
  const std::string text = "VELDRAFLIMMER  *  pixlar, brus och ljud i takt  *  kolla demos!";
  const int size = fonts.FitSize(kSansCondensedBold, text, 490, 17);
  const Font& font = fonts.Get(kSansCondensedBold, size);
  TextStyle style;
  style.fill = Hex(0xFF8A1E);
  style.outline = 1.2f;
  const int baseline = 12 + font.CapHeight() / 2;
  DrawText(c, font, 5, baseline, text, style);
  return c;
}
