// The software mixer: voice passes bounded by the next loop boundary, ramp end
// or buffer end, so the inner loops carry no per-frame tests; and the clip copy
// from float frames to 16-bit stereo.
#include "mixer.h"

#include <algorithm>
#include <cmath>

#include "mix_kernels.h"

MixChannel FSOUND_Channel[MIX_VOICES];
int FSOUND_MixRate = 0;
float FSOUND_OOMixRate = 0.0f;
int mix_volumerampsteps = 128;
float mix_1overvolumerampsteps = 1.0f / 128;

namespace {

constexpr float mix_1over255 = 1.0f / 255.0f;
constexpr float mix_1over256 = 1.0f / 256.0f;
constexpr float mix_255 = 255.0f;
constexpr float mix_256 = 256.0f;

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

// Sets up a new ramp when the targets moved, over the voice's ramp length; a ramp towards unchanged targets
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
  const int frames = v.rampFrames > 0 ? v.rampFrames : mix_volumerampsteps;
  const float perFrame =
      v.rampFrames > 0 ? 1.0f / static_cast<float>(frames) : mix_1overvolumerampsteps;
  v.rampLeftStep = dl != 0 ? dl * mix_1over255 * perFrame : 0.0f;
  v.rampRightStep = dr != 0 ? dr * mix_1over255 * perFrame : 0.0f;
  if (dl != 0 || dr != 0) v.rampCount = frames;
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
// backward. UINT64_MAX when that lies beyond `limit` frames (found without a
// division) or the voice never gets there.
uint64_t FramesToBoundary(uint64_t pos, uint64_t step, bool backward, const LoopBounds& b,
                          uint64_t limit) {
  uint64_t reach;
  const bool far = __builtin_mul_overflow(step, limit, &reach);
  if (backward) {
    if (pos < b.start) return 0;
    if (step == 0 || (!far && reach <= pos - b.start)) return UINT64_MAX;
    return (pos - b.start) / step + 1;
  }
  if (pos >= b.end) return 0;
  if (step == 0 || (!far && reach < b.end - pos)) return UINT64_MAX;
  return (b.end - pos + step - 1) / step;
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

// Moves a silent voice on by `frames` frames in one step, where passes from
// boundary to boundary would have taken it: the position it would reach
// without loops, folded back into the loop. A ping-pong voice is followed by
// its distance m from the loop start along the way it travels: m in [0, L)
// moving forward at start + m, m in [L, 2L) moving backward at start + 2L - 1
// - m, and the reflections at either end are m's wrap modulo 2L. False, with
// nothing changed, for states outside the loop and for distances near the
// 64-bit range; the passes handle those.
bool AdvanceSilently(MixChannel& v, const LoopBounds& b, uint64_t step, int frames) {
  constexpr uint64_t kRange = uint64_t{1} << 62;
  uint64_t distance;
  const uint64_t pos = Position(v);
  if (__builtin_mul_overflow(step, static_cast<uint64_t>(frames), &distance) ||
      distance >= kRange || b.end >= kRange || pos >= b.end) {
    return false;
  }
  if (!b.looping) {
    if (distance >= b.end - pos) {
      v.sample = nullptr;
      v.position = 0;
      v.fraction = 0;
    } else {
      StorePosition(v, pos + distance);
    }
    return true;
  }
  const int64_t length = static_cast<int64_t>(b.end - b.start);
  const int64_t offset = static_cast<int64_t>(pos) - static_cast<int64_t>(b.start);
  const bool backward = b.pingPong && v.direction == DIRECTION_BACKWARD;
  if (backward && offset < 0) return false;
  const int64_t m = (backward ? 2 * length - 1 - offset : offset) + static_cast<int64_t>(distance);
  if (m < length) {
    StorePosition(v, b.start + static_cast<uint64_t>(m));  // no boundary reached
  } else if (!b.pingPong) {
    StorePosition(v, b.start + static_cast<uint64_t>(m % length));
  } else {
    const int64_t folded = m % (2 * length);
    v.direction = folded < length ? DIRECTION_FORWARD : DIRECTION_BACKWARD;
    StorePosition(
        v, b.start + static_cast<uint64_t>(folded < length ? folded : 2 * length - 1 - folded));
  }
  return true;
}

void MixVoice(MixChannel& v, float* out, int frames, const MixKernels& kernels) {
  while (frames > 0 && v.sample != nullptr) {
    const SongSample& s = *v.sample;
    const LoopBounds bounds = Bounds(s);
    const bool backward = bounds.pingPong && v.direction == DIRECTION_BACKWARD;
    const uint64_t step = Step(v);

    SetUpRamp(v);
    const bool ramp = v.rampCount > 0;
    const bool silent =
        !ramp && v.leftGain == 0 && v.rightGain == 0 && v.rampLeft == 0 && v.rampRight == 0;
    if (silent && AdvanceSilently(v, bounds, step, frames)) {
      // A silent voice (a faded ghost running to its end) adds exactly
      // nothing: only its position moves.
      return;
    }

    uint64_t pos = Position(v);
    int count = frames;
    bool atBoundary = false;
    const uint64_t toBoundary = FramesToBoundary(pos, step, backward, bounds, frames);
    if (toBoundary <= static_cast<uint64_t>(count)) {
      count = static_cast<int>(toBoundary);
      atBoundary = true;
    }
    const int boundedCount = count;
    if (ramp) count = std::min(count, v.rampCount);

    if (count > 0) {
      const uint64_t delta = backward ? 0 - step : step;
      if (silent) {
        pos += delta * static_cast<uint64_t>(count);  // silent, in a state outside the loop
      } else if (ramp) {
        float gains[2] = {v.rampLeft * mix_1over256 * mix_1over255,
                          v.rampRight * mix_1over256 * mix_1over255};
        const float steps[2] = {v.rampLeftStep, v.rampRightStep};
        pos = kernels.ramp(s.data, pos, delta, gains, steps, out, count);
        v.rampLeft = static_cast<int32_t>(std::lround(gains[0] * mix_255 * mix_256));
        v.rampRight = static_cast<int32_t>(std::lround(gains[1] * mix_255 * mix_256));
        v.rampCount -= count;
        if (v.rampCount == 0) {
          v.rampLeftStep = 0.0f;
          v.rampRightStep = 0.0f;
          v.rampLeft = v.leftGain * 256;
          v.rampRight = v.rightGain * 256;
        }
      } else {
        // Fixed gains, except that an odd last frame goes through the ramp
        // path with zero steps, at the gains the ramp values hold (equal to
        // the fixed gains once a ramp has completed).
        const float fixed[2] = {v.leftGain * mix_1over255, v.rightGain * mix_1over255};
        const float last[2] = {v.rampLeft * mix_1over256 * mix_1over255,
                               v.rampRight * mix_1over256 * mix_1over255};
        pos = kernels.steady(s.data, pos, delta, fixed, last, out, count);
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
      pos -= pos - bounds.end < length ? length : ((pos - bounds.end) / length + 1) * length;
    }
    StorePosition(v, pos);
  }
}

}  // namespace

void FSOUND_Mixer_FPU_Ramp(float* buffer, int frames) {
  if (buffer == nullptr || frames <= 0) return;
  const MixKernels& kernels = CurrentMixKernels();
  for (int i = 0; i < MIX_ACTIVE_VOICES; ++i) {
    if (FSOUND_Channel[i].sample != nullptr) MixVoice(FSOUND_Channel[i], buffer, frames, kernels);
  }
}

void FSOUND_MixerClipCopy_Float32(int16_t* destination, const float* source, int frames) {
  if (destination == nullptr || source == nullptr || frames <= 0) return;
  CurrentMixKernels().clip(destination, source, 2 * frames);
}
