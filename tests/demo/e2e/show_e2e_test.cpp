// The real show in a real window: its own Xvfb, SDL's disk audio driver, a
// screenshot, Escape through xdotool, the exit status and the sound file.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"
#include "test_process.h"

namespace fs = std::filesystem;

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

void Sleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A private X server on a display number no one else uses.
class VirtualScreen {
 public:
  VirtualScreen() {
    for (int n = 150 + getpid() % 500; n < 1000; ++n) {
      if (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
          fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
        continue;
      }
      display_ = ":";
      display_ += std::to_string(n);
      server_ = Start({"Xvfb", display_, "-screen", "0", "640x480x24", "-nolisten", "tcp"}, {});
      for (int i = 0; i < 250 && !fs::exists("/tmp/.X11-unix/X" + std::to_string(n)); ++i) {
        Sleep(0.02);
      }
      return;
    }
  }
  ~VirtualScreen() { Stop(server_); }
  const std::string& display() const { return display_; }

 private:
  std::string display_;
  Child server_;
};

int Shell(const std::string& command) {
  return RunCommand(command).status;
}
}  // namespace

TEST(ShowEndToEnd, StartsShowsTheFirstSceneAndEndsOnEscapeWithItsSound) {
  VirtualScreen screen;
  TempDir tmp;
  const std::string audio = tmp / "audio.raw";
  Child show = Start({"./veldraflimmer"},
                     {"DISPLAY=" + screen.display(), "SDL_AUDIODRIVER=disk",
                      "SDL_DISKAUDIOFILE=" + audio, "SDL_VIDEODRIVER=x11", "WAYLAND_DISPLAY="});
  ASSERT_GT(show.pid, 0);
  // The first scene: kollademos over grey noise fills the screen. A loaded
  // machine may take a moment longer to show the first frame; the scene
  // lasts over five seconds.
  Sleep(1.0);
  const std::string shot = tmp / "shot.png";
  long lit = 0;
  int texture = 0;
  for (int attempt = 0; attempt < 8; ++attempt, Sleep(0.3)) {
    ASSERT_EQ(Shell("import -display " + screen.display() + " -window root " + shot), 0);
    const std::vector<unsigned char> rgb = ReadRgb(shot);
    ASSERT_EQ(rgb.size(), 640u * 480u * 3u);
    lit = 0;
    unsigned char lo = 255, hi = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
      lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 30;
      lo = std::min(lo, rgb[i + 1]);
      hi = std::max(hi, rgb[i + 1]);
    }
    texture = hi - lo;
    if (lit > 640 * 480 * 3 / 4 && texture > 40) break;
  }
  EXPECT_GT(lit, static_cast<long>(640 * 480 * 3 / 4)) << "the screen is mostly black";
  EXPECT_GT(texture, 40) << "no texture on screen";

  // The key goes to the focused window through the XTEST extension: a key
  // sent to the show's window itself would race its exit, as the key release
  // would then be addressed to a window that Escape has already destroyed.
  ASSERT_EQ(Shell("DISPLAY=" + screen.display() +
                  " xdotool search --name VELDRAFLIMMER windowfocus --sync && DISPLAY=" +
                  screen.display() + " xdotool key Escape"),
            0);
  EXPECT_EQ(WaitFor(show, 10.0), 0);

  // The sound heard is the start of the song, as the offline render has it.
  ASSERT_EQ(Shell("./veldraflimmer-render --quiet --until 1000 --wav " + tmp / "ref.wav"), 0);
  const std::string ref = ReadFile(tmp / "ref.wav");
  const std::string heard = ReadFile(audio);
  // The audio path may play a buffer of silence before the song starts.
  auto firstSound = [](const std::string& b, size_t from) {
    size_t i = from;
    while (i < b.size() && b[i] == 0) ++i;
    return i & ~size_t{3};  // whole stereo frames
  };
  const size_t compare = 44100 * 4 * 4 / 10;  // 0.4 s of 16-bit stereo
  const size_t h = firstSound(heard, 0), r = firstSound(ref, 44);
  ASSERT_GT(ref.size(), r + compare);
  ASSERT_GT(heard.size(), h + compare) << "the disk audio file is short";
  EXPECT_LT(h, 44100u * 4 / 5) << "more than 0.2 s of silence before the song";
  long loud = 0;
  for (size_t i = h; i + 1 < h + compare; i += 2) {
    const auto v = static_cast<int16_t>(Le16(heard, i));
    loud += v > 1000 || v < -1000;
  }
  EXPECT_GT(loud, 1000) << "the sound is silent";
  EXPECT_TRUE(std::equal(heard.begin() + h, heard.begin() + h + compare, ref.begin() + r))
      << "the sound is not the start of the song";
}

TEST(ShowEndToEnd, WithoutADisplayItExitsWithOneOnOneLine) {
  Child show =
      Start({"./veldraflimmer"},
            {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null"},
            true);
  ASSERT_GT(show.pid, 0);
  const std::string err = ReadAll(show.stderrFd);
  EXPECT_EQ(WaitFor(show, 10.0), 1);
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}
