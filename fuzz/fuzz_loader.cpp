// libFuzzer target for the song loader: arbitrary bytes are served from
// memory as a full song file (real seeks) and as a compact stream (seeks do
// nothing), and every song that loads is played for a few hundred ticks with
// each effect set, its voices mixed into a scratch buffer, then freed. Any
// memory error, undefined behaviour or leak along the way is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "file.h"
#include "mixer.h"
#include "output.h"
#include "sequencer.h"
#include "song.h"
#include "wave_out.h"

namespace {

struct Source {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0;
  bool seekable = true;
};
Source gSource;

unsigned int Open(const char*) {
  return gSource.data ? 1 : 0;
}
void Close(unsigned int) {}
int Read(void* buffer, int size, unsigned int) {
  if (size <= 0 || gSource.position >= gSource.size) return 0;
  const size_t n = std::min(static_cast<size_t>(size), gSource.size - gSource.position);
  std::memcpy(buffer, gSource.data + gSource.position, n);
  gSource.position += n;
  return static_cast<int>(n);
}
int Seek(unsigned int, int pos, signed char mode) {
  if (!gSource.seekable) return 0;
  const int64_t base = mode == 1 ? static_cast<int64_t>(gSource.position) : 0;
  gSource.position =
      static_cast<size_t>(std::clamp<int64_t>(base + pos, 0, static_cast<int64_t>(gSource.size)));
  return 0;
}
int Tell(unsigned int) {
  return static_cast<int>(gSource.position);
}

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
  gSource = {data, size, 0, seekable};
  Song* song = FMUSIC_LoadSong("fuzz", callback);
  gSource = {};
  if (!song) return;
  Play(song);
  FMUSIC_SetEffectSet(song, EffectSet::kComplete);  // and again with every effect
  Play(song);
  FMUSIC_FreeSong(song);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSOUND_File_SetCallbacks(Open, Close, Read, Seek, Tell);
  LoadAndPlay(data, size, true, (size & 1) ? FillSample : nullptr);
  LoadAndPlay(data, size, false, nullptr);
  return 0;
}
