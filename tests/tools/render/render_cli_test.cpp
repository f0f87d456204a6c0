// veldraflimmer-render as a user meets it: options that cannot go together,
// failures while writing (each one line, exit status 1, no files left behind),
// its progress on a terminal and in a log, and the enlarged video. The runs
// are short (--until) to keep the suite cheap.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "render_helpers.h"

namespace {

// Runs the renderer with `args` and `env` assignments in front.
RunResult RunRenderer(const std::string& args, const std::string& env = "") {
  return RunCommand(env + " " + Renderer() + " " + args);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

TEST(RenderCommandLine, OptionsThatCannotGoTogetherAreRefusedInOneLine) {
  TempDir dir;
  const std::string d = dir.path();
  struct Case {
    std::string args;
    std::string reason;  // empty: accepted (the run is short and writes into `dir`)
  };
  const Case cases[] = {
      {"--png-at 1500 --null", "--null writes no file: it cannot go with --png-at"},
      {"--null --out " + d + "/v.mp4", "--null writes no file: it cannot go with --out"},
      {"--null --wav " + d + "/s.wav", "--null writes no file: it cannot go with --wav"},
      {"--null --events --png-dir " + d, "--null writes no file: it cannot go with --png-dir"},
      {"--null --scale 2", "--null writes no file: it cannot go with --scale"},
      {"--wav " + d + "/s.wav --scale 2", "--scale sizes the video: it needs --out"},
      {"--events --png-dir " + d, "--png-dir is the folder of --png-at: it needs --png-at"},
      {"--out " + d + "/a --wav " + d + "/a", "--out and --wav name the same file"},
      {"--png-at 100,900 --until 500", "--until 500 stops before --png-at 900"},
      {"--scale 0 --out " + d + "/v.mp4", "--scale takes a whole number from 1 to 8"},
      {"--scale 9 --out " + d + "/v.mp4", "--scale takes a whole number from 1 to 8"},
      {"--frobnicate", "unknown option --frobnicate (see --help)"},
      {"", "nothing to do: give --out, --wav, --png-at, --events or --null"},
      // Accepted: the pairs above are refused for what they are, not for
      // their options alone.
      {"--null --events --until 100", ""},
      {"--png-at 100 --png-dir " + d + " --wav " + d + "/s.wav --until 200", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const RunResult r = RunRenderer("--quiet " + c.args);
    if (c.reason.empty()) {
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(r.err, "veldraflimmer-render: " + c.reason + "\n");
    }
  }
}

TEST(RenderFailures, AFailedWriteIsOneLineWithStatusOneAndLeavesNoScratchFiles) {
  TempDir dir, scratch, fakeBin, emptyBin;
  const std::string d = dir.path();
  // A picture whose file is the full device: the write fails part-way.
  const std::string full = FullDevice();
  ASSERT_FALSE(full.empty());
  std::filesystem::create_symlink(full, dir / "at-1000.png");
  // An ffmpeg that refuses to work, saying why.
  const std::string fake = fakeBin / "ffmpeg";
  ASSERT_TRUE(WriteFile(fake, "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n"));
  std::filesystem::permissions(fake, std::filesystem::perms::owner_all);

  struct Case {
    const char* what;
    std::string args;
    std::string path;  // in front of PATH
    std::string line;  // the whole of stderr, or its start when it ends in "..."
  };
  const Case cases[] = {
      {"sound to a full disk", "--wav " + full + " --until 1000", "", "cannot write " + full},
      {"picture to a full disk", "--png-at 1000 --png-dir " + d, "",
       "cannot write " + d + "/at-1000.png"},
      {"video to a full disk", "--out " + full + " --scale 1 --fps 10 --until 500", "",
       "ffmpeg: ...No space left on device"},
      {"no ffmpeg", "--out " + d + "/v.mp4 --until 500", emptyBin.path(),
       "ffmpeg not found (it encodes --out videos)"},
      {"ffmpeg fails", "--out " + d + "/v.mp4 --until 500", fakeBin.path(),
       "ffmpeg: Unknown encoder libx264"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string env = "TMPDIR=" + scratch.path();
    if (!c.path.empty()) env += " PATH=" + c.path;
    const RunResult r = RunRenderer("--quiet " + c.args, env);
    const std::string& err = r.err;
    EXPECT_EQ(r.status, 1) << err;
    const std::string prefix = "veldraflimmer-render: ";
    const size_t dots = c.line.find("...");
    ASSERT_EQ(Lines(err).size(), 1u) << err;
    if (dots == std::string::npos) {
      EXPECT_EQ(err, prefix + c.line + "\n");
    } else {
      EXPECT_EQ(err.substr(0, prefix.size() + dots), prefix + c.line.substr(0, dots)) << err;
      EXPECT_NE(err.find(c.line.substr(dots + 3)), std::string::npos) << err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << "scratch files left behind";
    EXPECT_FALSE(Exists(dir / "v.mp4")) << "an output without a video";
  }
}

TEST(RenderProgressOutput, ABarOnATerminalAndPlainLinesInALog) {
  // A fifth of the show, rendered without output: fast, and long enough for
  // the log to get its lines at 10% and 20%.
  // The log is stderr captured through a pipe, as a redirection to a file.
  const RunResult log = RunCommand(Renderer() + " --null --until 10000");
  ASSERT_EQ(log.status, 0) << log.err;
  const RunResult terminal = RunOnTerminal({Renderer(), "--null", "--until", "10000"});
  ASSERT_EQ(terminal.status, 0) << terminal.out;

  struct Case {
    const char* where;
    std::string output;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      {"log",
       log.err,
       {"rendered  10%  frame ", "\nrendered  20%  frame ", " frames rendered in "},
       {"\r", "["}},
      {"terminal",
       terminal.out,
       {"\r[####....", "%  frame ", " frames rendered in "},
       {"rendered  10%"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    for (const std::string& s : c.present) EXPECT_NE(c.output.find(s), std::string::npos) << s;
    for (const std::string& s : c.absent) EXPECT_EQ(c.output.find(s), std::string::npos) << s;
  }
}

TEST(RenderVideo, TheVideoIsTheRenderedFrameEnlargedWithHardPixelEdges) {
  // The last frame of a video stopped with --until T is the frame --png-at T
  // writes. Decoded, each of its pixels is compared with the rendered pixel
  // it enlarges: the grey noise of the title changes every pixel, so any
  // smoothing, offset or wrong size shows. A pixel counts as close within
  // `levels` in every channel. Smoothing alone (a bicubic enlargement, no
  // encoding) leaves 42% of the pixels within 8 at scale 4; the 4:2:0 chroma
  // of an unscaled video keeps about 70% within 24 on this coloured noise.
  struct Case {
    const char* scale;  // the option given, "" for the default
    int factor;
    int levels;
    double minClose;
  };
  const Case cases[] = {
      {"", 4, 8, 0.90},
      {"--scale 2", 2, 8, 0.85},
      {"--scale 1", 1, 24, 0.50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.factor);
    TempDir dir;
    const std::string video = dir / "v.mp4";
    const RunResult rendering =
        RunCommand(Renderer() + " --quiet --fps 10 --until 1000 --png-at 1000 --png-dir " +
                   dir.path() + " --out " + video + " " + c.scale);
    ASSERT_EQ(rendering.status, 0) << rendering.err;
    const Frame rendered = ReadPng(dir / "at-1000.png");
    ASSERT_EQ(rendered.width, 320);
    const RunResult probe = RunCommand(
        "ffprobe -v error -select_streams v -show_entries "
        "stream=width,height,pix_fmt,color_space -of csv=p=0 " +
        video);
    ASSERT_EQ(probe.status, 0) << probe.err;
    const int width = 320 * c.factor, height = 240 * c.factor;
    EXPECT_EQ(probe.out, std::to_string(width) + "," + std::to_string(height) + ",yuv420p,bt709\n");

    const std::string raw = dir / "end.rgb";
    const RunResult decoding = RunCommand("ffmpeg -v error -sseof -0.3 -i " + video +
                                          " -f rawvideo -pix_fmt rgb24 " + raw);
    ASSERT_EQ(decoding.status, 0) << decoding.err;
    const std::vector<unsigned char> bytes = ReadFile<std::vector<unsigned char>>(raw);
    const size_t frameBytes = static_cast<size_t>(width) * height * 3;
    ASSERT_GE(bytes.size(), frameBytes);
    const unsigned char* last = bytes.data() + bytes.size() - frameBytes;
    long close = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t want = rendered.At(x / c.factor, y / c.factor);
        const unsigned char* got = last + (static_cast<size_t>(y) * width + x) * 3;
        bool near = true;
        for (int ch = 0; ch < 3; ++ch) {
          near = near &&
                 std::abs(got[ch] - static_cast<int>(want >> (16 - 8 * ch) & 0xFF)) <= c.levels;
        }
        close += near;
      }
    }
    EXPECT_GE(static_cast<double>(close) / (width * height), c.minClose);
  }
}

}  // namespace
