// veldraflimmer-render as a program: the timeline it reports, its sound,
// determinism, the MP4 and its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "demo/sync.h"
#include "render_helpers.h"
#include "wav_file.h"

namespace {
// The events of the render shared by the test run (render_once).
std::vector<Event> SharedEvents() {
  return ParseEvents(ReadFile(RENDER_ONCE_DIR "/events.txt"));
}
}  // namespace

TEST(RenderTimeline, AllRecordsFireInOrderAtTheirOwnSongPositions) {
  const std::vector<Event> events = SharedEvents();
  ASSERT_EQ(events.size(), static_cast<size_t>(kSyncRecords));
  for (int i = 0; i < kSyncRecords; ++i) {
    const Event& e = events[i];
    SCOPED_TRACE("record " + std::to_string(i + 1));
    EXPECT_EQ(e.command, sync_data[3 * i + 2]);
    EXPECT_EQ(e.order, sync_data[3 * i]);
    // Due records fire one per frame, so a crowded row may slip by one.
    EXPECT_GE(e.row, sync_data[3 * i + 1]);
    EXPECT_LE(e.row, sync_data[3 * i + 1] + 1);
    if (i > 0) {
      EXPECT_GT(e.frame, events[i - 1].frame);
      EXPECT_GE(e.songMs, events[i - 1].songMs);
    }
  }
}

TEST(RenderTimeline, ScenesChangeAtTheirPositionsAndTheStopEndsTheShowAfterAbout46s) {
  const std::vector<Event> events = SharedEvents();
  ASSERT_EQ(events.size(), static_cast<size_t>(kSyncRecords));
  std::vector<std::pair<int, int>> sceneChanges;
  for (const Event& e : events) {
    if (e.command == kSyncNextScene) sceneChanges.emplace_back(e.order, e.row);
  }
  const std::vector<std::pair<int, int>> expected = {
      {1, 0}, {2, 0}, {4, 0}, {6, 0}, {6, 12}, {6, 32}, {6, 44}, {7, 0}, {7, 12}, {7, 32}, {7, 44}};
  EXPECT_EQ(sceneChanges, expected);

  // Order 1, row 0: the scene changes one frame before the link overlay.
  ASSERT_EQ(events[4].command, kSyncNextScene);
  ASSERT_EQ(events[5].command, kSyncLink);
  EXPECT_EQ(events[5].frame, events[4].frame + 1);

  const Event& stop = events.back();
  EXPECT_EQ(stop.command, kSyncStop);
  EXPECT_EQ(stop.order, 7);
  EXPECT_EQ(stop.row, 62);
  const double seconds = stop.frame / 60.0;  // video time, the sound heard
  EXPECT_GT(seconds, 44.5);
  EXPECT_LT(seconds, 47.5);
  // The song clock drops the fractions of each mixed piece and runs a few
  // per cent slow against the sound.
  EXPECT_GT(stop.songMs, 42000);
  EXPECT_LE(stop.songMs, 47000);
}

TEST(RenderOutput, TwoRendersGiveIdenticalPicturesAndSound) {
  // A second render beside the one shared by the test run, with its pictures.
  const std::string shared = RENDER_ONCE_DIR;
  TempDir a;
  ASSERT_EQ(
      RunCommand(Renderer() + " --quiet --pictures " + shared + "/pictures" +
                 " --png-at 19,5000,25000,40000 --png-dir " + a.path() + " --wav " + (a / "s.wav"))
          .status,
      0);
  for (const char* name : {"at-19.png", "at-5000.png", "at-25000.png", "at-40000.png", "s.wav"}) {
    const std::string first = ReadFile(a / name);
    EXPECT_GT(first.size(), 100u) << name;
    EXPECT_TRUE(first == ReadFile(shared + "/" + name)) << name << " differs";
  }

  EXPECT_EQ(ReadPng(a / "at-5000.png").width, 320);
  // The sound: 735 stereo frames per video frame of the whole show, not silent.
  const WavSound wav = ReadWav(a / "s.wav");
  EXPECT_TRUE(IsCdWav(wav));
  EXPECT_EQ(wav.Frames() % 735, 0u);
  const double seconds = wav.Frames() / 44100.0;
  EXPECT_GT(seconds, 44.5);
  EXPECT_LT(seconds, 47.5);
  const long loud = std::count_if(wav.samples.begin(), wav.samples.end(),
                                  [](int16_t v) { return v > 1000 || v < -1000; });
  EXPECT_GT(loud, static_cast<long>(wav.samples.size() / 50));
}

TEST(RenderOutput, PicturesOnlyStopAfterTheLastRequestedFrame) {
  TempDir dir;
  const RunResult r = RunCommand(Renderer() + " --png-at 1000 --png-dir " + dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("frames rendered"), std::string::npos) << "no progress: " << r.err;
  EXPECT_EQ(ReadPng(dir / "at-1000.png").width, 320);
}

TEST(RenderOutput, Mp4HoldsVideoAndSoundOfTheWholeShow) {
  TempDir dir;
  const std::string mp4 = dir / "show.mp4";
  ASSERT_EQ(RunCommand(Renderer() + " --quiet --fps 10 --scale 1 --out " + mp4).status, 0);
  const RunResult probed = RunCommand(
      "ffprobe -v error -show_entries stream=codec_type,width,height -show_entries "
      "format=duration -of default=noprint_wrappers=1 " +
      mp4);
  ASSERT_EQ(probed.status, 0) << probed.err;
  const std::string& probe = probed.out;
  EXPECT_NE(probe.find("codec_type=video"), std::string::npos) << probe;
  EXPECT_NE(probe.find("codec_type=audio"), std::string::npos) << probe;
  EXPECT_NE(probe.find("width=320"), std::string::npos) << probe;
  EXPECT_NE(probe.find("height=240"), std::string::npos) << probe;
  const size_t at = probe.find("duration=");
  ASSERT_NE(at, std::string::npos);
  const double duration = std::stod(probe.substr(at + 9));
  EXPECT_GT(duration, 44.5);
  EXPECT_LT(duration, 47.5);
  // No temporary files are left beside the output.
  EXPECT_EQ(RunCommand("ls " + dir.path()).out, "show.mp4\n");
}

TEST(RenderCommandLine, HelpExplainsTheOptionsAndMistakesAreRefused) {
  const RunResult helped = RunCommand(Renderer() + " --help");
  EXPECT_EQ(helped.status, 0);
  const std::string& help = helped.out;
  for (const char* option :
       {"--out", "--wav", "--png-at", "--png-dir", "--events", "--null", "--fps"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(RunCommand(Renderer() + " --bogus").status, 2);
  EXPECT_EQ(RunCommand(Renderer() + "").status, 2);
  EXPECT_EQ(RunCommand(Renderer() + " --png-at 10,x").status, 2);
  EXPECT_EQ(RunCommand(Renderer() + " --fps 0 --null").status, 2);
}

TEST(RenderOutput, AFrameAfterTheShowsEndIsReportedAsAFailure) {
  TempDir dir;
  const RunResult r =
      RunCommand(Renderer() + " --quiet --png-at 1000,90000 --png-dir " + dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ended before song time 90000"), std::string::npos) << r.err;
  EXPECT_EQ(ReadPng(dir / "at-1000.png").width, 320);
}

TEST(RenderPictures, AMissingPictureIsNamedAndTheShowGoesOn) {
  TempDir empty, out;
  const RunResult r = RunCommand(Renderer() + " --quiet --pictures " + empty.path() +
                                 " --png-at 2000 --png-dir " + out.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("kludd.raw is missing or short"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("grabak3.raw is missing or short"), std::string::npos) << r.err;
  const Frame frame = ReadPng(out / "at-2000.png");
  ASSERT_EQ(frame.width, 320);
  // Transparent kollademos: the grey noise shows through.
  const uint32_t c = frame.At(160, 150);
  EXPECT_GT(c & 0xFF, 8u);
}
