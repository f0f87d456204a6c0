// Percussion instruments: kick, snare, hats, cymbals, toms and the impact.
// All are one-shot samples except the crash, whose noisy body loops under a
// decaying volume envelope so that a long ring costs little file space.
#include <cmath>

#include "dsp.h"
#include "instruments.h"
#include "synth/sample.h"

namespace songmaker {
namespace {

XmSample OneShot(const char* name, const Signal& s, double rate, bool eightBit) {
  XmSample x;
  x.name = name;
  x.sixteenBit = !eightBit;
  x.data = ToPcm(s, eightBit);
  x.relativeNote = rate == kRateHigh ? 24 : 12;
  return x;
}

// A falling sine: the body of kicks, toms and the impact.
Signal Sweep(double seconds, double rate, double endHz, double extraHz, double sweepTime,
             double decay) {
  Signal s(static_cast<size_t>(seconds * rate));
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = i / rate;
    double hz = endHz + extraHz * std::exp(-t / sweepTime);
    phase += hz / rate;
    s[i] = Sine(phase) * Decay(t, decay);
  }
  return s;
}

// Metallic noise: a few square waves at inharmonic frequencies plus white noise.
Signal Metal(size_t n, double rate, uint32_t seed, float noiseShare) {
  static constexpr double kRatios[6] = {1.0, 1.342, 1.2312, 1.6532, 1.9523, 2.1523};
  Noise noise(seed);
  Signal s(n);
  for (size_t i = 0; i < n; ++i) {
    double t = i / rate;
    float m = 0;
    for (double r : kRatios) m += Square(t * 540.0 * r, 0.5);
    s[i] = (1.0f - noiseShare) * m / 6.0f + noiseShare * noise.Next();
  }
  return s;
}

}  // namespace

XmInstrument MakeKick() {
  const double rate = kRateLow;
  Signal s = Sweep(0.42, rate, 46.0, 120.0, 0.032, 0.17);
  Noise noise(7);
  Signal click(static_cast<size_t>(0.006 * rate));
  for (size_t i = 0; i < click.size(); ++i) click[i] = noise.Next() * Decay(i / rate, 0.0015);
  LowPass(click, 3000, rate);
  for (size_t i = 0; i < click.size(); ++i) s[i] += 0.5f * click[i];
  // Gentle saturation gives the body some upper harmonics to cut through.
  for (float& v : s) v = std::tanh(1.6f * v);
  FadeOut(s, 400);
  Normalize(s, 0.97f);
  XmInstrument ins;
  ins.name = "kick";
  XmSample x = OneShot("kick", s, rate, false);
  x.volume = 58;  // leaves headroom where the kick meets the bass and the crash
  ins.samples.push_back(x);
  return ins;
}

XmInstrument MakeSnare() {
  const double rate = kRateHigh;
  const size_t n = static_cast<size_t>(0.26 * rate);
  // Body and rattle are built as separate 16-bit samples and mixed with the
  // Sample class, whose mixing saturates at +-21000: both layers stay below it.
  Sample body(static_cast<int>(n));
  double p1 = 0, p2 = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = i / rate;
    p1 += 180.0 * (1.0 + 0.6 * std::exp(-t / 0.008)) / rate;
    p2 += 330.0 / rate;
    float v = 0.7f * Sine(p1) * Decay(t, 0.05) + 0.3f * Sine(p2) * Decay(t, 0.03);
    body.data[i] = static_cast<int16_t>(v * 12000.0f);
  }
  Signal rattle(n);
  Noise noise(11);
  Svf band;
  for (size_t i = 0; i < n; ++i) {
    double t = i / rate;
    float b = band.Run(noise.Next(), 4200, 0.8f, rate).band;
    rattle[i] = b * Decay(t, 0.085);
  }
  HighPass(rattle, 900, rate);
  Normalize(rattle, 0.6f);
  Sample rattleSample(static_cast<int>(n));
  for (size_t i = 0; i < n; ++i) rattleSample.data[i] = static_cast<int16_t>(rattle[i] * 16000.0f);
  body.Input(&rattleSample, 0);
  Signal s(body.data, body.data + body.length);
  FadeOut(s, 600);
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "snare";
  ins.samples.push_back(OneShot("snare", s, rate, false));
  return ins;
}

XmInstrument MakeHat() {
  const double rate = kRateHigh;
  Signal s = Metal(static_cast<size_t>(0.09 * rate), rate, 23, 0.6f);
  HighPass(s, 7000, rate);
  HighPass(s, 5000, rate);
  for (size_t i = 0; i < s.size(); ++i) s[i] *= Decay(i / rate, 0.022);
  FadeOut(s, 200);
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "closed hat";
  XmSample x = OneShot("closed hat", s, rate, true);
  x.pan = 150;
  ins.samples.push_back(x);
  return ins;
}

XmInstrument MakeCymbals() {
  const double rate = kRateHigh;
  // Open hat: a longer metallic tail, one shot.
  Signal open = Metal(static_cast<size_t>(0.30 * rate), rate, 31, 0.55f);
  HighPass(open, 6000, rate);
  HighPass(open, 4000, rate);
  for (size_t i = 0; i < open.size(); ++i) open[i] *= Decay(i / rate, 0.09);
  FadeOut(open, 800);
  Normalize(open, 0.95f);

  // Crash: a bright attack running into a stationary noisy body that loops;
  // its decay comes from the instrument's volume envelope.
  const size_t attack = static_cast<size_t>(0.08 * rate);
  const size_t body = static_cast<size_t>(0.30 * rate);
  Signal crash = Metal(attack + body, rate, 47, 0.75f);
  HighPass(crash, 3500, rate);
  for (size_t i = 0; i < attack; ++i) crash[i] *= 1.0f + 0.8f * Decay(i / rate, 0.015);
  Normalize(crash, 0.95f);

  XmInstrument ins;
  ins.name = "cymbals";
  ins.samples.push_back(OneShot("open hat", open, rate, true));
  XmSample c = OneShot("crash", crash, rate, true);
  c.relativeNote = 12;  // played from C-5
  c.loopType = 1;
  c.loopStart = static_cast<uint32_t>(attack);
  c.loopLength = static_cast<uint32_t>(body);
  ins.samples.push_back(c);
  for (int note = 60; note < 96; ++note) ins.noteToSample[note] = 1;
  ins.volume.on = true;
  ins.volume.points = {{0, 64}, {6, 44}, {30, 22}, {90, 8}, {160, 0}};
  ins.fadeout = 1200;  // a key-off chokes the ring in about 0.4 s (27 ticks)
  return ins;
}

XmInstrument MakeTom() {
  const double rate = kRateLow;
  Signal s = Sweep(0.45, rate, 130.8, 80.0, 0.05, 0.16);  // C-3 at rest
  Noise noise(59);
  for (size_t i = 0; i < 200 && i < s.size(); ++i)
    s[i] += 0.3f * noise.Next() * (1.0f - i / 200.0f);
  for (float& v : s) v = std::tanh(1.3f * v);
  FadeOut(s, 500);
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "tom";
  // Played at C-4 it rings at C-3; the patterns tune the toms by note.
  ins.samples.push_back(OneShot("tom", s, rate, false));
  return ins;
}

XmInstrument MakeImpact() {
  const double rate = kRateLow;
  Signal boom = Sweep(1.9, rate, 36.0, 70.0, 0.12, 0.55);
  Signal wash(boom.size());
  Noise noise(71);
  Svf sweep;
  for (size_t i = 0; i < wash.size(); ++i) {
    double t = i / rate;
    // The wash closes quickly, so a hit on the next row cuts through it.
    float cutoff = static_cast<float>(300.0 + 5000.0 * std::exp(-t / 0.08));
    wash[i] = sweep.Run(noise.Next(), cutoff, 0.7f, rate).low * Decay(t, 0.45);
  }
  Signal s(boom.size());
  for (size_t i = 0; i < s.size(); ++i) s[i] = 0.8f * boom[i] + 0.45f * wash[i];
  for (float& v : s) v = std::tanh(1.4f * v);
  FadeOut(s, 3000);
  Normalize(s, 0.97f);
  XmInstrument ins;
  ins.name = "impact";
  ins.samples.push_back(OneShot("impact", s, rate, false));
  return ins;
}

}  // namespace songmaker
