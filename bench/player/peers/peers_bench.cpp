// Our player against Debian's libxmp, side by side: both render the same XM
// songs into memory at 44,100 Hz, 16-bit stereo, with linear interpolation,
// one stretch of audio each in turn within every iteration, so a busy machine
// slows both alike. Both players are started once and play on (songs loop),
// so the figures are steady-state rendering speeds without start-up.
//
// Counters, from the CPU time of the benchmark thread: ours_x and libxmp_x
// are seconds of audio rendered per second of CPU, ratio = ours_x / libxmp_x.
//
// usage: bench_player_peers [benchmark flags] [--kernels=plain|sse2|avx2] [SONG.xm...]
// Without songs it plays the show's song and the tracker-written songs the
// player's tests use, where installed.
#include <benchmark/benchmark.h>
#include <xmp.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "player/load/song.h"
#include "player/mix/mix_kernels.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "song_file.h"

namespace {

constexpr int kRate = 44100;
constexpr int kStretchFrames = 5 * kRate;  // audio per player per iteration

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

class OurPlayer {
 public:
  bool Start(const std::string& path, std::string& error) {
    SongLoadNotes notes;
    song_ = LoadSongFile(path, error, &notes);
    if (song_ == nullptr || !FMUSIC_PlaySong(song_)) return false;
    device_ = static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
    return true;
  }
  // Renders `frames` stereo frames into `out`, as xmplay renders offline: the
  // device plays one block, the poll refills it.
  void Render(int16_t* out, int frames) {
    while (frames > 0) {
      const int n = std::min(frames, FSOUND_BlockSize);
      device_->Advance(static_cast<uint32_t>(n), out);
      FSOUND_Software_Poll();
      out += 2 * n;
      frames -= n;
    }
  }
  ~OurPlayer() {
    if (song_ != nullptr) FMUSIC_FreeSong(song_);
  }

 private:
  Song* song_ = nullptr;
  VirtualWaveOut* device_ = nullptr;
};

class LibxmpPlayer {
 public:
  bool Start(const std::string& path, std::string& error) {
    context_ = xmp_create_context();
    if (xmp_load_module(context_, path.c_str()) != 0) {
      error = "libxmp cannot load it";
      return false;
    }
    loaded_ = true;
    if (xmp_start_player(context_, kRate, 0) != 0) {  // 16-bit signed stereo
      error = "libxmp cannot start it";
      return false;
    }
    started_ = true;
    // Linear interpolation, as our mixer's.
    if (xmp_set_player(context_, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR) != 0 ||
        xmp_get_player(context_, XMP_PLAYER_INTERP) != XMP_INTERP_LINEAR) {
      error = "libxmp refuses linear interpolation";
      return false;
    }
    return true;
  }
  // Loop checking off: the song plays on past its end, like ours.
  bool Render(int16_t* out, int frames) {
    return xmp_play_buffer(context_, out, frames * 4, 0) == 0;
  }
  ~LibxmpPlayer() {
    if (started_) xmp_end_player(context_);
    if (loaded_) xmp_release_module(context_);
    if (context_ != nullptr) xmp_free_context(context_);
  }

 private:
  xmp_context context_ = nullptr;
  bool loaded_ = false;
  bool started_ = false;
};

// Mean magnitude of the second half of a stretch: a player that fell silent
// (stopped at the song's end) would not be rendering the same thing.
double Loudness(const std::vector<int16_t>& v) {
  double sum = 0;
  for (size_t i = v.size() / 2; i < v.size(); ++i) sum += std::abs(v[i]);
  return sum / static_cast<double>(v.size() / 2);
}

// The name of the kernel set the mixer uses.
const char* KernelsInUse() {
  for (KernelSet set : kKernelSets) {
    if (MixKernelTable(set) == &CurrentMixKernels()) return KernelSetName(set);
  }
  return "?";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void BM_PlayerPeers(benchmark::State& state, const std::string& path) {
  std::string error;
  OurPlayer ours;
  LibxmpPlayer peer;
  if (!ours.Start(path, error) || !peer.Start(path, error)) {
    state.SkipWithError((path + ": " + error).c_str());
    return;
  }
  std::vector<int16_t> ourOut(2 * kStretchFrames);
  std::vector<int16_t> peerOut(2 * kStretchFrames);
  double ourSeconds = 0;
  double peerSeconds = 0;
  bool peerOk = true;
  for (auto _ : state) {
    double t0 = ThreadSeconds();
    ours.Render(ourOut.data(), kStretchFrames);
    const double t1 = ThreadSeconds();
    peerOk = peer.Render(peerOut.data(), kStretchFrames) && peerOk;
    const double t2 = ThreadSeconds();
    ourSeconds += t1 - t0;
    peerSeconds += t2 - t1;
    benchmark::DoNotOptimize(ourOut.data());
    benchmark::DoNotOptimize(peerOut.data());
  }
  if (!peerOk || Loudness(ourOut) < 1.0 || Loudness(peerOut) < 1.0) {
    state.SkipWithError("a player stopped or fell silent");
    return;
  }
  const double audio = static_cast<double>(state.iterations()) * kStretchFrames / kRate;
  state.counters["ours_x"] = audio / ourSeconds;
  state.counters["libxmp_x"] = audio / peerSeconds;
  state.counters["ratio"] = (audio / ourSeconds) / (audio / peerSeconds);
  state.SetLabel(std::string("our kernels: ") + KernelsInUse());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<std::string> songs;
  KernelSet set = KernelSet::kBest;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--kernels=", 0) == 0) {
      bool known = false;
      for (KernelSet s : kKernelSets) {
        if (arg.substr(10) == KernelSetName(s)) {
          set = s;
          known = true;
        }
      }
      if (!known || !UseMixKernels(set)) {
        std::fprintf(stderr, "bench_player_peers: %s: no such kernel set here\n", arg.c_str());
        return 2;
      }
    } else if (arg.rfind("--", 0) == 0) {
      std::fprintf(stderr, "bench_player_peers: unknown option %s\n", arg.c_str());
      return 2;
    } else {
      songs.push_back(arg);
    }
  }
  if (songs.empty()) {
    for (const char* path : {VF_SHOW_SONG, "/usr/share/games/ceferino/music/menu.xm"}) {
      if (std::ifstream(path).good()) songs.push_back(path);
    }
  }
  InstallStdioCallbacks();
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  if (!FSOUND_Init(kRate, 0)) {
    std::fprintf(stderr, "bench_player_peers: the player cannot start\n");
    return 1;
  }
  for (const std::string& song : songs) {
    benchmark::RegisterBenchmark(("BM_PlayerPeers/" + BaseName(song)).c_str(), BM_PlayerPeers, song)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FSOUND_Close();
  return 0;
}
