// Layers and scenes of a frame.
#include "scenes.h"

#include "3d/matrix.h"
#include "figure.h"
#include "show_state.h"

void Animation::Advance(int32_t dt) {
  angle = static_cast<float>(angle + static_cast<double>(dt));
  lineY1 += 0.5 * dt;
  lineY2 += 0.5 * dt;
  sideY1 -= 0.2 * dt;
  sideY2 -= 0.2 * dt;
  if (sideY1 <= -250.0) sideY1 += 500.0;
  if (sideY2 <= -250.0) sideY2 += 500.0;
  if (lineY1 >= 250.0) lineY1 -= 500.0;
  if (lineY2 >= 250.0) lineY2 -= 500.0;
}

namespace {
// A picture copied whole (or w x h of it) onto the canvas at (x, y), blended
// by its own weight bytes.
void Draw(Image32& picture, Image32& screen, int x, int y, int w, int h) {
  picture.Blit(screen, 0, 0, x, y, w, h);
}

// Decays a timer by rate x dt, the product in double precision.
void Decay(float& value, double rate, int32_t dt) {
  value = static_cast<float>(value - rate * dt);
}

// The scrollers round their step to single precision before subtracting.
void Scroll(float& x, double rate, int32_t dt) {
  x = x - static_cast<float>(rate * dt);
}
}  // namespace

void DrawFigure(LayerContext& c, float z, int32_t dt) {
  Matrix& m = c.motor.transform;
  m = Matrix();
  m.Translate(0.0f, 0.0f, z);
  m.Rotate(c.anim.angle, 0.0f, 1.0f, 0.0f);
  m.Rotate(c.anim.angle, 1.0f, 0.0f, 0.0f);
  c.anim.azimuthStep = static_cast<float>(c.anim.azimuthStep + 0.01 * dt);
  // Every picture copy leaves its last source word in `color`.
  color = 0xFFCC6600;
  lineSize = 3;
  c.anim.polarStep = static_cast<float>(c.anim.polarStep + 0.002 * dt);
  Vector* vertices = gen(c.anim.polarStep, c.anim.azimuthStep);
  // Only the first 100 indices are used: a polyline through vertices 0 to 50.
  c.motor.DrawModel(&vertices[0].x, const_cast<int*>(c.edges), 100);
  delete[] vertices;
}

void DrawLayers(LayerContext& c, int32_t dt) {
  Image32& s = c.screen;
  Pictures& p = c.pictures;
  Animation& a = c.anim;
  a.Advance(dt);

  // 1-5: the background of scenes 0-2 with noise and blur. link2 and
  // kollademos are copied 340 wide: the columns past the picture read as 0
  // and only feed the blur of the visible columns beside them.
  if (bg == 1) Draw(p.link2, s, 0, 0, 340, 240);
  if (bg == 2) Draw(p.kludd, s, 0, 0, 320, 240);
  s.Brus(4);
  if (bg == 0) Draw(p.kollademos, s, 0, 0, 340, 240);
  if (bg == 2) DrawFigure(c, 15.0f, dt);
  s.Blur(4);

  // 6-7: overlays that fade out by themselves.
  if (t1 > 0) {
    Draw(p.veldra, s, 0, 0, 320, 240);
    Decay(t1, 0.1, dt);
  }
  if (t2 > 0) {
    Draw(p.link, s, 0, 0, 320, 240);
    Decay(t2, 0.1, dt);
  }

  // 8-10: strips, border and the tecken scroller, unlocked one by one by t3.
  if (t3 > 2.0f) {
    Draw(p.sidolinjer1, s, 270, static_cast<int>(a.sideY1), 50, 250);
    Draw(p.sidolinjer1, s, 270, static_cast<int>(a.sideY2), 50, 250);
  }
  if (t3 > 3.0f) {
    Draw(p.linje1, s, 0, static_cast<int>(a.lineY1), 50, 250);
    Draw(p.linje2, s, 0, static_cast<int>(a.lineY2), 50, 250);
  }
  if (t3 > 1.0f) {
    Draw(k != 0 ? p.kanterLight : p.kanterDark, s, 0, 0, 320, 240);
    Draw(p.tecken, s, static_cast<int>(a.teckenX), 215, p.tecken.width, p.tecken.height);
    Scroll(a.teckenX, 0.1, dt);
  }

  // 11: scene 3, blabak with greet over all overlays.
  if (bg == 3) {
    Draw(p.blabak, s, 0, 0, 320, 240);
    Draw(p.greet, s, static_cast<int>(a.greetX), 0, p.greet.width, p.greet.height);
    Scroll(a.greetX, 0.25, dt);
  }

  // 12-13: scenes 4-6 cycle; 7 means "back to 4" and is stored as such.
  if (bg > 6) bg = 4;
  if (bg > 3) {
    Image32& back = bg == 4 ? p.grabak1 : bg == 5 ? p.grabak2 : p.grabak3;
    Draw(back, s, 0, 0, 320, 240);
    DrawFigure(c, ms, dt);
    Decay(ms, 0.4, dt);
  }
}
