// Sound-design building blocks: noise, oscillators, filters, envelopes and
// the float-to-PCM conversion.
#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace songmaker {

float Noise::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  // The top 24 bits are the well-mixed ones in a power-of-two LCG.
  return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
}

Svf::Out Svf::Run(float input, float cutoffHz, float resonance, double rate) {
  // Chamberlin form; the coefficient is capped below the point where the
  // discrete filter turns unstable, so a sweeping cutoff can never blow up.
  float f = static_cast<float>(2.0 * std::sin(kPi * std::min<double>(cutoffHz, rate / 6.0) / rate));
  float q = 1.0f / std::max(resonance, 0.5f);
  float high = input - low_ - q * band_;
  band_ += f * high;
  low_ += f * band_;
  return {low_, band_, high};
}

float Saw(double phase) {
  double p = phase - std::floor(phase);
  return static_cast<float>(2.0 * p - 1.0);
}

float Square(double phase, double duty) {
  double p = phase - std::floor(phase);
  return p < duty ? 1.0f : -1.0f;
}

float Sine(double phase) {
  return static_cast<float>(std::sin(2.0 * kPi * phase));
}

float Decay(double t, double seconds) {
  return static_cast<float>(std::exp(-t / seconds));
}

void LowPass(Signal& s, float cutoffHz, double rate) {
  float a = static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoffHz / rate));
  float y = 0;
  for (float& v : s) {
    y += a * (v - y);
    v = y;
  }
}

void HighPass(Signal& s, float cutoffHz, double rate) {
  float a = static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoffHz / rate));
  float low = 0;
  for (float& v : s) {
    low += a * (v - low);
    v -= low;
  }
}

void Normalize(Signal& s, float peak) {
  float top = 0;
  for (float v : s) top = std::max(top, std::fabs(v));
  if (top <= 0) return;
  float g = peak / top;
  for (float& v : s) v *= g;
}

void FadeIn(Signal& s, int samples) {
  int n = std::min<int>(samples, static_cast<int>(s.size()));
  for (int i = 0; i < n; ++i) {
    s[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / n));
  }
}

void FadeOut(Signal& s, int samples) {
  int size = static_cast<int>(s.size());
  int n = std::min(samples, size);
  for (int i = 0; i < n; ++i) {
    s[size - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / n));
  }
}

std::vector<int16_t> ToPcm(const Signal& s, bool eightBit) {
  std::vector<int16_t> out(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    float v = std::clamp(s[i], -1.0f, 1.0f);
    if (eightBit) {
      long level = std::lround(v * 127.0f);
      out[i] = static_cast<int16_t>(level * 256);
    } else {
      out[i] = static_cast<int16_t>(std::lround(v * 32767.0f));
    }
  }
  return out;
}

int FinetuneFor(double period, double rate) {
  constexpr double kMiddleC = 261.6255653;
  double ft = 1536.0 * std::log2(kMiddleC * period / rate);
  return std::clamp(static_cast<int>(std::lround(ft)), -128, 127);
}

}  // namespace songmaker
