// Speed of the sequencer alone on the show's own song (the embedded stream,
// loaded as the show loads it): ticks per second with the show's effect set
// (argument 0) and with the complete set (argument 1). The mixer is left out
// so that the cost of the effect handlers is not hidden in mixing time;
// whole-file renders (xmplay --wav) measure both together.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "file.h"
#include "output.h"
#include "sequencer.h"
#include "song.h"
#include "song_data.h"

namespace {

// The compact stream served as the show serves it: sequential reads, seeks
// that do nothing, tell answered from the recorded positions.
long long g_position = 0;
int g_tell = 0;
unsigned int Open(const char*) {
  g_position = 0;
  g_tell = 0;
  return 1;
}
void Close(unsigned int) {}
int Read(void* buffer, int size, unsigned int) {
  const long long left = static_cast<long long>(musDataSize) - g_position;
  const int n = static_cast<int>(std::clamp<long long>(size, 0, std::max(0LL, left)));
  if (n > 0) std::memcpy(buffer, musData + g_position, static_cast<size_t>(n));
  g_position += size;
  return n;
}
int Seek(unsigned int, int, signed char) {
  return 0;
}
int Tell(unsigned int) {
  return g_tell < musTellCount ? musTell[g_tell++] : 0;
}

void BM_ShowSongTicks(benchmark::State& state) {
  FSOUND_File_SetCallbacks(&Open, &Close, &Read, &Seek, &Tell);
  Song* song = FMUSIC_LoadSong("", nullptr);
  if (song == nullptr) {
    state.SkipWithError("the embedded song does not load");
    return;
  }
  FMUSIC_SetEffectSet(song, state.range(0) ? EffectSet::kComplete : EffectSet::kShow);
  // The song start of FMUSIC_PlaySong, without a device.
  FSOUND_MixRate = 44100;
  for (int v = 0; v < MIX_VOICES; ++v) {
    FSOUND_Channel[v] = MixChannel{};
    FSOUND_Channel[v].index = v;
  }
  song->nextOrder = song->nextRow = -1;
  song->globalVolume = song->defaultGlobalVolume;
  song->speed = song->defaultSpeed;
  FMUSIC_SetBPM(song, song->defaultBPM);
  FMUSIC_ResetEffectState(song);
  for (int c = 0; c < song->channelCount; ++c) {
    FMUSIC_Channel[c] = MusicChannel{};
    FMUSIC_Channel[c].voice = &FSOUND_Channel[c];
  }
  for (auto _ : state) {
    FMUSIC_UpdateXM(song);
    // The mixer would end finished voices; without it, keep them idle.
    benchmark::DoNotOptimize(FSOUND_Channel[0].stepFraction);
  }
  state.counters["ticks"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  FMUSIC_FreeSong(song);
}
BENCHMARK(BM_ShowSongTicks)->Arg(0)->Arg(1);

}  // namespace
