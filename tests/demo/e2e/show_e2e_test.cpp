// The real show in a real window: its own Xvfb, SDL's disk audio driver, a
// screenshot, Escape through xdotool, the run to its own end, the exit status
// and the sound file. Every wait polls for a state with a generous deadline:
// a busy machine or a sanitizer build is slower, never wrong.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_files.h"
#include "test_process.h"
#include "wav_file.h"

namespace {

// RGB bytes of a PNG; empty when it cannot be read.
std::vector<unsigned char> ReadRgb(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  return rgb;
}

// A private X server. Xvfb picks a free display number itself and reports it
// once it accepts clients (-displayfd), so tests running side by side never
// share a display; display() is empty when it did not start. -noreset keeps
// it from resetting, and refusing connections meanwhile, whenever its last
// client leaves.
class VirtualScreen {
 public:
  VirtualScreen() {
    const std::string number = dir_ / "display", log = dir_ / "xvfb.log";
    server_ = Start({"sh", "-c",
                     "exec Xvfb -displayfd 3 -noreset -screen 0 640x480x24 -nolisten tcp 3>" +
                         number + " 2>" + log},
                    {});
    int status = 0;
    WaitUntil(
        [&] {
          const std::string text = ReadFile(number);
          return (!text.empty() && text.back() == '\n') || Exited(server_, &status);
        },
        60.0);
    const std::string text = ReadFile(number);
    if (server_.pid > 0 && !text.empty() && text.back() == '\n') {
      display_ = ":";  // appended apart: GCC 12 warns wrongly about ":" + string
      display_.append(text, 0, text.size() - 1);
    }
    log_ = ReadFile(log);
  }
  ~VirtualScreen() { Stop(server_); }
  const std::string& display() const { return display_; }
  const std::string& log() const { return log_; }

 private:
  TempDir dir_;
  Child server_;
  std::string display_, log_;
};

int Shell(const std::string& command) {
  return RunCommand(command).status;
}

// The show in `screen` with its sound going to `audio`, and `extra`
// environment entries.
Child StartShow(const VirtualScreen& screen, const std::string& audio,
                std::vector<std::string> extra = {}) {
  std::vector<std::string> env = {"DISPLAY=" + screen.display(), "SDL_AUDIODRIVER=disk",
                                  "SDL_DISKAUDIOFILE=" + audio, "SDL_VIDEODRIVER=x11",
                                  "WAYLAND_DISPLAY="};
  env.insert(env.end(), extra.begin(), extra.end());
  return Start({"./veldraflimmer"}, env);
}

}  // namespace

TEST(ShowEndToEnd, StartsShowsTheFirstSceneAndEndsOnEscapeWithItsSound) {
  VirtualScreen screen;
  ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start: " << screen.log();
  TempDir tmp;
  const std::string audio = tmp / "audio.raw";
  Child show = StartShow(screen, audio);
  ASSERT_GT(show.pid, 0);
  // The first scene, kollademos over grey noise, fills the screen (it lasts
  // over five seconds of song; the next scene fills it too).
  const std::string shot = tmp / "shot.png";
  long lit = 0;
  int texture = 0;
  WaitUntil(
      [&] {
        if (Shell("import -display " + screen.display() + " -window root " + shot) != 0) {
          return false;
        }
        const std::vector<unsigned char> rgb = ReadRgb(shot);
        if (rgb.size() != 640u * 480u * 3u) return false;
        lit = 0;
        unsigned char lo = 255, hi = 0;
        for (size_t i = 0; i < rgb.size(); i += 3) {
          lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 30;
          lo = std::min(lo, rgb[i + 1]);
          hi = std::max(hi, rgb[i + 1]);
        }
        texture = hi - lo;
        return lit > 640 * 480 * 3 / 4 && texture > 40;
      },
      120.0, 0.2);
  EXPECT_GT(lit, static_cast<long>(640 * 480 * 3 / 4)) << "the screen is mostly black";
  EXPECT_GT(texture, 40) << "no texture on screen";

  // Enough of the song heard to compare: 0.4 s of stereo values.
  const size_t compare = 44100 * 2 * 4 / 10;
  EXPECT_TRUE(
      WaitUntil([&] { return AfterSilence(ReadRawSound(audio)).size() > compare; }, 120.0, 0.05))
      << "the disk audio file stays short";

  // The key goes to the focused window through the XTEST extension: a key
  // sent to the show's window itself would race its exit, as the key release
  // would then be addressed to a window that Escape has already destroyed.
  ASSERT_EQ(Shell("DISPLAY=" + screen.display() +
                  " xdotool search --name VELDRAFLIMMER windowfocus --sync && DISPLAY=" +
                  screen.display() + " xdotool key Escape"),
            0);
  EXPECT_EQ(WaitFor(show, 60.0), 0);

  // The sound heard is the start of the song, as the offline render has it.
  ASSERT_EQ(Shell("./veldraflimmer-render --quiet --until 1000 --wav " + tmp / "ref.wav"), 0);
  const std::vector<int16_t> ref = AfterSilence(ReadWav(tmp / "ref.wav").samples);
  const std::vector<int16_t> heard = AfterSilence(ReadRawSound(audio));
  ASSERT_GT(ref.size(), compare);
  ASSERT_GT(heard.size(), compare) << "the disk audio file is short";
  long loud = 0;
  for (size_t i = 0; i < compare; ++i) loud += heard[i] > 1000 || heard[i] < -1000;
  EXPECT_GT(loud, 1000) << "the sound is silent";
  EXPECT_TRUE(std::equal(heard.begin(), heard.begin() + compare, ref.begin()))
      << "the sound is not the start of the song";
}

// Left alone, the show ends on its synchronisation table's stop record, at
// order 7, row 62 of the song, with exit status 0. The disk driver is asked to
// write its buffers about five times faster than real time (5 ms for 23 ms of
// sound), which the song clock follows: the show's 46 s pass in about ten.
TEST(ShowEndToEnd, RunsToItsOwnEndAndExitsWithZero) {
  VirtualScreen screen;
  ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start: " << screen.log();
  TempDir tmp;
  const std::string audio = tmp / "audio.raw";
  Child show = StartShow(screen, audio, {"SDL_DISKAUDIODELAY=5"});
  ASSERT_GT(show.pid, 0);
  EXPECT_EQ(WaitFor(show, 300.0), 0);
  // The stop fires once the block being heard reaches the stop row: the
  // device had played the song up to within one block (884 frames) of it,
  // give or take the driver's buffer of 1,024.
  // 513 rows before the stop (orders of 64, 64, 64, 67, 64, 64, 64 rows, then
  // 62), 6 ticks of 660 frames each.
  constexpr long kStopFrame = 513L * 6 * 660;
  const long heardFrames = static_cast<long>(AfterSilence(ReadRawSound(audio)).size() / 2);
  EXPECT_GE(heardFrames, kStopFrame - 884 - 1024);
}

TEST(ShowEndToEnd, WithoutADisplayItExitsWithOneOnOneLine) {
  Child show =
      Start({"./veldraflimmer"},
            {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null"},
            true);
  ASSERT_GT(show.pid, 0);
  const std::string err = ReadAll(show.stderrFd);
  EXPECT_EQ(WaitFor(show, 60.0), 1);
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}
