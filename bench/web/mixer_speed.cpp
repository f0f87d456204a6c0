// Mixing speed of the web build, run by Node.js: the show's embedded song
// mixed offline (the block fills of a virtual device, as the offline renderer
// does) with each mixer kernel set the build has, in alternating passes over
// the same stretch of the song, so both sets see the same work on the same
// machine in one run. Prints the seconds of audio mixed per second of time
// for each pass, each set's best, their ratio, whether every pass gave the
// same sound, and how loud it was (a silent stretch would prove nothing).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/music.h"
#include "demo/show_state.h"
#include "player/mix/mix_kernels.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"

namespace {

constexpr int kRate = 44100;

const char* const kUsage =
    "usage: node bench_web_mixer.js [--seconds N] [--passes N]\n"
    "Mixes the first N seconds (default 120) of the show's song offline with the plain\n"
    "mixer kernels and with every vector set of this build, alternating, N passes each\n"
    "(default 3); prints the speed of each pass as seconds of audio per second.\n";

struct Pass {
  double audio;        // seconds of audio mixed
  double seconds;      // wall time of the pass
  uint64_t soundHash;  // FNV-1a over the 16-bit output
  double loudness;     // mean magnitude of the output values
};

// Plays the song from its beginning for `frames` frames (whole blocks) with
// `set`; times the mixing and the copies out of the ring only.
Pass MixPass(KernelSet set, long frames) {
  UseMixKernels(set);
  auto* device = static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  const long blocks = (frames + FSOUND_BlockSize - 1) / FSOUND_BlockSize;
  std::vector<int16_t> sound(2 * static_cast<size_t>(blocks) * FSOUND_BlockSize);
  const auto start = std::chrono::steady_clock::now();
  FMUSIC_PlaySong(mod);  // mixes the whole ring before it returns
  for (long b = 0; b < blocks; ++b) {
    device->Advance(static_cast<uint32_t>(FSOUND_BlockSize),
                    sound.data() + 2 * static_cast<size_t>(b) * FSOUND_BlockSize);
    FSOUND_Software_Poll();
  }
  const auto end = std::chrono::steady_clock::now();
  FMUSIC_StopSong(mod);
  uint64_t hash = 0xCBF29CE484222325u;
  double magnitude = 0;
  for (int16_t v : sound) {
    hash = (hash ^ static_cast<uint16_t>(v)) * 0x100000001B3u;
    magnitude += std::abs(v);
  }
  return {static_cast<double>(blocks) * FSOUND_BlockSize / kRate,
          std::chrono::duration<double>(end - start).count(), hash,
          magnitude / static_cast<double>(sound.size())};
}

bool ParseCount(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 120;
  int passes = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const bool isSeconds = arg == "--seconds";
    if ((isSeconds || arg == "--passes") && i + 1 < argc) {
      if (!ParseCount(argv[++i], 1, isSeconds ? 3600 : 100, isSeconds ? seconds : passes)) {
        std::fprintf(stderr, "bench_web_mixer: %s wants a whole number in range, not %s\n",
                     arg.c_str(), argv[i]);
        return 2;
      }
      continue;
    }
    std::fprintf(stderr, "bench_web_mixer: unknown argument %s (see --help)\n", arg.c_str());
    return 2;
  }

  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  StartMusic(kRate);
  if (mod == nullptr || FSOUND_GetWaveOut() == nullptr) {
    std::fprintf(stderr, "bench_web_mixer: the embedded song could not be started\n");
    return 1;
  }
  FMUSIC_StopSong(mod);

  std::vector<KernelSet> sets;
  for (KernelSet set : kKernelSets) {
    if (MixKernelTable(set) != nullptr) sets.push_back(set);
  }
  const long frames = static_cast<long>(seconds) * kRate;
  std::vector<double> best(sets.size(), 0.0);
  uint64_t firstHash = 0;
  double loudness = 0;
  bool same = true;
  std::printf("%d s of the song at %d Hz, %d passes per set\n", seconds, kRate, passes);
  for (int p = 0; p < passes; ++p) {
    for (size_t s = 0; s < sets.size(); ++s) {
      const Pass pass = MixPass(sets[s], frames);
      const double speed = pass.audio / pass.seconds;
      best[s] = std::max(best[s], speed);
      if (p == 0 && s == 0) {
        firstHash = pass.soundHash;
        loudness = pass.loudness;
      }
      same = same && pass.soundHash == firstHash;
      std::printf("  pass %d %-8s %7.3f s  %7.1f x real time\n", p + 1, KernelSetName(sets[s]),
                  pass.seconds, speed);
    }
  }
  for (size_t s = 0; s < sets.size(); ++s) {
    std::printf("best %-8s %7.1f x real time, %.2f x plain\n", KernelSetName(sets[s]), best[s],
                best[s] / best[0]);
  }
  std::printf("every pass gave the same sound (mean magnitude %.0f): %s\n", loudness,
              same ? "yes" : "NO");
  FSOUND_Close();
  return same ? 0 : 1;
}
