// ptc_update over the headless back end: activity gating, the row-by-row
// conversion into a back buffer of any format and pitch, lock failures and
// the handling of keys, the pointer and other events and window messages.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "display/convert.h"
#include "headless_fixture.h"

namespace {

using Log = std::vector<std::string>;

constexpr int kW = 5;
constexpr int kH = 3;
const Log kFrameSteps = {"RestoreSurfaces", "LockBackBuffer", "UnlockBackBuffer", "Flip",
                         "Sleep 0"};

// A frame whose every pixel differs, with weight bytes set.
std::vector<uint32_t> TestFrame() {
  std::vector<uint32_t> frame(kW * kH);
  for (size_t i = 0; i < frame.size(); ++i) {
    frame[i] = 0x80000000u | static_cast<uint32_t>(i * 0x0B1D2F + 0x405060);
  }
  return frame;
}

TEST_F(HeadlessTest, NothingIsDrawnUntilTheShowIsActive) {
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  auto frame = TestFrame();
  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Log(), Log{"Sleep 1"});
  EXPECT_EQ(screen.Frames(), 0);

  screen.PostActivate(true);
  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Log(), kFrameSteps);
  EXPECT_EQ(screen.Frames(), 1);

  screen.PostActivate(false);
  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Log(), Log{"Sleep 1"});
  EXPECT_EQ(screen.Frames(), 1);

  // Activation follows the last message of a burst.
  screen.PostActivate(true);
  screen.PostActivate(false);
  screen.PostActivate(true);
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Frames(), 2);

  // The activation message does the same.
  EXPECT_EQ(WndProc(kWmActivateApp, 0, 0), 0);
  EXPECT_EQ(ptc_update(frame.data()), 1);
  WndProc(kWmActivateApp, 1, 0);
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Frames(), 3);
}

// Every screen format, with a pitch that leaves an odd number of padding bytes
// after each row: each row holds its converted source row and the padding is
// never written.
TEST_F(HeadlessTest, RowsAreConvertedIntoAnyFormatAndPitch) {
  const DisplayPixelFormat formats[] = {
      {true, 32, 0xFF0000, 0xFF00, 0xFF}, {true, 32, 0xFF, 0xFF00, 0xFF0000},
      {true, 24, 0xFF0000, 0xFF00, 0xFF}, {true, 24, 0xFF, 0xFF00, 0xFF0000},
      {true, 16, 0xF800, 0x07E0, 0x001F}, {true, 16, 0x001F, 0x07E0, 0xF800},
      {true, 16, 0x7C00, 0x03E0, 0x001F}, {true, 16, 0x001F, 0x03E0, 0x7C00},
  };
  const auto frame = TestFrame();
  for (const DisplayPixelFormat& f : formats) {
    SCOPED_TRACE(testing::Message() << f.bits << " bits, red " << std::hex << f.r);
    HeadlessDisplay local;
    ptc_use_platform(&local);
    local.SetFormatForMode(32, f);
    const int rowBytes = kW * f.bits / 8;
    local.SetPitch(rowBytes + 7);
    ASSERT_EQ(ptc_open("T", kW, kH), 1);
    local.PostActivate(true);
    ASSERT_EQ(ptc_update(const_cast<uint32_t*>(frame.data())), 1);
    ASSERT_EQ(local.Pitch(), rowBytes + 7);

    const ptc_converter convert = ptc_request_converter(f.bits, f.r, f.g, f.b);
    for (int y = 0; y < kH; ++y) {
      const uint8_t* row = local.Presented() + y * local.Pitch();
      std::vector<uint8_t> expected(static_cast<size_t>(rowBytes));
      convert(&frame[static_cast<size_t>(y * kW)], expected.data(), kW);
      EXPECT_EQ(std::memcmp(row, expected.data(), expected.size()), 0) << "row " << y;
      for (int i = rowBytes; i < local.Pitch(); ++i) {
        EXPECT_EQ(row[i], HeadlessDisplay::kUntouched) << "row " << y << " byte " << i;
      }
    }
    ptc_close();
    EXPECT_EQ(local.Misuses(), 0);
    ptc_use_platform(&screen);
  }
}

TEST_F(HeadlessTest, TightRowsOf32BitsAreTheFrameItself) {
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.PostActivate(true);
  auto frame = TestFrame();
  ASSERT_EQ(ptc_update(frame.data()), 1);
  ASSERT_EQ(screen.Pitch(), kW * 4);
  EXPECT_EQ(std::memcmp(screen.Presented(), frame.data(), frame.size() * 4), 0);
  // An offline renderer reads the last frame after closing.
  ptc_close();
  ASSERT_NE(screen.Presented(), nullptr);
  EXPECT_EQ(std::memcmp(screen.Presented(), frame.data(), frame.size() * 4), 0);
}

TEST_F(HeadlessTest, AFailedLockSkipsTheFrameAndTheNextCallTriesAgain) {
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.PostActivate(true);
  auto frame = TestFrame();
  screen.Fail(HeadlessDisplay::Step::kLock, 1);
  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 0);
  EXPECT_EQ(screen.Log(), (Log{"RestoreSurfaces", "LockBackBuffer failed"}));
  EXPECT_EQ(screen.Frames(), 0);

  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Log(), kFrameSteps);
  EXPECT_EQ(screen.Frames(), 1);
}

TEST_F(HeadlessTest, ABackBufferNarrowerThanARowIsNotWrittenThrough) {
  screen.SetPitch(kW * 4 - 1);
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.PostActivate(true);
  auto frame = TestFrame();
  screen.ClearLog();
  EXPECT_EQ(ptc_update(frame.data()), 0);
  EXPECT_EQ(screen.Log(), (Log{"RestoreSurfaces", "LockBackBuffer", "UnlockBackBuffer"}));
  for (int i = 0; i < kW * 4 * kH; ++i) ASSERT_EQ(screen.Back()[i], HeadlessDisplay::kUntouched);
}

TEST_F(HeadlessTest, NoFrameOrNoDisplayDrawsNothing) {
  uint32_t pixel = 0;
  EXPECT_EQ(ptc_update(&pixel), 0);  // never opened
  EXPECT_TRUE(screen.Log().empty());

  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.PostActivate(true);
  screen.ClearLog();
  EXPECT_EQ(ptc_update(nullptr), 0);
  EXPECT_EQ(screen.Frames(), 0);
  EXPECT_TRUE(screen.Log().empty());

  ptc_close();
  screen.ClearLog();
  screen.PostActivate(true);
  EXPECT_EQ(ptc_update(&pixel), 0);  // closed: not even the event queue is read
  EXPECT_TRUE(screen.Log().empty());
}

TEST_F(HeadlessTest, OtherKeysAreSwallowedAndChangeNothing) {
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.PostActivate(true);
  screen.Post(DisplayEvent::kOtherKey);
  screen.ClearLog();
  for (unsigned key : {0u, 'A' + 0u, 0x1Au, 0x1Cu, 0x100u, 0xFFu}) {
    EXPECT_EQ(WndProc(kWmKeyDown, key, 0), 0) << key;
  }
  auto frame = TestFrame();
  EXPECT_EQ(ptc_update(frame.data()), 1);
  EXPECT_EQ(screen.Log(), kFrameSteps);
  EXPECT_FALSE(screen.Exited());
}

TEST_F(HeadlessTest, PointerIsHiddenAndOtherMessagesGetDefaultHandling) {
  ASSERT_EQ(ptc_open("T", kW, kH), 1);
  screen.Post(DisplayEvent::kPointerEnter);
  screen.ClearLog();
  EXPECT_EQ(ptc_update(nullptr), 1);
  EXPECT_EQ(screen.Log(), (Log{"HideCursor", "Sleep 1"}));
  EXPECT_TRUE(screen.CursorHidden());

  // So does its message; the window's own procedure handles any other one.
  screen.ClearLog();
  EXPECT_EQ(WndProc(kWmSetCursor, 0, 0), 0);
  for (unsigned message : {0x0u, 0x1u, 0xFu, 0x11u, 0x1Bu, 0x1Du, 0x1Fu, 0x21u, 0x101u, 0x200u}) {
    EXPECT_EQ(WndProc(message, 1, 0), 0) << message;
  }
  EXPECT_EQ(ptc_update(nullptr), 1);
  EXPECT_EQ(screen.Log(), (Log{"HideCursor", "Sleep 1"}));
  EXPECT_FALSE(screen.Exited());
}

}  // namespace
