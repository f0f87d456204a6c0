// Speed of the output side: one block fill (884 frames at 44,100 Hz) of a
// ten-channel song built in code, the mixer alone, and the clip copy. The
// "x_realtime" counter is seconds of audio produced per second of CPU.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "player/load/memory_file.h"
#include "player/load/song.h"
#include "player/mix/mixer.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"

namespace {

constexpr int kChannels = 10;

struct BenchSamples {
  std::vector<std::vector<int16_t>> data;
  std::vector<SongSample> samples;
  BenchSamples() {
    data.resize(kChannels);
    samples.resize(kChannels);
    for (int c = 0; c < kChannels; ++c) {
      const uint32_t length = 2000 + 1500 * c;
      data[c].resize(length + SAMPLE_SPARE_VALUES);
      for (uint32_t i = 0; i < length; ++i) {
        data[c][i] = static_cast<int16_t>(12000 * std::sin(i * 0.05 * (c + 1)));
      }
      SongSample& s = samples[c];
      s.data = data[c].data();
      s.length = length;
      s.loopStart = c % 3 == 2 ? 0 : length / 2;
      s.loopLength = length - s.loopStart;
      s.loopMode = c % 3 == 1 ? LOOP_PINGPONG : (c % 3 == 2 ? LOOP_OFF : LOOP_FORWARD);
      s.bits = 16;
    }
  }
};
BenchSamples g_samples;
int g_ticks = 0;

// Every channel sounds all the time: a new note every 6 ticks (its old voice
// fades out on the ghost voice), a volume change every other tick.
void BusyTick(Song*) {
  const int t = g_ticks++;
  for (int c = 0; c < kChannels; ++c) {
    MixChannel* v = &FSOUND_Channel[(t / 6) % 2 == 0 ? c : c + GHOST_VOICE_OFFSET];
    if (t % 6 == 0) {
      MixChannel* old = &FSOUND_Channel[(t / 6) % 2 == 0 ? c + GHOST_VOICE_OFFSET : c];
      old->leftGain = old->rightGain = 0;
      v->sample = &g_samples.samples[c];
      v->position = v->fraction = 0;
      v->direction = DIRECTION_FORWARD;
      v->rampLeft = v->rampRight = v->rampCount = 0;
      const double step = 0.15 + 0.11 * c;
      v->stepInteger = static_cast<uint32_t>(step);
      v->stepFraction = static_cast<uint32_t>((step - std::floor(step)) * 4294967296.0);
    }
    const int gain = 60 + (t % 2) * 20 + c * 5;
    v->leftGain = gain * (c + 3) / 13;
    v->rightGain = gain - v->leftGain;
  }
}

void BM_BlockFill(benchmark::State& state) {
  FSOUND_File_ServeMemory({});  // FSOUND_Init needs callbacks
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  if (!FSOUND_Init(44100, 0)) {
    state.SkipWithError("FSOUND_Init failed");
    return;
  }
  Song song{};
  song.channelCount = kChannels;
  song.defaultSpeed = 6;
  song.defaultBPM = 125;
  song.defaultGlobalVolume = 64;
  song.tickOperation = &BusyTick;
  FMUSIC_PlaySong(&song);
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  for (auto _ : state) {
    device.Advance(static_cast<uint32_t>(FSOUND_BlockSize), nullptr);
    FSOUND_Software_Poll();  // refills the block just played
  }
  const double frames = static_cast<double>(state.iterations()) * FSOUND_BlockSize;
  state.counters["x_realtime"] = benchmark::Counter(frames / 44100.0, benchmark::Counter::kIsRate);
  FMUSIC_StopSong(&song);
  FSOUND_Close();
  FSOUND_SetWaveOutFactory(nullptr);
}
BENCHMARK(BM_BlockFill);

// The mixer alone: `range(0)` steady voices without ramps, 884 frames.
void BM_MixSteadyVoices(benchmark::State& state) {
  for (auto& v : FSOUND_Channel) v = MixChannel{};
  for (int c = 0; c < state.range(0); ++c) {
    MixChannel& v = FSOUND_Channel[c];
    v.sample = &g_samples.samples[c % 2 == 0 ? 0 : 1];
    v.leftGain = v.lastLeftTarget = 100;
    v.rightGain = v.lastRightTarget = 80;
    v.rampLeft = 100 * 256;
    v.rampRight = 80 * 256;
    v.direction = DIRECTION_FORWARD;
    v.stepFraction = 0x30000000u * (c + 1);
  }
  std::vector<float> buffer(2 * 884);
  for (auto _ : state) {
    FSOUND_Mixer_FPU_Ramp(buffer.data(), 884);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["voice_frames"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 884 * state.range(0), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixSteadyVoices)->Arg(1)->Arg(10);

void BM_ClipCopy(benchmark::State& state) {
  std::vector<float> in(2 * 884);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>((i * 7919) % 80000) - 40000;
  std::vector<int16_t> out(2 * 884);
  for (auto _ : state) {
    FSOUND_MixerClipCopy_Float32(out.data(), in.data(), 884);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_ClipCopy);

}  // namespace
