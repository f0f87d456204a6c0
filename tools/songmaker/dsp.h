// Sound-design building blocks for the song maker: a deterministic noise
// source, oscillators, filters and envelopes working on float buffers, and the
// conversion into 16-bit sample values for the XM writer.
//
// Contract: plain functions and small value types, used only by the song
// maker on its single thread. Buffers are std::vector<float> holding values
// nominally in -1..1; nothing here keeps global state, so the same calls
// always produce the same sound (the song file must be byte-identical on
// every build).
#pragma once

#include <cstdint>
#include <vector>

namespace songmaker {

using Signal = std::vector<float>;

// Sample rates at which a sample sounds at its own pitch when played at C-4
// with relative note 24 and 12: the player plays C-4 at 8363 Hz.
constexpr double kRateHigh = 8363.0 * 4.0;  // relative note 24
constexpr double kRateLow = 8363.0 * 2.0;   // relative note 12
constexpr double kPi = 3.14159265358979323846;

// A small linear congruential generator: portable and identical everywhere,
// unlike rand() or the <random> distributions.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  float Next();  // uniform in -1..1

 private:
  uint32_t state_;
};

// Two-pole state-variable filter (one instance per voice; the cutoff may
// change on every sample for filter envelopes).
class Svf {
 public:
  struct Out {
    float low, band, high;
  };
  Out Run(float input, float cutoffHz, float resonance, double rate);

 private:
  float low_ = 0, band_ = 0;
};

// Band-limited-enough naive waveforms of phase 0..1.
float Saw(double phase);
float Square(double phase, double duty);
float Sine(double phase);

// Exponential decay: 1 at t = 0, 1/e after `seconds`.
float Decay(double t, double seconds);

// One-pole low and high passes over a whole buffer, in place.
void LowPass(Signal& s, float cutoffHz, double rate);
void HighPass(Signal& s, float cutoffHz, double rate);

// Scales so that the largest magnitude becomes `peak`.
void Normalize(Signal& s, float peak);
// Multiplies the first `samples` values by a rising half-cosine, removing clicks.
void FadeIn(Signal& s, int samples);
void FadeOut(Signal& s, int samples);

// Float (-1..1) to 16-bit values, rounding; `eightBit` rounds to multiples of
// 256 so that the writer's value >> 8 keeps the nearest 8-bit level.
std::vector<int16_t> ToPcm(const Signal& s, bool eightBit);

// Finetune (1/128 semitone) that makes a wave of `period` samples recorded at
// `rate` sound at C when played at C-4 with the matching relative note.
int FinetuneFor(double period, double rate);

}  // namespace songmaker
