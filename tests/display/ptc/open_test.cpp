// ptc_open over the headless back end: the order of steps, the fallbacks of
// screen depth and flip chain, and that every failure leaves nothing behind.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "headless_fixture.h"

namespace {

using Step = HeadlessDisplay::Step;
using Log = std::vector<std::string>;

TEST_F(HeadlessTest, OpensInOrderAndSwitchesTheScreenSaverOff) {
  ASSERT_EQ(ptc_open("VELDRAFLIMMER", 320, 240), 1);
  EXPECT_EQ(screen.Log(), (Log{"LoadBackEnd", "OpenDevice", "OpenWindow VELDRAFLIMMER",
                               "TakeScreen", "SetScreenMode 320x240x32", "CreateFlipChain 2",
                               "FindBackBuffer", "ReadScreenFormat", "AllowScreenSaver 0"}));
  EXPECT_FALSE(screen.ScreenSaverOn());
  EXPECT_EQ(screen.Format().bits, 32);

  ptc_close();
  EXPECT_EQ(LogFrom("ReleaseFlipChain"), kReleaseAll);
  EXPECT_TRUE(screen.ScreenSaverOn());
  EXPECT_EQ(screen.Held(), 0);
}

TEST_F(HeadlessTest, ScreenDepthFallsBackFrom32To24To16) {
  screen.Fail(Step::kMode32);
  ASSERT_EQ(ptc_open("T", 8, 2), 1);
  EXPECT_EQ(screen.Format().bits, 24);
  ptc_close();

  screen.ClearLog();
  screen.Fail(Step::kMode24);
  // A 16-bit screen that turns out to be 5-5-5 gets the 5-5-5 converter.
  screen.SetFormatForMode(16, {true, 16, 0x7C00, 0x03E0, 0x001F});
  ASSERT_EQ(ptc_open("T", 8, 2), 1);
  EXPECT_EQ(
      LogFrom("SetScreenMode 8x2x32 failed"),
      (Log{"SetScreenMode 8x2x32 failed", "SetScreenMode 8x2x24 failed", "SetScreenMode 8x2x16",
           "CreateFlipChain 2", "FindBackBuffer", "ReadScreenFormat", "AllowScreenSaver 0"}));

  std::vector<uint32_t> frame(16, 0x00FFFFFF);
  screen.PostActivate(true);
  ASSERT_EQ(ptc_update(frame.data()), 1);
  uint16_t first;
  std::memcpy(&first, screen.Presented(), 2);
  EXPECT_EQ(first, 0x7FFF);
}

TEST_F(HeadlessTest, NoScreenDepthMeansNoDisplay) {
  screen.Fail(Step::kMode32);
  screen.Fail(Step::kMode24);
  screen.Fail(Step::kMode16);
  EXPECT_EQ(ptc_open("T", 320, 240), 0);
  EXPECT_EQ(LogFrom("SetScreenMode 320x240x16 failed"),
            (Log{"SetScreenMode 320x240x16 failed", "RestoreScreenMode", "GiveBackScreen",
                 "CloseDevice", "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}));
  EXPECT_EQ(screen.Held(), 0);
}

TEST_F(HeadlessTest, FlipChainFallsBackToOneBackBuffer) {
  screen.Fail(Step::kChain2);
  ASSERT_EQ(ptc_open("T", 320, 240), 1);
  EXPECT_EQ(LogFrom("CreateFlipChain 2 failed"),
            (Log{"CreateFlipChain 2 failed", "CreateFlipChain 1", "FindBackBuffer",
                 "ReadScreenFormat", "AllowScreenSaver 0"}));
}

TEST_F(HeadlessTest, ASurfaceWithoutChainCannotSupplyABackBuffer) {
  screen.Fail(Step::kChain2);
  screen.Fail(Step::kChain1);
  EXPECT_EQ(ptc_open("T", 320, 240), 0);
  EXPECT_EQ(
      LogFrom("CreateFlipChain 0"),
      (Log{"CreateFlipChain 0", "FindBackBuffer failed", "ReleaseFlipChain", "RestoreScreenMode",
           "GiveBackScreen", "CloseDevice", "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}));
  EXPECT_EQ(screen.Held(), 0);

  screen.ClearLog();
  screen.Fail(Step::kChain0);
  EXPECT_EQ(ptc_open("T", 320, 240), 0);
  EXPECT_EQ(LogFrom("CreateFlipChain 0 failed"),
            (Log{"CreateFlipChain 0 failed", "RestoreScreenMode", "GiveBackScreen", "CloseDevice",
                 "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}));
}

// Each failing step: ptc_open returns 0 at once, releases exactly what it had
// acquired, says so once, never touches the screen saver, and a following
// ptc_update or ptc_close does nothing.
TEST_F(HeadlessTest, EveryFailureReleasesWhatWasAcquired) {
  struct Case {
    Step step;
    Log tail;  // log from the failing step to the end
  };
  const Case cases[] = {
      {Step::kLoadBackEnd, {"LoadBackEnd failed", "ReportOpenFailure"}},
      {Step::kOpenDevice, {"OpenDevice failed", "UnloadBackEnd", "ReportOpenFailure"}},
      {Step::kOpenWindow,
       {"OpenWindow T failed", "RestoreScreenMode", "GiveBackScreen", "CloseDevice",
        "UnloadBackEnd", "ReportOpenFailure"}},
      {Step::kTakeScreen,
       {"TakeScreen failed", "RestoreScreenMode", "GiveBackScreen", "CloseDevice", "CloseWindow",
        "UnloadBackEnd", "ReportOpenFailure"}},
      {Step::kBackBuffer,
       {"FindBackBuffer failed", "ReleaseFlipChain", "RestoreScreenMode", "GiveBackScreen",
        "CloseDevice", "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}},
      {Step::kScreenFormat,
       {"ReadScreenFormat failed", "ReleaseFlipChain", "RestoreScreenMode", "GiveBackScreen",
        "CloseDevice", "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}},
  };
  for (const Case& c : cases) {
    HeadlessDisplay local;
    ptc_use_platform(&local);
    local.Fail(c.step);
    SCOPED_TRACE(c.tail.front());
    EXPECT_EQ(ptc_open("T", 320, 240), 0);
    const Log& log = local.Log();
    ASSERT_GE(log.size(), c.tail.size());
    EXPECT_EQ(Log(log.end() - static_cast<long>(c.tail.size()), log.end()), c.tail);
    EXPECT_EQ(local.Held(), 0);
    EXPECT_EQ(local.Misuses(), 0);
    EXPECT_TRUE(local.ScreenSaverOn());

    const size_t before = log.size();
    uint32_t pixel = 0;
    local.PostActivate(true);
    EXPECT_EQ(ptc_update(&pixel), 0);
    ptc_close();
    ptc_close();
    EXPECT_EQ(local.Log().size(), before);
    ptc_use_platform(&screen);
  }
}

TEST_F(HeadlessTest, ScreenFormatsWithoutConverterAreRefused) {
  const DisplayPixelFormat formats[] = {
      {false, 32, 0xFF0000, 0xFF00, 0xFF},  // not RGB
      {true, 32, 0xFF000000, 0xFF0000, 0xFF00},
      {true, 15, 0x7C00, 0x03E0, 0x001F},  // 5-5-5 must be reported as 16
      {true, 24, 0xF800, 0x07E0, 0x001F},
  };
  for (const DisplayPixelFormat& f : formats) {
    screen.SetFormatForMode(32, f);
    screen.ClearLog();
    EXPECT_EQ(ptc_open("T", 320, 240), 0) << f.bits;
    EXPECT_EQ(LogFrom("ReadScreenFormat"),
              (Log{"ReadScreenFormat", "ReleaseFlipChain", "RestoreScreenMode", "GiveBackScreen",
                   "CloseDevice", "CloseWindow", "UnloadBackEnd", "ReportOpenFailure"}));
    EXPECT_TRUE(screen.ScreenSaverOn());
  }
}

TEST_F(HeadlessTest, UnusableArgumentsAreRefusedBeforeAnyPlatformStep) {
  EXPECT_EQ(ptc_open(nullptr, 320, 240), 0);
  EXPECT_EQ(ptc_open("T", 0, 240), 0);
  EXPECT_EQ(ptc_open("T", 320, -1), 0);
  EXPECT_EQ(ptc_open("T", 1 << 20, 240), 0);
  EXPECT_EQ(screen.Log(), (Log(4, "ReportOpenFailure")));
}

TEST_F(HeadlessTest, ClosingIsHarmlessWhenNothingIsOpenAndWhenRepeated) {
  ptc_close();
  EXPECT_TRUE(screen.Log().empty());
  ASSERT_EQ(ptc_open("T", 4, 4), 1);
  ptc_close();
  const size_t after = screen.Log().size();
  ptc_close();
  EXPECT_EQ(screen.Log().size(), after);
  EXPECT_EQ(screen.Held(), 0);
}

TEST_F(HeadlessTest, OpeningAgainClosesTheFirstDisplay) {
  ASSERT_EQ(ptc_open("T", 4, 4), 1);
  screen.ClearLog();
  ASSERT_EQ(ptc_open("T", 4, 4), 1);
  Log expected = kReleaseAll;
  expected.push_back("LoadBackEnd");
  EXPECT_EQ(Log(screen.Log().begin(), screen.Log().begin() + 8), expected);
  EXPECT_EQ(screen.Held(), 4);
}

}  // namespace
