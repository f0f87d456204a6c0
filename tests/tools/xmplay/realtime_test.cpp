// xmplay in real time through SDL's disk audio driver: it shows the heard
// position, ends by itself when the song loops back, and ends cleanly on
// Ctrl-C.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>

#include "run_xmplay.h"

namespace {

TEST(XmplayRealTimeTest, PlaysUntilTheSongLoopsBack) {
  // 16 rows x speed 3 at 125 BPM: 42,336 frames, just under a second.
  const std::string song = WriteSong(SquareSong(1, 16, 3, 125), "realtime.xm");
  const std::string raw = TempPath("realtime.raw");
  const std::string err = TempPath("realtime_err.txt");
  const auto start = std::chrono::steady_clock::now();
  Child xmplay = Start({"sh", "-c", "exec " XMPLAY_PATH " " + song + " 2>" + err},
                       {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw});
  // It ends by itself; a loaded machine may take its time.
  ASSERT_EQ(WaitFor(xmplay, 120.0), 0) << ReadFile(err);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(seconds, 0.8);  // played in real time, not faster
  const std::string status = ReadFile(err);
  EXPECT_NE(status.find("order   0  row "), std::string::npos) << status;
  EXPECT_NE(status.find('\r'), std::string::npos);

  // What the audio device was handed is what the offline render writes.
  const std::vector<int16_t> heard = AfterSilence(ReadRawSound(raw));
  const std::string wav = TempPath("realtime.wav");
  ASSERT_EQ(RunXmplay(song + " --wav " + wav).status, 0);
  const std::vector<int16_t> whole = ReadWav(wav).samples;
  ASSERT_EQ(whole.size(), 42336u * 2);
  const std::vector<int16_t> rendered = AfterSilence(whole);
  ASSERT_FALSE(heard.empty()) << "the device was handed only silence";
  // Stopping is polled: the device may have been handed a little less or more.
  const size_t length = std::min(rendered.size(), heard.size());
  ASSERT_GT(length, whole.size() * 9 / 10) << "the song was not heard to its end";
  EXPECT_TRUE(std::equal(heard.begin(), heard.begin() + length, rendered.begin()));
}

TEST(XmplayRealTimeTest, WithoutAnAudioDeviceItRunsOnTheClockAndSaysSoOnce) {
  const std::string song = WriteSong(SquareSong(8, 64, 6, 125), "silent.xm");
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = RunXmplay(song + " --seconds 0.6", "SDL_AUDIODRIVER=no-such-driver");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_GE(seconds, 0.6);  // paced by the clock
  const std::string notice = "no audio device could be opened";
  const size_t first = r.err.find(notice);
  ASSERT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(notice, first + 1), std::string::npos);
  // The heard position moved on with the clock.
  EXPECT_EQ(r.err.find("time 0:00.0", r.err.rfind('\r')), std::string::npos) << r.err;
}

TEST(XmplayRealTimeTest, CtrlCStopsCleanly) {
  const std::string song = WriteSong(SquareSong(8, 64, 6, 125), "long.xm");  // about 61 s
  const std::string raw = TempPath("interrupted.raw");
  const std::string err = TempPath("interrupted_err.txt");
  Child xmplay = Start({"sh", "-c", "exec " XMPLAY_PATH " " + song + " 2>" + err},
                       {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw});
  ASSERT_GT(xmplay.pid, 0);
  // The handler is in place before the first position line: wait for it.
  const bool playing =
      WaitUntil([&] { return ReadFile(err).find("order") != std::string::npos; }, 120.0);
  if (!playing) Stop(xmplay);
  ASSERT_TRUE(playing) << "xmplay never showed its position: " << ReadFile(err);
  kill(xmplay.pid, SIGINT);
  EXPECT_EQ(WaitFor(xmplay, 60.0), 0) << "xmplay did not stop cleanly on SIGINT";
  EXPECT_EQ(ReadFile(err).back(), '\n');  // the position line is ended
}

}  // namespace
