// The shutdown sequence run by the window procedure on Escape or close: the
// display is closed first, then the show's after-close step, then the process
// ends with status 0, and nothing of the display is touched afterwards.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "headless_fixture.h"

namespace {

using Log = std::vector<std::string>;

HeadlessDisplay* noteTarget = nullptr;
void NoteAfterClose() {
  noteTarget->Note("afterClose");
}

class ShutdownTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    noteTarget = &screen;
    ptc_set_shutdown(NoteAfterClose);
    Open();
  }

  void Open() {
    ASSERT_EQ(ptc_open("T", 4, 4), 1);
    screen.PostActivate(true);
    screen.ClearLog();
  }

  // Runs `ending` and checks the whole sequence it starts.
  void ExpectShutdownBy(const std::function<void()>& ending) {
    ending();
    Log expected = kReleaseAll;
    expected.push_back("afterClose");
    expected.push_back("EndProcess 0");
    EXPECT_EQ(screen.Log(), expected);
    EXPECT_TRUE(screen.Exited());
    EXPECT_EQ(screen.ExitStatus(), 0);
    EXPECT_EQ(screen.Frames(), 0);
    EXPECT_EQ(screen.Held(), 0);
    EXPECT_TRUE(screen.ScreenSaverOn());

    // Later calls find the display closed.
    screen.ClearLog();
    std::vector<uint32_t> frame(16, 0x00FFFFFF);
    EXPECT_EQ(ptc_update(frame.data()), 0);
    ptc_close();
    EXPECT_TRUE(screen.Log().empty());
  }

  // Runs one update with `ending` queued between other events.
  void ExpectShutdownOn(DisplayEvent ending) {
    screen.Post(ending);
    screen.PostActivate(true);  // must never be handled: the process has ended
    screen.Post(DisplayEvent::kEscapeKey);
    ExpectShutdownBy([] {
      std::vector<uint32_t> frame(16, 0x00FFFFFF);
      EXPECT_EQ(ptc_update(frame.data()), 0);
    });
  }
};

TEST_F(ShutdownTest, EscapeClosesThenRunsTheAfterCloseStepThenExits) {
  ExpectShutdownOn(DisplayEvent::kEscapeKey);
}

TEST_F(ShutdownTest, OnlyTheLowByteOfTheKeyCodeCounts) {
  ExpectShutdownBy([] { EXPECT_EQ(WndProc(kWmKeyDown, 0x100 | kVkEscape, 0), 0); });
}

TEST_F(ShutdownTest, ClosingTheWindowEndsTheSameWay) {
  ExpectShutdownOn(DisplayEvent::kClose);
  Open();
  ExpectShutdownBy([] { WndProc(kWmClose, 0, 0); });
}

TEST_F(ShutdownTest, WithoutAnAfterCloseStepTheDisplayStillClosesBeforeExit) {
  ptc_set_shutdown(nullptr);
  screen.Post(DisplayEvent::kClose);
  EXPECT_EQ(ptc_update(nullptr), 0);
  Log expected = kReleaseAll;
  expected.push_back("EndProcess 0");
  EXPECT_EQ(screen.Log(), expected);
}

// Without a platform to end it, the process itself ends with status 0.
TEST(ShutdownDeathTest, WithoutAPlatformTheProcessEndsWithZero) {
  ptc_use_platform(nullptr);
  EXPECT_EXIT(WndProc(kWmKeyDown, kVkEscape, 0), testing::ExitedWithCode(0), "");
}

}  // namespace
