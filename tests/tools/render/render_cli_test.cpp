// veldraflimmer-render as a user meets it: options that cannot go together,
// failures while writing (each one line, exit status 1, no files left behind),
// its progress on a terminal and in a log, and the enlarged video. The runs
// are short (--until) to keep the suite cheap.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render_helpers.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// Runs the renderer with `args`, stdout discarded; returns the exit status
// and stderr.
int RunRenderer(const std::string& args, std::string* err, const std::string& env = "") {
  return RunCommand(env + " " + Renderer() + " " + args + " 2>&1 >/dev/null", err);
}

std::string ReadText(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
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
    std::string err;
    const int status = RunRenderer("--quiet " + c.args, &err);
    if (c.reason.empty()) {
      EXPECT_EQ(status, 0) << err;
      EXPECT_EQ(err, "");
    } else {
      EXPECT_EQ(status, 2);
      EXPECT_EQ(err, "veldraflimmer-render: " + c.reason + "\n");
    }
  }
}

TEST(RenderFailures, AFailedWriteIsOneLineWithStatusOneAndLeavesNoScratchFiles) {
  TempDir dir, scratch, fakeBin, emptyBin;
  const std::string d = dir.path();
  // A picture whose file is the full device: the write fails part-way.
  std::filesystem::create_symlink("/dev/full", d + "/at-1000.png");
  // An ffmpeg that refuses to work, saying why.
  const std::string fake = fakeBin.path() + "/ffmpeg";
  std::ofstream(fake) << "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n";
  std::filesystem::permissions(fake, std::filesystem::perms::owner_all);

  struct Case {
    const char* what;
    std::string args;
    std::string path;  // in front of PATH
    std::string line;  // the whole of stderr, or its start when it ends in "..."
  };
  const Case cases[] = {
      {"sound to a full disk", "--wav /dev/full --until 1000", "", "cannot write /dev/full"},
      {"picture to a full disk", "--png-at 1000 --png-dir " + d, "",
       "cannot write " + d + "/at-1000.png"},
      {"video to a full disk", "--out /dev/full --scale 1 --fps 10 --until 500", "",
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
    std::string err;
    EXPECT_EQ(RunRenderer("--quiet " + c.args, &err, env), 1) << err;
    const std::string prefix = "veldraflimmer-render: ";
    const size_t dots = c.line.find("...");
    ASSERT_EQ(SplitLines(err).size(), 1u) << err;
    if (dots == std::string::npos) {
      EXPECT_EQ(err, prefix + c.line + "\n");
    } else {
      EXPECT_EQ(err.substr(0, prefix.size() + dots), prefix + c.line.substr(0, dots)) << err;
      EXPECT_NE(err.find(c.line.substr(dots + 3)), std::string::npos) << err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << "scratch files left behind";
    EXPECT_FALSE(Exists(d + "/v.mp4")) << "an output without a video";
  }
}

// Runs `program` with `args` on a new pseudo-terminal; returns all it printed.
std::string RunOnTerminal(const std::string& program, std::vector<std::string> args, int* status) {
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  std::string out;
  if (pid < 0) return out;
  char buffer[4096];
  ssize_t n;
  // The end of the output shows as an error (EIO) once the program has gone.
  while ((n = read(terminal, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) out.append(buffer, static_cast<size_t>(n));
  }
  close(terminal);
  int raw = 0;
  waitpid(pid, &raw, 0);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

TEST(RenderProgressOutput, ABarOnATerminalAndPlainLinesInALog) {
  // A fifth of the show, rendered without output: fast, and long enough for
  // the log to get its lines at 10% and 20%.
  const std::vector<std::string> args = {"--null", "--until", "10000"};
  TempDir dir;
  const std::string log = dir.path() + "/log.txt";
  std::string command = Renderer();
  for (const std::string& a : args) command += " " + a;
  ASSERT_EQ(RunCommand(command + " 2>" + log), 0);
  int status = -1;
  const std::string terminal = RunOnTerminal(Renderer(), args, &status);
  ASSERT_EQ(status, 0) << terminal;

  struct Case {
    const char* where;
    std::string output;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      {"log",
       ReadText(log),
       {"rendered  10%  frame ", "\nrendered  20%  frame ", " frames rendered in "},
       {"\r", "["}},
      {"terminal",
       terminal,
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
    const std::string video = dir.path() + "/v.mp4";
    ASSERT_EQ(RunCommand(Renderer() + " --quiet --fps 10 --until 1000 --png-at 1000 --png-dir " +
                         dir.path() + " --out " + video + " " + c.scale),
              0);
    const Frame rendered = ReadPng(dir.path() + "/at-1000.png");
    ASSERT_EQ(rendered.width, 320);
    std::string probe;
    ASSERT_EQ(RunCommand("ffprobe -v error -select_streams v -show_entries "
                         "stream=width,height,pix_fmt,color_space -of csv=p=0 " +
                             video,
                         &probe),
              0);
    const int width = 320 * c.factor, height = 240 * c.factor;
    EXPECT_EQ(probe, std::to_string(width) + "," + std::to_string(height) + ",yuv420p,bt709\n");

    const std::string raw = dir.path() + "/end.rgb";
    ASSERT_EQ(RunCommand("ffmpeg -v error -sseof -0.3 -i " + video +
                         " -f rawvideo -pix_fmt rgb24 " + raw),
              0);
    const std::vector<unsigned char> bytes = ReadBytes(raw);
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
