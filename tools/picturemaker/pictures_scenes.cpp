// The pictures that lie under the noise: link2 (scene 1) and kludd (scene 2).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "pictures.h"
#include "random.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// A smooth closed loop around (cx, cy): a circle whose radius wobbles with a few sines.
std::vector<float> WobblyLoop(Random& rng, float cx, float cy, float radius, int turns) {
  std::vector<float> xy;
  const float a1 = rng.Range(0.1f, 0.3f), a2 = rng.Range(0.05f, 0.2f);
  const float p1 = rng.Range(0, 2 * kPi), p2 = rng.Range(0, 2 * kPi);
  const float drift = rng.Range(-0.25f, 0.25f);
  const int steps = 90 * turns;
  for (int i = 0; i <= steps; ++i) {
    const float t = 2 * kPi * i / 90.0f;
    const float r = radius * (1 + a1 * std::sin(3 * t + p1) + a2 * std::sin(5 * t + p2)) *
                    (1 + drift * i / steps);
    xy.push_back(cx + r * std::cos(t));
    xy.push_back(cy + r * 0.8f * std::sin(t));
  }
  return xy;
}

// A word of make-believe handwriting: the pen runs right while circling, so each letter is a
// loop that leans back at its top, short or tall; the word ends when the pen lifts.
std::vector<float> Handwriting(Random& rng, float x, float baseline, float length, float height) {
  std::vector<float> xy;
  float pen_x = x;
  int letters = 0;
  while (pen_x < x + length) {
    const bool tall = rng.Unit() < 0.25f;
    const float letter_height = height * (tall ? rng.Range(1.5f, 2.0f) : rng.Range(0.7f, 1.0f));
    const float width = rng.Range(4.5f, 7.0f);
    const float loop = width * (tall ? 0.35f : 0.2f);
    constexpr int kSteps = 16;
    for (int i = 0; i < kSteps; ++i) {
      const float t = 2 * kPi * i / kSteps;
      xy.push_back(pen_x + width * i / kSteps + loop * std::sin(t));
      xy.push_back(baseline - letter_height * 0.5f * (1 - std::cos(t)));
    }
    pen_x += width;
    if (++letters >= 3 && rng.Unit() < 0.14f) break;
  }
  xy.push_back(pen_x);
  xy.push_back(baseline);
  return xy;
}

}  // namespace

Canvas MakeLink2(Fonts&) {
  Canvas c(320, 240);
  // Opaque black with dark diagonal hatching, crossed by three huge white links: shapes bold
  // enough to survive the per-pixel noise that is laid over them.
  c.Fill(kBlack);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      if ((x + y) % 40 < 14) c.Paint(x, y, Hex(0x3A3A3A), 1);
    }
  }
  const float cy = 118;
  for (int i = 0; i < 3; ++i) {
    const float cx = 52 + i * 108.0f;
    const bool face_on = i % 2 == 0;
    const float half_wid = face_on ? 48.0f : 16.0f;
    c.StadiumRing(cx, cy, 78, half_wid + 4, 28, 0.0f, kBlack);
    c.StadiumRing(cx, cy, 74, half_wid, 20, 0.0f, face_on ? kWhite : Hex(0xDDDDDD));
    c.StadiumRing(cx, cy, 70, half_wid - 4, 4, 0.0f, kOrange);
  }
  // The side links pass in front of the middle one at their inner ends.
  for (int i = 0; i < 3; i += 2) {
    const float cx = 52 + i * 108.0f;
    Canvas front(320, 240);
    front.StadiumRing(cx, cy, 78, 52, 28, 0.0f, kBlack);
    front.StadiumRing(cx, cy, 74, 48, 20, 0.0f, kWhite);
    front.StadiumRing(cx, cy, 70, 44, 4, 0.0f, kOrange);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        if (y > cy && front.OpacityAt(x, y) > 0)
          c.Paint(x, y, front.ColourAt(x, y), front.OpacityAt(x, y));
      }
    }
  }
  return c;
}

Canvas MakeKludd(Fonts&) {
  Canvas c(320, 240);
  Random rng(0x6B6C756464ull);
  // Lines of scribbled handwriting in dark ink, some crossed out; the page itself stays clear so
  // the frame's grey shows through as paper.
  for (int line = 0; line < 8; ++line) {
    const float baseline = 52 + line * 19.0f + rng.Range(-2, 2);
    float x = 18 + rng.Range(0, 20);
    while (x < 300) {
      const float length = rng.Range(30, 90);
      auto stroke = Handwriting(rng, x, baseline, std::min(length, 302 - x), 7);
      const Rgb ink = rng.Unit() < 0.8f ? Hex(0x151515) : Hex(0x3A3A3A);
      c.Polyline(stroke, rng.Range(1.4f, 2.2f), ink);
      if (rng.Unit() < 0.15f && stroke.size() >= 4) {
        const float x0 = stroke.front(), x1 = stroke[stroke.size() - 2];
        c.Line(x0 - 2, baseline - 4, x1 + 2, baseline - 6, 2.0f, Hex(0x151515));
      }
      x = (stroke.empty() ? x + length : stroke[stroke.size() - 2]) + rng.Range(7, 14);
    }
  }
  // Big loose loops in orange and black over the writing.
  for (int i = 0; i < 4; ++i) {
    const float cx = rng.Range(60, 260), cy = rng.Range(70, 170);
    auto loop = WobblyLoop(rng, cx, cy, rng.Range(25, 55), 2 + rng.Below(2));
    c.Polyline(loop, i % 2 == 0 ? 3.5f : 2.0f, i % 2 == 0 ? kOrange : Hex(0x101010));
  }
  // A hard zigzag scratched across, and ink dots.
  std::vector<float> zig;
  for (int i = 0; i <= 14; ++i) {
    zig.push_back(40 + i * 17.0f);
    zig.push_back(i % 2 == 0 ? 178.0f + rng.Range(-4, 4) : 150.0f + rng.Range(-4, 4));
  }
  c.Polyline(zig, 2.5f, Hex(0x202020));
  for (int i = 0; i < 40; ++i) {
    c.Disc(rng.Range(10, 310), rng.Range(40, 200), rng.Range(0.8f, 2.6f), Hex(0x101010));
  }
  return c;
}
