// Offline rendering and real-time play for xmplay. Offline, the virtual device
// is advanced by hand and polled, which runs the same block fill as the mixing
// thread, so the WAV file holds what real-time playback would play.
#include "playback.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <span>
#include <thread>

#include "player/load/song.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "song_watch.h"
#include "wav_writer.h"

namespace {

constexpr double kMaxOfflineSeconds = 600.0;  // without --seconds
constexpr int kChunkBlocks = 16;              // played and written at once, of the ring's 100
constexpr int kBlockMs = 20;

volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) {
  g_interrupted = 1;
}

int64_t LimitFrames(const Options& options) {
  const double seconds = options.seconds > 0 ? options.seconds : kMaxOfflineSeconds;
  return static_cast<int64_t>(seconds * kMixRate);
}

}  // namespace

int RenderOffline(const Options& options, Song* song) {
  SongWatch watch;
  watch.limitFrames = LimitFrames(options);
  watch.timeline = options.timeline ? stdout : nullptr;
  watch.stopAtLoop = options.seconds <= 0;
  WatchSong(song, &watch);

  WavWriter wav;
  const bool toWav = !options.wavPath.empty();
  if (toWav && !wav.Open(options.wavPath, kMixRate)) {
    std::fprintf(stderr, "xmplay: %s: cannot write\n", options.wavPath.c_str());
    return 1;
  }
  if (!FMUSIC_PlaySong(song)) {
    std::fprintf(stderr, "xmplay: %s: cannot play\n", options.file.c_str());
    return 1;
  }
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  const bool progress = toWav && isatty(STDERR_FILENO);
  int64_t done = 0;
  int64_t reported = 0;
  for (;;) {
    // The fill runs a ring ahead of the device: a loop is found well before
    // the output reaches it.
    const int64_t loop = watch.stopAtLoop ? watch.loopFrame.load(std::memory_order_acquire) : -1;
    const int64_t end = loop >= 0 ? std::min(loop, watch.limitFrames) : watch.limitFrames;
    if (done >= end) break;
    // Some blocks at a time, written straight from the ring before the poll
    // refills them.
    const uint32_t want =
        static_cast<uint32_t>(std::min<int64_t>(kChunkBlocks * FSOUND_BlockSize, end - done));
    const std::span<const int16_t> played = device.Play(want);
    const uint32_t n = static_cast<uint32_t>(played.size() / 2);
    if (n == 0) {
      std::fprintf(stderr, "xmplay: the output device stopped playing\n");
      FMUSIC_StopSong(song);
      return 1;
    }
    if (toWav && !wav.Write(played.data(), n)) break;
    FSOUND_Software_Poll();
    done += n;
    if (progress && done - reported >= 30 * kMixRate) {
      reported = done;
      std::fprintf(stderr, "\rxmplay: rendered %lld s", static_cast<long long>(done / kMixRate));
    }
  }
  if (progress && reported > 0) std::fputc('\n', stderr);
  FMUSIC_StopSong(song);
  if (toWav && !wav.Close()) {
    std::fprintf(stderr, "xmplay: %s: cannot write\n", options.wavPath.c_str());
    return 1;
  }
  std::fflush(stdout);
  return 0;
}

int PlayRealTime(const Options& options, Song* song) {
  SongWatch watch;
  WatchSong(song, &watch);
  std::signal(SIGINT, OnInterrupt);
  if (!FMUSIC_PlaySong(song)) {
    std::fprintf(stderr, "xmplay: %s: cannot play\n", options.file.c_str());
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  while (!g_interrupted) {
    const int time = FMUSIC_GetTime(song);
    std::fprintf(stderr, "\rorder %3d  row %2d  time %d:%02d.%03d ", FMUSIC_GetOrder(song),
                 FMUSIC_GetRow(song), time / 60000, time / 1000 % 60, time % 1000);
    // loopFrame is published after loopTime: read it first. The heard time is
    // that of the end of the block being played: one block more makes sure the
    // device has played up to the loop.
    const bool looped = watch.loopFrame.load(std::memory_order_acquire) >= 0;
    if (options.seconds <= 0 && looped && time >= watch.loopTime.load() + kBlockMs) break;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (options.seconds > 0 && elapsed.count() >= options.seconds) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fputc('\n', stderr);
  FMUSIC_StopSong(song);
  return 0;
}
