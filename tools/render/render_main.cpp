// veldraflimmer-render: the show rendered offline at a fixed frame rate. The
// display is the headless back end and the sound device the virtual one,
// advanced by exactly one video frame's worth of audio after each frame, so
// the song clock, the synchronisation and the sound are those of real-time
// playback, and two runs give identical output.
//
// The first failure stops the rendering and is reported once, after the show
// has been finished properly; what fails after it because of it says nothing
// new and is not reported.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "demo/show.h"
#include "demo/show_state.h"
#include "demo/sync.h"
#include "display/display_headless.h"
#include "display/ptc.h"
#include "options.h"
#include "picture_io.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "render_progress.h"
#include "scratch_folder.h"
#include "video_encoder.h"
#include "wav_writer.h"

namespace {
constexpr int kRate = 44100;
// A show whose clock stops (no song) would never reach its stop record.
constexpr int kMaxSeconds = 15 * 60;

int Fail(const std::string& message) {
  std::fprintf(stderr, "veldraflimmer-render: %s\n", message.c_str());
  return 1;
}

std::string PngPath(const std::string& folder, int songMs) {
  const std::string name = "at-" + std::to_string(songMs) + ".png";
  return folder.empty() ? name : folder + "/" + name;
}
}  // namespace

int main(int argc, char** argv) {
  RenderOptions o;
  if (const std::optional<int> status = ParseRenderOptions(argc, argv, &o)) return *status;
  // A dead ffmpeg must show up as a failed write, not end the renderer.
  std::signal(SIGPIPE, SIG_IGN);

  // The outputs open before the show starts: a path that cannot be written
  // is reported at once.
  const bool toVideo = !o.out.empty();
  const bool writeSound = !o.wav.empty() || toVideo;
  std::optional<ScratchFolder> scratch;  // declared before the encoder: outlives its files
  if (toVideo && !scratch.emplace().Made()) return Fail(scratch->Error());
  const std::string wavPath = !o.wav.empty() ? o.wav : toVideo ? scratch->Path("sound.wav") : "";
  WavWriter wav;
  VideoEncoder video;
  if (toVideo && !video.Open(o.out, scratch->Path("video.mp4"), 320, 240, o.fps, o.scale)) {
    return Fail(video.Error());
  }
  if (writeSound && !wav.Open(wavPath, kRate)) return Fail("cannot write " + wavPath);

  HeadlessDisplay display;
  ptc_use_platform(&display);
  if (ptc_open("VELDRAFLIMMER", 320, 240) == 0) {
    ptc_use_platform(nullptr);
    return Fail("the headless display did not open");
  }
  display.PostActivate(true);
  FSOUND_SetWaveOutFactory(FSOUND_CreateVirtualWaveOut);

  Show show;
  show.pictureFolder = o.pictures;
  show.Start();
  std::string failure;
  auto fail = [&failure](const std::string& message) {
    if (failure.empty()) failure = message;
  };
  auto* device = static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  if (mod == nullptr || device == nullptr) fail("the embedded song could not be started");

  const bool onlyPictures = o.out.empty() && o.wav.empty() && !o.events && !o.null;
  RenderProgress progress(mod, !o.quiet, isatty(STDERR_FILENO) == 1);
  std::vector<int16_t> sound;
  size_t nextPng = 0;
  long frame = 0;
  const long maxFrames = static_cast<long>(kMaxSeconds) * o.fps;
  while (running && failure.empty()) {
    const int before = SyncCursor();
    show.Frame();
    if (o.events && SyncCursor() != before) {
      std::printf("%ld %d %d %d %d\n", frame, show.prevTime, FMUSIC_GetOrder(mod),
                  FMUSIC_GetRow(mod), sync_data[before + 2]);
    }
    while (failure.empty() && nextPng < o.pngAt.size() && show.prevTime >= o.pngAt[nextPng]) {
      const std::string path = PngPath(o.pngDir, o.pngAt[nextPng]);
      std::string error;
      if (!WritePng(path, FromPixelWords(Out.pixels, Out.width, Out.height), error, false))
        fail("cannot write " + path);
      ++nextPng;
    }
    if (toVideo && failure.empty() && !video.Write(Out.pixels)) fail(video.Error());

    // The audio of one video frame: the frames that fall into [n, n + 1) / fps.
    const long first = frame * kRate / o.fps;
    const uint32_t count = static_cast<uint32_t>((frame + 1) * kRate / o.fps - first);
    sound.resize(2 * static_cast<size_t>(count));
    device->Advance(count, sound.data());
    if (writeSound && failure.empty() && !wav.Write(sound.data(), count)) {
      fail("cannot write " + wavPath);
    }
    FSOUND_Software_Poll();

    display.ClearLog();  // the headless display logs every call; keep memory flat
    ++frame;
    progress.Update(frame);
    if (onlyPictures && nextPng == o.pngAt.size()) break;
    if (o.until >= 0 && show.prevTime >= o.until) break;
    if (frame >= maxFrames) fail("the show did not reach its end");
  }
  if (nextPng < o.pngAt.size()) {
    fail("the show ended before song time " + std::to_string(o.pngAt[nextPng]) + " ms");
  }
  progress.Done(frame, failure.empty());
  show.Finish();
  ptc_use_platform(nullptr);

  if (writeSound && !wav.Close()) fail("cannot write " + wavPath);
  if (toVideo && failure.empty() && !video.Finish(wavPath)) fail(video.Error());
  std::fflush(stdout);
  if (!failure.empty()) return Fail(failure);
  return 0;
}
