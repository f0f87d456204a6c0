// The software mixer: voice passes bounded by the next loop boundary, ramp end
// or buffer end, so the inner loops carry no per-frame tests; and the clip copy
// from float frames to 16-bit stereo.
#include "mixer.h"

#include <algorithm>
#include <bit>
#include <cmath>

MixChannel FSOUND_Channel[MIX_VOICES];
int mix_volumerampsteps = 128;
float mix_1overvolumerampsteps = 1.0f / 128;

namespace {

constexpr float mix_1over255 = 1.0f / 255.0f;
constexpr float mix_1over256 = 1.0f / 256.0f;
constexpr float mix_255 = 255.0f;
constexpr float mix_256 = 256.0f;
constexpr float mix_1over2gig = 1.0f / 2147483648.0f;

uint64_t Position(const MixChannel& v) {
  return (uint64_t{v.position} << 32) | v.fraction;
}
uint64_t Step(const MixChannel& v) {
  return (uint64_t{v.stepInteger} << 32) | v.stepFraction;
}
void StorePosition(MixChannel& v, uint64_t pos) {
  v.position = static_cast<uint32_t>(pos >> 32);
  v.fraction = static_cast<uint32_t>(pos);
}

// Linear interpolation between value[pos] and value[pos + 1]; the weight is the
// top 31 bits of the fraction, which a float holds exactly enough.
inline float Interpolate(const int16_t* data, uint64_t pos) {
  const uint32_t i = static_cast<uint32_t>(pos >> 32);
  const float t = static_cast<float>(static_cast<uint32_t>(pos) >> 1) * mix_1over2gig;
  const float s0 = data[i];
  const float s1 = data[i + 1];
  return s0 + (s1 - s0) * t;
}

// One voice's contribution to a frame: the sums are formed in double
// precision (the products of two floats are exact there) and rounded back to
// single precision once per voice.
inline void Accumulate(float* out, float v, float left, float right) {
  out[0] = static_cast<float>(static_cast<double>(out[0]) + static_cast<double>(v) * left);
  out[1] = static_cast<float>(static_cast<double>(out[1]) + static_cast<double>(v) * right);
}

// Fixed gains, two frames per iteration. `count` is even.
template <bool kBackward>
uint64_t MixPairs(const int16_t* data, uint64_t pos, uint64_t step, float left, float right,
                  float* out, int count) {
  for (int i = 0; i < count; i += 2) {
    const float a = Interpolate(data, pos);
    pos = kBackward ? pos - step : pos + step;
    const float b = Interpolate(data, pos);
    pos = kBackward ? pos - step : pos + step;
    Accumulate(out, a, left, right);
    Accumulate(out + 2, b, left, right);
    out += 4;
  }
  return pos;
}

// Gains that move by a step per frame; each frame uses the gains before its step.
template <bool kBackward>
uint64_t MixRamp(const int16_t* data, uint64_t pos, uint64_t step, float& left, float& right,
                 float leftStep, float rightStep, float* out, int count) {
  for (int i = 0; i < count; ++i) {
    Accumulate(out, Interpolate(data, pos), left, right);
    left += leftStep;
    right += rightStep;
    pos = kBackward ? pos - step : pos + step;
    out += 2;
  }
  return pos;
}

// Sets up a new ramp when the targets moved; a ramp towards unchanged targets
// carries on with its stored steps, so a ramp spans block boundaries.
void SetUpRamp(MixChannel& v) {
  if (v.rampCount != 0 && v.leftGain == v.lastLeftTarget && v.rightGain == v.lastRightTarget) {
    return;
  }
  v.rampCount = 0;
  v.lastLeftTarget = v.leftGain;
  v.lastRightTarget = v.rightGain;
  const int dl = v.leftGain - (v.rampLeft >> 8);
  const int dr = v.rightGain - (v.rampRight >> 8);
  v.rampLeftStep = dl != 0 ? dl * mix_1over255 * mix_1overvolumerampsteps : 0.0f;
  v.rampRightStep = dr != 0 ? dr * mix_1over255 * mix_1overvolumerampsteps : 0.0f;
  if (dl != 0 || dr != 0) v.rampCount = mix_volumerampsteps;
}

// The loop of a sample as the mixer plays it, in 32.32 units. The end is
// clamped to the data so that a malformed record can never read past it; a
// loop of zero length plays once, like a sample without loop.
struct LoopBounds {
  uint64_t start;
  uint64_t end;
  bool looping;
  bool pingPong;
};

LoopBounds Bounds(const SongSample& s) {
  const uint64_t length = s.data ? s.length : 0;
  const uint64_t end = std::min<uint64_t>(uint64_t{s.loopStart} + s.loopLength, length);
  const uint64_t start = std::min<uint64_t>(s.loopStart, end);
  const bool loopMode = s.loopMode == LOOP_FORWARD || s.loopMode == LOOP_PINGPONG;
  const bool looping = loopMode && end > start;
  return {start << 32, end << 32, looping, looping && s.loopMode == LOOP_PINGPONG};
}

// Frames until the position leaves the played range in its direction: the
// first frame at or past the end moving forward, or before the start moving
// backward. UINT64_MAX when the voice never gets there.
uint64_t FramesToBoundary(uint64_t pos, uint64_t step, bool backward, const LoopBounds& b) {
  if (backward) {
    if (pos < b.start) return 0;
    return step == 0 ? UINT64_MAX : (pos - b.start) / step + 1;
  }
  if (pos >= b.end) return 0;
  return step == 0 ? UINT64_MAX : (b.end - pos + step - 1) / step;
}

// Reflects a ping-pong position back into the loop, mirroring about the
// boundary; repeats while a long step has carried it past the other end.
// Offsets are signed 32.32 values: loops up to 2^31 sample values.
uint64_t Reflect(uint64_t pos, const LoopBounds& b, int32_t& direction) {
  const int64_t length = static_cast<int64_t>(b.end - b.start);
  int64_t offset = static_cast<int64_t>(pos - b.start);
  for (;;) {
    if (direction != DIRECTION_BACKWARD && offset >= length) {
      offset = (length - 1) - (offset - length);
      direction = DIRECTION_BACKWARD;
    } else if (direction == DIRECTION_BACKWARD && offset < 0) {
      offset = -offset - 1;
      direction = DIRECTION_FORWARD;
    } else {
      return b.start + static_cast<uint64_t>(offset);
    }
  }
}

void MixVoice(MixChannel& v, float* out, int frames) {
  while (frames > 0 && v.sample != nullptr) {
    const SongSample& s = *v.sample;
    const LoopBounds bounds = Bounds(s);
    const bool backward = bounds.pingPong && v.direction == DIRECTION_BACKWARD;
    const uint64_t step = Step(v);
    uint64_t pos = Position(v);

    int count = frames;
    bool atBoundary = false;
    const uint64_t toBoundary = FramesToBoundary(pos, step, backward, bounds);
    if (toBoundary <= static_cast<uint64_t>(count)) {
      count = static_cast<int>(toBoundary);
      atBoundary = true;
    }
    const int boundedCount = count;

    SetUpRamp(v);
    const bool ramp = v.rampCount > 0;
    if (ramp) count = std::min(count, v.rampCount);

    if (count > 0) {
      if (!ramp && v.leftGain == 0 && v.rightGain == 0 && v.rampLeft == 0 && v.rampRight == 0) {
        // A silent voice (a faded ghost running to its end) adds exactly
        // nothing: only its position moves.
        const uint64_t distance = step * static_cast<uint64_t>(count);
        pos = backward ? pos - distance : pos + distance;
      } else if (ramp) {
        float left = v.rampLeft * mix_1over256 * mix_1over255;
        float right = v.rampRight * mix_1over256 * mix_1over255;
        pos = backward ? MixRamp<true>(s.data, pos, step, left, right, v.rampLeftStep,
                                       v.rampRightStep, out, count)
                       : MixRamp<false>(s.data, pos, step, left, right, v.rampLeftStep,
                                        v.rampRightStep, out, count);
        v.rampLeft = static_cast<int32_t>(std::lround(left * mix_255 * mix_256));
        v.rampRight = static_cast<int32_t>(std::lround(right * mix_255 * mix_256));
        v.rampCount -= count;
        if (v.rampCount == 0) {
          v.rampLeftStep = 0.0f;
          v.rampRightStep = 0.0f;
          v.rampLeft = v.leftGain * 256;
          v.rampRight = v.rightGain * 256;
        }
      } else {
        const int pairs = count & ~1;
        const float left = v.leftGain * mix_1over255;
        const float right = v.rightGain * mix_1over255;
        pos = backward ? MixPairs<true>(s.data, pos, step, left, right, out, pairs)
                       : MixPairs<false>(s.data, pos, step, left, right, out, pairs);
        if (count & 1) {
          float oddLeft = v.rampLeft * mix_1over256 * mix_1over255;
          float oddRight = v.rampRight * mix_1over256 * mix_1over255;
          pos = backward ? MixRamp<true>(s.data, pos, step, oddLeft, oddRight, 0.0f, 0.0f,
                                         out + 2 * pairs, 1)
                         : MixRamp<false>(s.data, pos, step, oddLeft, oddRight, 0.0f, 0.0f,
                                          out + 2 * pairs, 1);
        }
      }
      out += 2 * count;
      frames -= count;
    }

    if (count < boundedCount || !atBoundary) {
      // The ramp ended before the boundary, or the buffer ended first.
      StorePosition(v, pos);
      continue;
    }
    if (!bounds.looping) {
      v.sample = nullptr;
      v.position = 0;
      v.fraction = 0;
      return;
    }
    if (bounds.pingPong) {
      pos = Reflect(pos, bounds, v.direction);
    } else {
      const uint64_t length = bounds.end - bounds.start;
      pos -= ((pos - bounds.end) / length + 1) * length;
    }
    StorePosition(v, pos);
  }
}

}  // namespace

void FSOUND_Mixer_FPU_Ramp(float* buffer, int frames) {
  if (buffer == nullptr || frames <= 0) return;
  for (int i = 0; i < MIX_ACTIVE_VOICES; ++i) {
    if (FSOUND_Channel[i].sample != nullptr) MixVoice(FSOUND_Channel[i], buffer, frames);
  }
}

void FSOUND_MixerClipCopy_Float32(int16_t* destination, const float* source, int frames) {
  if (destination == nullptr || source == nullptr || frames <= 0) return;
  // Integer operations only, so the loop vectorises (float comparisons would
  // keep it scalar). Adding 1.5 x 2^23 to a float below 2^22 in magnitude
  // leaves the value rounded to the nearest integer, ties to even, in the low
  // mantissa bits. Magnitudes of 32,768 and more (infinities and NaN too)
  // clamp by their sign; rounding may still reach +-32,768, clamped last.
  constexpr float kRound = 12582912.0f;
  constexpr int32_t kRoundBits = 0x4B400000;
  constexpr int32_t k32768Bits = 0x47000000;
  for (int i = 0; i < 2 * frames; ++i) {
    const float x = source[i];
    const int32_t bits = std::bit_cast<int32_t>(x);
    const int32_t rounded = std::bit_cast<int32_t>(x + kRound) - kRoundBits;
    const int32_t large = 32767 - ((bits >> 31) & 65535);  // -32768 when negative
    const int32_t isLarge = -static_cast<int32_t>((bits & 0x7FFFFFFF) >= k32768Bits);
    const int32_t v = (large & isLarge) | (rounded & ~isLarge);
    destination[i] = static_cast<int16_t>(std::min(std::max(v, -32768), 32767));
  }
}
