// The animation values that move every frame, and their wraps.
#include <gtest/gtest.h>

#include "demo/scenes.h"

TEST(Animation, FirstFrameWrapsTheSecondLineStripAtOnce) {
  Animation a;
  a.Advance(0);
  EXPECT_EQ(a.lineY2, -250.0);  // 250 is already at the limit
  EXPECT_EQ(a.lineY1, 0.0);
  EXPECT_EQ(a.sideY2, 250.0);
}

TEST(Animation, SideStripReachingMinus250BecomesPlus250) {
  Animation a;
  a.sideY1 = -249.0;
  a.Advance(5);  // 0.2 x 5 = 1
  EXPECT_EQ(a.sideY1, 250.0);
  a.sideY1 = -248.0;
  a.Advance(5);
  EXPECT_EQ(a.sideY1, -249.0);  // not yet
}

TEST(Animation, LineStripReaching250BecomesMinus250) {
  Animation a;
  a.lineY1 = 248.0;
  a.Advance(4);  // 0.5 x 4 = 2
  EXPECT_EQ(a.lineY1, -250.0);
  a.lineY1 = 247.0;
  a.Advance(4);
  EXPECT_EQ(a.lineY1, 249.0);
}

TEST(Animation, PairsStay250ApartAndEveryValueMovesByItsRate) {
  Animation a;
  a.Advance(10);
  EXPECT_EQ(a.angle, 10.0f);
  EXPECT_DOUBLE_EQ(a.sideY1, -2.0);
  EXPECT_DOUBLE_EQ(a.sideY2, 248.0);
  EXPECT_DOUBLE_EQ(a.lineY1, 5.0);
  EXPECT_DOUBLE_EQ(a.lineY2, -245.0);
  // Only the drawing of their layers moves these.
  EXPECT_EQ(a.teckenX, 320.0f);
  EXPECT_EQ(a.greetX, 320.0f);
  EXPECT_EQ(a.azimuthStep, 1.0f);
}

TEST(Animation, OneLargeStepIsCorrectedOnceAFrameNotInALoop) {
  Animation a;
  a.Advance(3000);  // sideY1 -600, lineY1 +1500
  EXPECT_DOUBLE_EQ(a.sideY1, -100.0);
  EXPECT_DOUBLE_EQ(a.lineY1, 1000.0);  // still out of range for this frame
  a.Advance(0);
  EXPECT_DOUBLE_EQ(a.lineY1, 500.0);
  a.Advance(0);
  EXPECT_DOUBLE_EQ(a.lineY1, 0.0);
}

TEST(Animation, ANegativeStepMovesBackwards) {
  Animation a;
  a.Advance(-1);
  EXPECT_EQ(a.angle, -1.0f);
  EXPECT_DOUBLE_EQ(a.sideY1, 0.2);
  EXPECT_DOUBLE_EQ(a.lineY1, -0.5);
}
