// The scene backgrounds: blabak (scene 3, blue) and grabak1..3 (scenes 4..6, grey). Each fills the
// panel between the side strips and the border bands and leaves the rest clear, so the border, the
// strips and the text strip stay visible around it.
#include <algorithm>
#include <cmath>

#include "pictures.h"
#include "random.h"

namespace {

// The wireframe figure is centred here on the visible frame.
constexpr float kFigureX = 170, kFigureY = 130;

// Fills the panel with `shade(x, y)` plus a little grain, then frames it: a black rim with a
// light line inside it.
template <typename Shade>
Canvas Panel(uint64_t seed, float grain, Rgb rim_light, Shade shade) {
  Canvas c(320, 240);
  Random rng(seed);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const float n = (rng.Unit() - 0.5f) * grain;  // drawn for every pixel: a stable sequence
      if (!InsidePanel(x, y)) continue;
      Rgb s = shade(static_cast<float>(x), static_cast<float>(y));
      s = {std::clamp(s.r + n, 0.0f, 1.0f), std::clamp(s.g + n, 0.0f, 1.0f),
           std::clamp(s.b + n, 0.0f, 1.0f)};
      const int depth = PanelDepth(x, y, 3);
      const Rgb edge = depth <= 1 ? kBlack : depth == 2 ? rim_light : s;
      c.Paint(x, y, edge, 1.0f);
    }
  }
  return c;
}

float Distance(float x, float y) {
  return std::hypot(x - kFigureX, y - kFigureY);
}

}  // namespace

Canvas MakeBlabak(Fonts&) {
  // Deep blue at the top to a lighter blue below, with faint scan lines and a few stars; calm
  // enough for the greetings that scroll over it.
  Random stars(0xB1AB0Cull);
  Canvas c = Panel(0xB1ABA4ull, 0.03f, Hex(0x6FA0FF), [](float x, float y) {
    const float t = std::clamp((y - 16) / 200.0f, 0.0f, 1.0f);
    Rgb s = Mix(Hex(0x06123A), Hex(0x1F56B8), t);
    if (static_cast<int>(y) % 4 == 0) s = Mix(s, kBlack, 0.18f);
    const float glow = std::max(0.0f, 1 - std::hypot(x - 160, y - 120) / 140);
    return Mix(s, Hex(0x3A7BE0), 0.25f * glow);
  });
  for (int i = 0; i < 70; ++i) {
    const int x = 52 + stars.Below(216), y = 20 + stars.Below(200);
    if (InsidePanel(x, y) && PanelDepth(x, y, 4) >= 4) {
      c.Paint(x, y, Hex(0xCFE0FF), stars.Range(0.3f, 0.9f));
    }
  }
  return c;
}

Canvas MakeGrabak1(Fonts&) {
  // Light grey with darker diagonal stripes: the brightest of the three.
  return Panel(0x67AB01ull, 0.05f, kWhite, [](float x, float y) {
    const float stripe = std::fmod(x + y, 18.0f) < 6.0f ? 1.0f : 0.0f;
    const float t = std::clamp((y - 16) / 210.0f, 0.0f, 1.0f);
    const Rgb base = Mix(Hex(0xC4C4C4), Hex(0x9A9A9A), t);
    return Mix(base, Hex(0x7A7A7A), 0.7f * stripe);
  });
}

Canvas MakeGrabak2(Fonts&) {
  // Charcoal graph paper with a soft light behind the figure: the darkest of the three.
  return Panel(0x67AB02ull, 0.04f, Hex(0x777777), [](float x, float y) {
    const float glow = std::max(0.0f, 1 - Distance(x, y) / 110);
    Rgb s = Mix(Hex(0x1E1E1E), Hex(0x585858), glow * glow);
    const int gx = static_cast<int>(x - kFigureX + 400) % 20,
              gy = static_cast<int>(y - kFigureY + 400) % 20;
    if (gx == 0 || gy == 0) s = Mix(s, Hex(0x8A8A8A), 0.55f);
    return s;
  });
}

Canvas MakeGrabak3(Fonts&) {
  // Concentric rings around the figure in two darker greys, fading lighter outwards.
  return Panel(0x67AB03ull, 0.06f, Hex(0xDDDDDD), [](float x, float y) {
    const float d = Distance(x, y);
    const bool band = std::fmod(d, 22.0f) < 11.0f;
    const Rgb inner = band ? Hex(0x484848) : Hex(0x686868);
    const Rgb outer = band ? Hex(0x747474) : Hex(0x909090);
    return Mix(inner, outer, std::clamp(d / 150.0f, 0.0f, 1.0f));
  });
}
