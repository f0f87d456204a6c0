// Helpers shared by the mixer tests: samples and voices built in code, and a
// per-frame reference model of one voice written without the mixer's
// pass-splitting, to compare the optimised passes against.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "player/load/song.h"
#include "player/mix/mixer.h"

// A sample record that owns its data, with the spare values after the end that
// the loader provides (loop fix-up included).
struct TestSample {
  std::vector<int16_t> values;
  SongSample record{};

  TestSample(std::vector<int16_t> v, uint8_t loopMode, uint32_t loopStart, uint32_t loopLength)
      : values(std::move(v)) {
    const uint32_t length = static_cast<uint32_t>(values.size());
    values.resize(length + SAMPLE_SPARE_VALUES, 0);
    if (loopMode == LOOP_FORWARD) values[loopStart + loopLength] = values[loopStart];
    if (loopMode == LOOP_PINGPONG)
      values[loopStart + loopLength] = values[loopStart + loopLength - 1];
    record.data = length ? values.data() : nullptr;
    record.length = length;
    record.loopStart = loopMode == LOOP_OFF ? 0 : loopStart;
    record.loopLength = loopMode == LOOP_OFF ? length : loopLength;
    record.loopMode = loopMode;
    record.bits = 16;
  }
};

inline void ResetVoices() {
  for (int i = 0; i < MIX_VOICES; ++i) {
    FSOUND_Channel[i] = MixChannel{};
    FSOUND_Channel[i].index = i;
    FSOUND_Channel[i].stepInteger = 1;
  }
  mix_volumerampsteps = 128;
  mix_1overvolumerampsteps = 1.0f / 128;
}

inline void SetStep(MixChannel& v, double step) {
  const uint64_t fixed = static_cast<uint64_t>(std::llround(step * 4294967296.0));
  v.stepInteger = static_cast<uint32_t>(fixed >> 32);
  v.stepFraction = static_cast<uint32_t>(fixed);
}

// A voice that sounds at fixed gains with no ramp pending.
inline MixChannel& SteadyVoice(int index, SongSample* sample, int left, int right, double step) {
  MixChannel& v = FSOUND_Channel[index];
  v.sample = sample;
  v.leftGain = v.lastLeftTarget = left;
  v.rightGain = v.lastRightTarget = right;
  v.rampLeft = left * 256;
  v.rampRight = right * 256;
  v.direction = DIRECTION_FORWARD;
  SetStep(v, step);
  return v;
}

// Reference: the value the voice plays at each frame, as doubles, walking the
// position one frame at a time and handling loops by plain tests.
// Positions are signed here so that a backward step may go below zero.
inline std::vector<double> ReferenceValues(const TestSample& s, int64_t pos, int64_t step,
                                           int frames) {
  std::vector<double> out(frames, 0.0);
  const int64_t start = int64_t{s.record.loopStart} << 32;
  const int64_t end = (int64_t{s.record.loopStart} + s.record.loopLength) << 32;
  bool backward = false;
  for (int f = 0; f < frames; ++f) {
    bool stop = false;
    for (;;) {
      if (!backward && pos >= end) {
        if (s.record.loopMode == LOOP_FORWARD) {
          pos -= end - start;
        } else if (s.record.loopMode == LOOP_PINGPONG) {
          pos = 2 * end - pos - 1;
          backward = true;
        } else {
          stop = true;
          break;
        }
      } else if (backward && pos < start) {
        pos = 2 * start - pos - 1;
        backward = false;
      } else {
        break;
      }
    }
    if (stop) break;
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const double t = static_cast<double>(static_cast<uint32_t>(pos) >> 1) / 2147483648.0;
    out[f] = s.values[i] + (s.values[i + 1] - s.values[i]) * t;
    pos = backward ? pos - step : pos + step;
  }
  return out;
}
