// libFuzzer target for the song loader: arbitrary bytes are served from
// memory as a full song file (real seeks) to the tolerant and the strict
// load, and as a compact stream (seeks do nothing) to the strict one, and
// every song that loads is played for a few hundred ticks by each set of
// rules, its voices mixed into a scratch buffer, then freed. Any
// memory error, undefined behaviour or leak along the way is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/load/song.h"
#include "player/mix/mixer.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "player/play/rules.h"
#include "player/play/sequencer.h"

namespace {

void FillSample(void* buffer, int bytes, int, int, int) {
  std::memset(buffer, 0x5A, static_cast<size_t>(std::max(bytes, 0)));
}

constexpr int kTicks = 300;
constexpr int kFramesPerTick = 64;  // enough to cross loops, ramps and sample ends

// The player's own start-up without a thread: the output opened on a virtual
// device nobody advances, then the start state of FMUSIC_PlaySong. The fuzzer
// drives ticks and mixing itself.
bool Start(Song* song) {
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  const bool opened = FSOUND_Init(44100, 0);
  FSOUND_SetWaveOutFactory(nullptr);
  return opened && FMUSIC_SetStartState(song);
}

void Play(Song* song) {
  if (!Start(song)) return;
  static float mix[2 * kFramesPerTick];
  static int16_t out[2 * kFramesPerTick];
  for (int t = 0; t < kTicks; ++t) {
    song->tickOperation(song);
    const int frames = std::min(song->samplesPerTick, kFramesPerTick);
    std::fill(std::begin(mix), std::end(mix), 0.0f);
    FSOUND_Mixer_FPU_Ramp(mix, frames);
    FSOUND_MixerClipCopy_Float32(out, mix, frames);
  }
}

void LoadAndPlay(const uint8_t* data, size_t size, bool seekable, SampleLoadCallback callback) {
  FSOUND_File_ServeMemory({data, size, seekable});
  Song* song = FMUSIC_LoadSong("fuzz", callback);
  FSOUND_File_ServeMemory({});
  if (!song) return;
  Play(song);
  FMUSIC_SetPlayRules(song, &kCompleteRules);  // and again with every effect
  Play(song);
  FMUSIC_FreeSong(song);
}

}  // namespace

// The tolerant load of a full file, which reads past nothing and holds every
// size it is told inside the file.
void LoadTolerantAndPlay(const uint8_t* data, size_t size) {
  FSOUND_File_ServeMemory({data, size, true});
  SongLoadNotes notes;
  Song* song = FMUSIC_LoadSongTolerant("fuzz", &notes);
  FSOUND_File_ServeMemory({});
  if (!song) return;
  FMUSIC_SetPlayRules(song, &kCompleteRules);
  Play(song);
  FMUSIC_FreeSong(song);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadTolerantAndPlay(data, size);
  LoadAndPlay(data, size, true, (size & 1) ? FillSample : nullptr);
  LoadAndPlay(data, size, false, nullptr);
  return 0;
}
