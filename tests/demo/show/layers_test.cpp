// The layers of a frame, drawn onto the real Screen with solid test pictures
// whose colours tell at once which layer is visible where.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "3d/tdmotor.h"
#include "demo/figure.h"
#include "demo/scenes.h"
#include "demo/show_state.h"

namespace {
// Opaque pictures in distinct colours; a blended opaque copy leaves each
// channel at (c * 255) >> 8.
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr uint32_t kCyan = 0x00FFFF, kViolet = 0x8000FF, kOlive = 0x808000, kYellow = 0xFFFF00;
constexpr uint32_t kPink = 0xFF0080, kNavy = 0x000080, kBrown = 0x804000, kMagenta = 0xFF00FF;

uint32_t Opaque(uint32_t rgb) {
  const uint32_t r = (((rgb >> 16) & 0xFF) * 255) >> 8;
  const uint32_t g = (((rgb >> 8) & 0xFF) * 255) >> 8;
  const uint32_t b = ((rgb & 0xFF) * 255) >> 8;
  return r << 16 | g << 8 | b;
}

void Solid(Image32& picture, int w, int h, uint32_t rgb) {
  picture.Init(w, h);
  picture.Fill(0xFF000000u | rgb);
}

uint32_t Rgb(int x, int y) {
  return Screen.Get(x, y) & 0xFFFFFF;
}

int Channel(uint32_t p, int shift) {
  return static_cast<int>((p >> shift) & 0xFF);
}

class Layers : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShowState();
    motor = std::make_unique<TDMotor>(Screen.width, Screen.height);
    motor->Borrow(Screen.pixels);
    Solid(p.tecken, 500, 25, kPink);
    Solid(p.greet, 500, 240, kMagenta);
    Solid(p.kludd, 320, 240, kBlue);
    Solid(p.sidolinjer1, 50, 250, kNavy);
    Solid(p.linje1, 50, 250, kBrown);
    Solid(p.linje2, 50, 250, kBrown);
    Solid(p.veldra, 320, 240, kWhite);
    Solid(p.link, 320, 240, kYellow);
    Solid(p.kollademos, 320, 240, kRed);
    Solid(p.link2, 320, 240, kGreen);
    Solid(p.blabak, 320, 240, kYellow);
    Solid(p.grabak1, 320, 240, kCyan);
    Solid(p.grabak2, 320, 240, kViolet);
    Solid(p.grabak3, 320, 240, kOlive);
    // Border masks: the top 10 rows set, as the real mask's top band is.
    uint32_t bits[2400] = {};
    for (int i = 0; i < 100; ++i) bits[i] = 0xFFFFFFFFu;
    p.kanterDark.GenH(bits, 320, 240, 0x555555);
    p.kanterLight.GenH(bits, 320, 240, 0xFFFFFF);
    edges = MakeEdges();
  }
  void TearDown() override { delete[] edges; }

  // One frame's composition as the frame loop runs it.
  void Draw(int dt) {
    motor->Clear();
    Screen.Fill(0xFFAAAAAAu);
    alpha = 1;
    AA = 1;
    LayerContext c{Screen, *motor, p, anim, edges};
    DrawLayers(c, dt);
  }

  // Pixels of the visible area that carry exactly the figure's full-weight colour.
  int SharpFigurePixels() {
    int n = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) n += Rgb(x, y) == Opaque(0xCC6600);
    }
    return n;
  }

  std::unique_ptr<TDMotor> motor;
  Pictures p;
  Animation anim;
  int* edges = nullptr;
};
}  // namespace

TEST_F(Layers, SceneZeroShowsKollademosOverTheNoise) {
  bg = 0;
  Draw(4);
  const uint32_t c = Rgb(160, 120);
  EXPECT_GT(Channel(c, 16), 240);
  EXPECT_LT(Channel(c, 8), 4);
  EXPECT_LT(Channel(c, 0), 4);
}

TEST_F(Layers, SceneOneShowsLink2UnderTheNoise) {
  bg = 1;
  Draw(4);
  double sum = 0, sum2 = 0;
  int n = 0;
  for (int y = 60; y < 180; ++y) {
    for (int x = 60; x < 260; ++x) {
      const uint32_t c = Rgb(x, y);
      EXPECT_LT(Channel(c, 16), 4);
      const double g = Channel(c, 8);
      sum += g;
      sum2 += g * g;
      ++n;
    }
  }
  const double mean = sum / n;
  EXPECT_GT(mean, 60.0);
  EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 8.0);  // noise survives the blur
}

TEST_F(Layers, VeldraShowsOnlyWhileItsTimerIsPositive) {
  bg = 0;
  t1 = 0.0f;
  Draw(4);
  EXPECT_LT(Channel(Rgb(160, 120), 8), 4);  // red, no veldra
  t1 = -0.25f;
  Draw(4);
  EXPECT_LT(Channel(Rgb(160, 120), 8), 4);
  t1 = 0.25f;
  Draw(4);
  EXPECT_EQ(Rgb(160, 120), Opaque(kWhite));
  EXPECT_FLOAT_EQ(t1, static_cast<float>(0.25f - 0.1 * 4));
}

TEST_F(Layers, OverlaysUnlockOneByOneAsT3Grows) {
  bg = 1;
  anim.teckenX = 100.0f;
  t3 = 1.0f;
  Draw(0);
  EXPECT_NE(Rgb(160, 5), Opaque(0x555555));  // no border yet
  EXPECT_NE(Rgb(150, 230), Opaque(kPink));
  t3 = 2.0f;
  Draw(0);
  EXPECT_EQ(Rgb(160, 5), Opaque(0x555555));
  EXPECT_EQ(Rgb(150, 230), Opaque(kPink));
  // The strips lie under the border picture, whose clear part still darkens
  // what it covers by 1/256: one more pass of the same rounding.
  EXPECT_NE(Rgb(295, 120), Opaque(Opaque(kNavy)));
  t3 = 3.0f;
  Draw(0);
  EXPECT_EQ(Rgb(295, 120), Opaque(Opaque(kNavy)));
  EXPECT_NE(Rgb(25, 120), Opaque(Opaque(kBrown)));
  t3 = 3.5f;
  Draw(0);
  EXPECT_EQ(Rgb(25, 120), Opaque(Opaque(kBrown)));
  k = 1;
  Draw(0);
  EXPECT_EQ(Rgb(160, 5), Opaque(kWhite));
}

TEST_F(Layers, SceneThreeDrawsBlabakAndGreetOverTheOverlays) {
  bg = 3;
  t3 = 4.0f;
  anim.greetX = 200.0f;
  Draw(0);
  EXPECT_EQ(Rgb(100, 120), Opaque(kYellow));
  EXPECT_EQ(Rgb(100, 5), Opaque(kYellow));  // over the border
  EXPECT_EQ(Rgb(250, 120), Opaque(kMagenta));
  EXPECT_EQ(Rgb(295, 120), Opaque(kMagenta));  // over the strip
}

TEST_F(Layers, ScenesFourToSixPickTheirBackgroundAndDrawTheFigureSharp) {
  const uint32_t backs[3] = {kCyan, kViolet, kOlive};
  for (int scene = 4; scene <= 6; ++scene) {
    bg = scene;
    ms = 15.0f;
    Draw(1);
    EXPECT_EQ(Rgb(5, 200), Opaque(backs[scene - 4])) << "scene " << scene;
    EXPECT_GT(SharpFigurePixels(), 20) << "scene " << scene;
  }
}

TEST_F(Layers, SceneTwoBlursTheFigureIntoKludd) {
  bg = 2;
  Draw(1);
  EXPECT_EQ(SharpFigurePixels(), 0);
  int orange = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const uint32_t c = Rgb(x, y);
      orange += Channel(c, 16) > 80 && Channel(c, 16) > Channel(c, 0);
    }
  }
  EXPECT_GT(orange, 20);
}

TEST_F(Layers, SceneSevenIsDrawnAsFourInTheSameFrame) {
  bg = 7;
  ms = 12.0f;
  Draw(1);
  EXPECT_EQ(bg, 4);
  EXPECT_EQ(Rgb(5, 200), Opaque(kCyan));
  EXPECT_GT(SharpFigurePixels(), 20);
}

TEST_F(Layers, AZeroStepMovesNothingButStillDraws) {
  bg = 3;
  t3 = 1.5f;
  Draw(0);
  EXPECT_EQ(anim.teckenX, 320.0f);
  EXPECT_EQ(anim.greetX, 320.0f);
  EXPECT_EQ(Rgb(100, 120), Opaque(kYellow));
  bg = 4;
  ms = 10.0f;
  Draw(0);
  EXPECT_EQ(anim.azimuthStep, 1.0f);
  EXPECT_EQ(anim.polarStep, 1.0f);
  EXPECT_EQ(ms, 10.0f);
}

TEST_F(Layers, ScrollersAndFigureStepsMoveOnlyWhileDrawn) {
  bg = 1;
  t3 = 0.0f;
  Draw(8);
  EXPECT_EQ(anim.teckenX, 320.0f);
  EXPECT_EQ(anim.greetX, 320.0f);
  EXPECT_EQ(anim.azimuthStep, 1.0f);
  bg = 3;
  t3 = 1.5f;
  Draw(8);
  EXPECT_EQ(anim.teckenX, 320.0f - static_cast<float>(0.1 * 8));
  EXPECT_EQ(anim.greetX, 320.0f - static_cast<float>(0.25 * 8));
  bg = 5;
  ms = 10.0f;
  Draw(8);
  EXPECT_EQ(anim.azimuthStep, static_cast<float>(1.0f + 0.01 * 8));
  EXPECT_EQ(anim.polarStep, static_cast<float>(1.0f + 0.002 * 8));
  EXPECT_EQ(ms, static_cast<float>(10.0f - 0.4 * 8));
}
