// A song built in code for the output tests: no patterns, one looping sample,
// and a tick operation written by the test, so the ring, the thread and the
// queries are tested without the loader.
#pragma once
#include <cstdint>
#include <vector>

#include "player/load/memory_file.h"
#include "player/load/song.h"
#include "player/mix/mixer.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"

namespace codesong {

// Ticks run so far; the tick operation below numbers them.
inline int g_ticks = 0;

// One value held for the whole sample: the heard level is the gain.
inline std::vector<int16_t> g_values(64 + SAMPLE_SPARE_VALUES, 8000);
inline SongSample g_sample = [] {
  SongSample s{};
  s.data = g_values.data();
  s.length = 64;
  s.loopStart = 0;
  s.loopLength = 64;
  s.loopMode = LOOP_FORWARD;
  s.bits = 16;
  return s;
}();

// Gain of voice 0 during tick t: a sawtooth the tests can recognise.
inline int GainOfTick(int t) {
  return 20 + (t % 10) * 20;
}

// Tick t: row t % 64 of order t / 64; voice 0 sounds at GainOfTick(t) on the
// left and half of it on the right.
inline void Tick(Song* song) {
  const int t = g_ticks++;
  song->order = t / 64;
  song->row = t % 64;
  MixChannel& v = FSOUND_Channel[0];
  v.sample = &g_sample;
  v.leftGain = GainOfTick(t);
  v.rightGain = GainOfTick(t) / 2;
}

// A song at 167 BPM: 660 frames per tick at 44,100 Hz.
inline Song MakeSong() {
  Song song{};
  song.channelCount = 1;
  song.songLength = 1;
  song.defaultSpeed = 6;
  song.defaultBPM = 167;
  song.defaultGlobalVolume = 64;
  song.tickOperation = &Tick;
  g_ticks = 0;
  return song;
}

// FSOUND_Init needs file callbacks; songs made in code never read a file.
inline void InstallCallbacks() {
  FSOUND_File_ServeMemory({});
}

// Time at the end of each block as the fill computes it: each piece between
// tick starts and block ends adds its own truncated milliseconds.
inline std::vector<int> ExpectedBlockTimes(int blocks, int blockSize, int frameRate,
                                           int framesPerTick) {
  std::vector<int> times;
  int time = 0, left = 0;
  for (int b = 0; b < blocks; ++b) {
    int mixed = 0;
    while (mixed < blockSize) {
      if (left == 0) left = framesPerTick;
      const int n = std::min(left, blockSize - mixed);
      mixed += n;
      left -= n;
      time += static_cast<int>(static_cast<double>(n) * (1.0f / frameRate) * 1000.0);
    }
    times.push_back(time);
  }
  return times;
}

}  // namespace codesong
