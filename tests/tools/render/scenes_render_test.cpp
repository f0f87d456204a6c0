// What the rendered frames show, scene by scene, with test pictures in
// distinct solid colours: the scene table checked on the pixels themselves.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "demo/sync.h"
#include "render_helpers.h"

namespace {
using namespace test_colour;

// A region clear of the border, the strips, the scrollers and the squares of
// the two overlays.
constexpr int kX0 = 110, kY0 = 110, kX1 = 210, kY1 = 180;

int Ch(uint32_t c, int shift) {
  return static_cast<int>((c >> shift) & 0xFF);
}

// Pixels that carry exactly the figure's colour drawn at full weight.
int SharpFigurePixels(const Frame& f) {
  int n = 0;
  for (uint32_t c : f.rgb) n += c == Opaque(0xCC6600);
  return n;
}

// The frames of the render shared by the test run (render_once). Checked in
// SetUp, not SetUpTestSuite: GoogleTest reports the tests of a failed suite
// set-up as skipped, and CTest would count them as passed.
class SceneFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string events = ReadFile(RENDER_ONCE_DIR "/events.txt");
    ASSERT_FALSE(events.empty()) << "no events: the render_once fixture has not run";
    shots_ = ShotTimes(ParseEvents(events));
  }

  static Frame Shot(const std::string& name) {
    return ReadPng(RENDER_ONCE_DIR "/at-" + std::to_string(shots_.at(name)) + ".png");
  }

  static std::map<std::string, int> shots_;
};
std::map<std::string, int> SceneFrames::shots_;
}  // namespace

TEST_F(SceneFrames, SceneZeroIsKollademosOverTheNoiseWithVeldraAtTheStart) {
  const Frame start = Shot("start");
  ASSERT_EQ(start.width, 320);
  EXPECT_EQ(start.At(80, 80), Opaque(kVeldra));  // t1 was set on the first frame
  const Frame later = Shot("scene0");
  ASSERT_EQ(later.width, 320);
  EXPECT_NE(later.At(80, 80), Opaque(kVeldra));  // veldra has faded
  for (uint32_t c : {later.At(160, 150), later.At(80, 80)}) {
    EXPECT_GT(Ch(c, 16), 240);
    EXPECT_LT(Ch(c, 8), 4);
    EXPECT_LT(Ch(c, 0), 4);
  }
}

TEST_F(SceneFrames, SceneOneIsLink2UnderTheNoise) {
  const Frame f = Shot("scene1");
  ASSERT_EQ(f.width, 320);
  int lo = 255, hi = 0;
  for (int y = kY0; y < kY1; ++y) {
    for (int x = kX0; x < kX1; ++x) {
      EXPECT_LT(Ch(f.At(x, y), 16), 4);
      lo = std::min(lo, Ch(f.At(x, y), 8));
      hi = std::max(hi, Ch(f.At(x, y), 8));
    }
  }
  EXPECT_GT(hi - lo, 60);  // the noise
  EXPECT_GT(hi, 120);
}

TEST_F(SceneFrames, BorderStripsAndTeckenOnceT3HasReachedThem) {
  // Before: only the noise in the border's place.
  EXPECT_NE(Shot("scene1").At(160, 5), Opaque(0x555555));
  const Frame f = Shot("overlays");
  ASSERT_EQ(f.width, 320);
  EXPECT_EQ(f.At(160, 5), Opaque(0x555555));    // dark border, top band
  EXPECT_EQ(f.At(200, 236), Opaque(0x555555));  // bottom band
  // The strips lie under the border picture, whose clear part still darkens
  // what it covers by 1/256: one more pass of the same rounding.
  EXPECT_EQ(f.At(295, 120), Opaque(Opaque(kSidolinjer)));
  EXPECT_EQ(f.At(25, 120), Opaque(Opaque(kLinje)));
  EXPECT_GT(f.Share(280, 216, 320, 240, Opaque(kTecken)), 0.3);  // tecken enters on the right
}

TEST_F(SceneFrames, AFlashWhitensTheWholeFrame) {
  const Frame f = Shot("flash");
  ASSERT_EQ(f.width, 320);
  EXPECT_EQ(f.Share(0, 0, 320, 240, 0xFFFFFF), 1.0);
}

TEST_F(SceneFrames, SceneTwoBlursTheFigureIntoKludd) {
  const Frame f = Shot("scene2");
  ASSERT_EQ(f.width, 320);
  EXPECT_EQ(SharpFigurePixels(f), 0);
  int blue = 0, orange = 0;
  for (int y = 40; y < 180; ++y) {
    for (int x = 60; x < 260; ++x) {
      const uint32_t c = f.At(x, y);
      blue += Ch(c, 0) > 40 && Ch(c, 16) < 8 && Ch(c, 8) < 8;
      orange += Ch(c, 16) > 60 && Ch(c, 16) > Ch(c, 0) && Ch(c, 8) > 10;
    }
  }
  EXPECT_GT(blue, 140 * 200 / 2);
  EXPECT_GT(orange, 20);
}

TEST_F(SceneFrames, SceneThreeIsBlabakWithGreetScrollingLeft) {
  const Frame a = Shot("scene3a"), b = Shot("scene3b");
  ASSERT_EQ(a.width, 320);
  ASSERT_EQ(b.width, 320);
  EXPECT_EQ(a.At(20, 120), Opaque(kBlabak));
  EXPECT_EQ(a.At(160, 5), Opaque(kBlabak));  // over the border
  auto leftEdge = [](const Frame& f) {
    for (int x = 0; x < 320; ++x) {
      if (f.At(x, 120) == Opaque(kGreet)) return x;
    }
    return 320;
  };
  const int ea = leftEdge(a), eb = leftEdge(b);
  EXPECT_LT(ea, 320);
  // A second of song moves greet by about 60 pixels.
  EXPECT_GT(ea - eb, 45);
  EXPECT_LT(ea - eb, 75);
}

TEST_F(SceneFrames, ScenesFourToSixShowTheirGrabakWithTheSharpFigure) {
  const std::map<std::string, uint32_t> expected = {{"scene4", kGrabak1},
                                                    {"scene5", kGrabak2},
                                                    {"scene6", kGrabak3},
                                                    {"scene7", kGrabak1},  // 7 is drawn as 4
                                                    {"scene8", kGrabak2}};
  for (const auto& [name, colour] : expected) {
    const Frame f = Shot(name);
    ASSERT_EQ(f.width, 320) << name;
    EXPECT_GT(f.Share(0, 0, 320, 240, Opaque(colour)), 0.5) << name;
    EXPECT_GT(SharpFigurePixels(f), 20) << name;
  }
}
