// Speed of the sequencer alone on the show's own song (the embedded stream,
// loaded as the show loads it): ticks per second with the show's effect set
// (argument 0) and with the complete set (argument 1). The mixer is left out
// so that the cost of the effect handlers is not hidden in mixing time;
// whole-file renders (xmplay --wav) measure both together.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "demo/song_data.h"
#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "player/play/rules.h"
#include "player/play/sequencer.h"

namespace {

void BM_ShowSongTicks(benchmark::State& state) {
  // The embedded song as the show serves it: a compact stream.
  FSOUND_File_ServeMemory({musData, musDataSize, false});
  Song* song = FMUSIC_LoadSong("", nullptr);
  if (song == nullptr) {
    state.SkipWithError("the embedded song does not load");
    return;
  }
  FMUSIC_SetPlayRules(song, state.range(0) ? &kCompleteRules : &kShowRules);
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
