// veldraflimmer-render: the show rendered offline at a fixed frame rate. The
// display is the headless back end and the sound device the virtual one,
// advanced by exactly one video frame's worth of audio after each frame, so
// the song clock, the synchronisation and the sound are those of real-time
// playback, and two runs give identical output.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "display_headless.h"
#include "options.h"
#include "output.h"
#include "png_writer.h"
#include "ptc.h"
#include "render_progress.h"
#include "show.h"
#include "show_state.h"
#include "song.h"
#include "sync.h"
#include "video_encoder.h"
#include "wav_writer.h"
#include "wave_out.h"

namespace {
constexpr int kRate = 44100;
// A show whose clock stops (no song) would never reach its stop record.
constexpr int kMaxSeconds = 15 * 60;

int Fail(const std::string& message) {
  std::fprintf(stderr, "veldraflimmer-render: %s\n", message.c_str());
  return 1;
}

std::string TempWavPath(const std::string& out) {
  return out + ".audio.wav";
}
}  // namespace

int main(int argc, char** argv) {
  RenderOptions o;
  std::string error;
  if (!ParseRenderOptions(argc, argv, &o, &error)) {
    std::fprintf(stderr, "veldraflimmer-render: %s\n%s", error.c_str(), RenderUsage());
    return 2;
  }
  if (o.help) {
    std::fputs(RenderUsage(), stdout);
    return 0;
  }
  // A dead ffmpeg must show up as a failed write, not end the renderer.
  std::signal(SIGPIPE, SIG_IGN);

  HeadlessDisplay display;
  ptc_use_platform(&display);
  if (ptc_open("VELDRAFLIMMER", 320, 240) == 0) return Fail("the headless display did not open");
  display.PostActivate(true);
  FSOUND_SetWaveOutFactory(FSOUND_CreateVirtualWaveOut);

  Show show;
  show.pictureFolder = o.pictures;
  show.Start();
  auto* device = static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  if (mod == nullptr || device == nullptr) {
    show.Finish();
    return Fail("the embedded song could not be started");
  }

  const bool onlyPictures = o.out.empty() && o.wav.empty() && !o.events && !o.null;
  const std::string wavPath = !o.wav.empty() ? o.wav : TempWavPath(o.out);
  WavWriter wav;
  VideoEncoder video;
  const bool writeSound = !o.null && (!o.wav.empty() || !o.out.empty());
  if (writeSound && !wav.Open(wavPath, kRate)) return Fail("cannot write " + wavPath);
  if (!o.null && !o.out.empty() && !video.Open(o.out, 320, 240, o.fps)) {
    return Fail("cannot start ffmpeg");
  }

  RenderProgress progress(mod, !o.quiet);
  std::vector<int16_t> sound;
  size_t nextPng = 0;
  long frame = 0;
  const long maxFrames = static_cast<long>(kMaxSeconds) * o.fps;
  bool ok = true;
  while (running && ok) {
    const int before = SyncCursor();
    show.Frame();
    if (o.events && SyncCursor() != before) {
      std::printf("%ld %d %d %d %d\n", frame, show.prevTime, FMUSIC_GetOrder(mod),
                  FMUSIC_GetRow(mod), sync_data[before + 2]);
    }
    while (!o.null && nextPng < o.pngAt.size() && show.prevTime >= o.pngAt[nextPng]) {
      const std::string path = o.pngDir + "/at-" + std::to_string(o.pngAt[nextPng]) + ".png";
      if (!WritePng(path, Out.pixels, Out.width, Out.height)) ok = !Fail("cannot write " + path);
      ++nextPng;
    }
    if (!o.null && !o.out.empty() && !video.Write(Out.pixels)) ok = !Fail("ffmpeg stopped");

    // The audio of one video frame: the frames that fall into [n, n + 1) / fps.
    const long first = frame * kRate / o.fps;
    const uint32_t count = static_cast<uint32_t>((frame + 1) * kRate / o.fps - first);
    sound.resize(2 * static_cast<size_t>(count));
    device->Advance(count, sound.data());
    if (writeSound && !wav.Write(sound.data(), count)) ok = !Fail("cannot write " + wavPath);
    FSOUND_Software_Poll();

    display.ClearLog();  // the headless display logs every call; keep memory flat
    ++frame;
    progress.Update(frame);
    if (onlyPictures && nextPng == o.pngAt.size()) break;
    if (o.until >= 0 && show.prevTime >= o.until) break;
    if (frame >= maxFrames) ok = !Fail("the show did not reach its end");
  }
  progress.Done(frame);
  if (ok && !o.null && nextPng < o.pngAt.size()) {
    ok = !Fail("the show ended before song time " + std::to_string(o.pngAt[nextPng]) + " ms");
  }
  show.Finish();
  ptc_use_platform(nullptr);

  if (writeSound && !wav.Close()) ok = !Fail("cannot write " + wavPath);
  if (ok && !o.null && !o.out.empty() && !video.Finish(wavPath)) {
    ok = !Fail("ffmpeg could not encode " + o.out);
  }
  if (o.wav.empty() && !o.out.empty()) std::remove(wavPath.c_str());
  std::fflush(stdout);
  return ok ? 0 : 1;
}
