// The vertical strips, 50x250 each, that scroll through the frame: sidolinjer1 on the right
// (two copies, scrolling up) and linje1 over linje2 on the left (scrolling down). Every pattern
// repeats after 250 rows, and shapes near an end are drawn again one period away, so each strip
// joins itself, and linje1 and linje2 join each other, without a seam.
#include <cmath>
#include <numbers>

#include "pictures.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kPeriod = 250;

// x of a wave across the strip at row y, repeating `cycles` times per strip height.
float Wave(float y, float centre, float amplitude, int cycles, float phase) {
  return centre + amplitude * std::sin(2 * kPi * cycles * y / kPeriod + phase);
}

std::vector<float> WavePath(float centre, float amplitude, int cycles, float phase) {
  std::vector<float> xy;
  for (float y = -12; y <= kPeriod + 12; y += 1.0f) {
    xy.push_back(Wave(y, centre, amplitude, cycles, phase));
    xy.push_back(y);
  }
  return xy;
}

// A disc drawn once per period copy, so it wraps across the strip's ends.
void WrappedDisc(Canvas& c, float x, float y, float r, Rgb colour) {
  for (float shift : {-kPeriod, 0.0f, kPeriod}) c.Disc(x, y + shift, r, colour);
}

void WrappedLine(Canvas& c, float x0, float y0, float x1, float y1, float w, Rgb colour) {
  for (float shift : {-kPeriod, 0.0f, kPeriod}) c.Line(x0, y0 + shift, x1, y1 + shift, w, colour);
}

// The rails that both left strips share, so the two join where they meet.
void LeftRails(Canvas& c) {
  c.FillRect(0, 0, 4, 250, Hex(0x222222));
  c.FillRect(44, 0, 47, 250, kBlack);
  c.FillRect(47, 0, 48, 250, kWhite);
}

}  // namespace

Canvas MakeSidolinjer1(Fonts&) {
  Canvas c(50, 250);
  // A dark glass channel between two rails, with orange chevrons pointing up the way it scrolls.
  c.FillRect(10, 0, 40, 250, kBlack, 0.35f);
  c.FillRect(6, 0, 9, 250, kBlack);
  c.FillRect(9, 0, 10, 250, Hex(0xDDDDDD));
  c.FillRect(40, 0, 41, 250, Hex(0xDDDDDD));
  c.FillRect(41, 0, 44, 250, kBlack);
  for (int i = 0; i < 10; ++i) {
    const float y = 12.5f + i * 25.0f;
    WrappedLine(c, 14, y + 7, 25, y - 4, 5.5f, kBlack);
    WrappedLine(c, 25, y - 4, 36, y + 7, 5.5f, kBlack);
    WrappedLine(c, 14, y + 7, 25, y - 4, 3.0f, kOrange);
    WrappedLine(c, 25, y - 4, 36, y + 7, 3.0f, kOrange);
  }
  // Small ticks on the outer edge, every 10 rows (a multiple of the strip height).
  for (int y = 0; y < 250; y += 10) c.FillRect(1, y, 5, y + 2, Hex(0x333333));
  return c;
}

Canvas MakeLinje1(Fonts&) {
  Canvas c(50, 250);
  LeftRails(c);
  // One orange wave with a dark rim, two cycles per strip, crossing the middle at both ends.
  const auto path = WavePath(24, 13, 2, 0);
  c.Polyline(path, 8, kBlack);
  c.Polyline(path, 4.5f, kOrange);
  // Beads on the crests, away from the ends where linje2 takes over.
  for (int i = 0; i < 4; ++i) {
    const float y = 31.25f + i * 62.5f;
    WrappedDisc(c, Wave(y, 24, 13, 2, 0), y, 5, kBlack);
    WrappedDisc(c, Wave(y, 24, 13, 2, 0), y, 3, kWhite);
  }
  return c;
}

Canvas MakeLinje2(Fonts&) {
  Canvas c(50, 250);
  LeftRails(c);
  // A double helix, one turn per strip, with rungs between the strands. Its front strand is
  // drawn like linje1's wave and meets it in the middle at both ends, so the wave runs on into
  // the helix; the back strand is white.
  for (int i = 0; i < 20; ++i) {
    const float y = 6.25f + i * 12.5f;
    WrappedLine(c, Wave(y, 24, 15, 1, 0), y, Wave(y, 24, 15, 1, kPi), y, 2, Hex(0x444444));
  }
  const auto back = WavePath(24, 15, 1, kPi);
  const auto front = WavePath(24, 15, 1, 0);
  c.Polyline(back, 6, kBlack);
  c.Polyline(back, 3, Hex(0xDDDDDD));
  c.Polyline(front, 8, kBlack);
  c.Polyline(front, 4.5f, kOrange);
  return c;
}
