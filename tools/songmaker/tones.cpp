// Pitched instruments: bass, lead, pad, stab and arpeggio.
//
// Looped tones are rendered as an attack segment followed by a loop segment
// of exactly L samples in which every oscillator completes a whole number of
// cycles and every time-varying parameter has settled; the signal is then
// periodic in L and the loop joins without a click. The nominal pitch is a
// wave period of 128 samples at kRateHigh (C, 261.3 Hz), corrected to
// concert pitch by the finetune.
#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "instruments.h"
#include "synth/sample.h"

namespace songmaker {
namespace {

constexpr double kPeriod = 128.0;

XmSample Tone(const char* name, const Signal& s, bool eightBit) {
  XmSample x;
  x.name = name;
  x.sixteenBit = !eightBit;
  x.data = ToPcm(s, eightBit);
  x.relativeNote = 24;
  x.finetune = static_cast<int8_t>(FinetuneFor(kPeriod, kRateHigh));
  return x;
}

}  // namespace

XmInstrument MakeBass() {
  const double rate = kRateHigh;
  const size_t attack = 4096, loop = 8192;
  Signal s(attack + loop);
  Svf filter;
  const double sweep = 0.08 * rate;  // the filter closes within the attack segment
  for (size_t i = 0; i < s.size(); ++i) {
    double phase = i / kPeriod;
    float raw = 0.6f * Saw(phase) + 0.4f * Square(phase, 0.35) + 0.5f * Sine(phase);
    double open = std::max(0.0, 1.0 - i / sweep);
    float cutoff = static_cast<float>(1500.0 + 5500.0 * open * open);
    s[i] = filter.Run(raw, cutoff, 1.4f, rate).low;
  }
  FadeIn(s, 24);
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "bass";
  XmSample x = Tone("bass", s, false);
  x.volume = 58;
  x.loopType = 1;
  x.loopStart = attack;
  x.loopLength = loop;
  ins.samples.push_back(x);
  ins.volume.on = true;
  ins.volume.sustainOn = true;
  ins.volume.points = {{0, 64}, {5, 50}, {16, 40}};
  ins.volume.sustain = 2;
  ins.fadeout = 2600;  // released over about 12 ticks
  return ins;
}

XmInstrument MakeLead() {
  // Additive pulse wave in cosine phase: every period is symmetric about its
  // start, so a ping-pong loop between period boundaries replays the same
  // wave backwards without a seam. The brightness falls during the attack.
  const size_t attack = 4096, loop = 4096;
  const double duty = 0.3;
  Signal s(attack + loop);
  for (size_t i = 0; i < s.size(); ++i) {
    double open = std::max(0.0, 1.0 - static_cast<double>(i) / attack);
    double brightness = 3.5 + 14.0 * open * open;
    double phase = i / kPeriod;
    double v = 0;
    for (int h = 1; h <= 24; ++h) {
      double amp = std::sin(kPi * h * duty) / h * std::exp(-(h - 1) / brightness);
      v += amp * std::cos(2.0 * kPi * h * phase);
    }
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "lead";
  XmSample x = Tone("lead", s, false);
  x.volume = 54;  // the level of notes written without a volume
  x.loopType = 2;
  x.loopStart = attack;
  x.loopLength = loop;
  ins.samples.push_back(x);
  ins.volume.on = true;
  ins.volume.sustainOn = true;
  ins.volume.points = {{0, 64}, {3, 54}, {14, 42}, {40, 36}};
  ins.volume.sustain = 3;
  ins.fadeout = 1600;
  ins.vibratoType = 0;
  ins.vibratoSweep = 40;
  ins.vibratoDepth = 7;
  ins.vibratoRate = 16;
  return ins;
}

XmInstrument MakePad() {
  // Three saws detuned by whole cycles over the loop (127, 128, 129 periods in
  // 16384 samples) beat slowly against each other. The filter runs over two
  // passes of the loop and only the second, settled pass is kept.
  const double rate = kRateHigh;
  const size_t loop = 16384;
  static constexpr double kCycles[3] = {127.0, 128.0, 129.0};
  Svf filter;
  Signal s(loop);
  for (size_t i = 0; i < 2 * loop; ++i) {
    double t = static_cast<double>(i % loop) / loop;
    float raw = 0;
    for (double c : kCycles) raw += Saw(t * c);
    raw += 0.3f * Sine(t * 256.0);
    float out = filter.Run(raw, 2400, 0.9f, rate).low;
    if (i >= loop) s[i - loop] = out;
  }
  Normalize(s, 0.95f);
  XmInstrument ins;
  ins.name = "pad";
  XmSample x = Tone("pad", s, false);
  x.loopType = 1;
  x.loopStart = 0;
  x.loopLength = loop;
  ins.samples.push_back(x);
  ins.volume.on = true;
  ins.volume.sustainOn = true;
  ins.volume.points = {{0, 0}, {24, 44}, {56, 64}, {90, 52}};
  ins.volume.sustain = 3;
  ins.pan.on = true;
  ins.pan.loopOn = true;
  ins.pan.points = {{0, 32}, {24, 22}, {72, 42}, {96, 32}};  // one sway a bar
  ins.pan.loopStart = 0;
  ins.pan.loopEnd = 3;
  ins.fadeout = 420;  // a long release after key-off
  return ins;
}

XmInstrument MakeStab() {
  // A power chord (C, G, C) with a quickly closing FM brightness, plus a
  // bouncing echo made with Sample::Reverb on a quiet copy: its echoes come
  // ever faster, like a ball settling, and a falling ramp fades them.
  const double rate = kRateLow;
  const size_t n = static_cast<size_t>(0.45 * rate);
  static constexpr double kHz[3] = {261.6256, 391.9954, 523.2511};
  Signal dry(n);
  for (size_t i = 0; i < n; ++i) {
    double t = i / rate;
    double index = 0.4 + 2.6 * std::exp(-t / 0.04);
    double v = 0;
    for (double hz : kHz) {
      v += std::sin(2.0 * kPi * hz * t + index * std::sin(2.0 * kPi * 2.0 * hz * t));
    }
    dry[i] = static_cast<float>(v / 3.0) * Decay(t, 0.13);
  }
  FadeIn(dry, 8);
  Normalize(dry, 1.0f);

  // Reverb keeps the copy at offset 0; subtracting it leaves only the echoes.
  Sample echoes(static_cast<int>(n));
  for (size_t i = 0; i < n; ++i) echoes.data[i] = static_cast<int16_t>(dry[i] * 1500.0f);
  echoes.Reverb(1600, 2.5f);
  for (size_t i = 0; i < n; ++i) {
    echoes.data[i] = static_cast<int16_t>(echoes.data[i] - static_cast<int16_t>(dry[i] * 1500.0f));
  }
  echoes.Volume(1.0f, 0.0f);
  Signal out(echoes.length, 0.0f);
  for (uint32_t i = 0; i < echoes.length; ++i) out[i] = 0.1f * echoes.data[i] / 1500.0f;
  for (size_t i = 0; i < n; ++i) out[i] += dry[i];
  FadeOut(out, 400);
  Normalize(out, 0.95f);
  XmInstrument ins;
  ins.name = "stab";
  XmSample x;
  x.name = "stab";
  x.data = ToPcm(out, false);
  x.relativeNote = 12;
  ins.samples.push_back(x);
  return ins;
}

XmInstrument MakeArp() {
  // A triangle from Sample::GenTriWave. Its ping-pong loop runs from one peak
  // to the next trough, so playing back and forth draws the same triangle.
  Sample tri;
  tri.GenTriWave(8, 64);
  uint32_t peak = 0;
  while (peak + 1 < tri.length && tri.data[peak + 1] >= tri.data[peak]) ++peak;
  uint32_t trough = peak;
  while (trough + 1 < tri.length && tri.data[trough + 1] <= tri.data[trough]) ++trough;
  Signal s(trough + 1);
  for (uint32_t i = 0; i <= trough; ++i) s[i] = tri.data[i] / 15500.0f;
  XmInstrument ins;
  ins.name = "arp";
  XmSample x;
  x.name = "arp";
  x.sixteenBit = false;
  x.data = ToPcm(s, true);
  x.relativeNote = 24;
  x.finetune = static_cast<int8_t>(FinetuneFor(2.0 * (trough - peak), kRateHigh));
  x.loopType = 2;
  x.loopStart = peak;
  x.loopLength = trough - peak;
  ins.samples.push_back(x);
  // A gate that repeats every row (6 ticks) as long as the note is held.
  ins.volume.on = true;
  ins.volume.loopOn = true;
  ins.volume.points = {{0, 64}, {2, 40}, {5, 12}, {6, 64}};
  ins.volume.loopStart = 0;
  ins.volume.loopEnd = 3;
  ins.fadeout = 2000;
  return ins;
}

std::vector<XmInstrument> MakeInstruments() {
  return {MakeKick(), MakeSnare(), MakeHat(),  MakeCymbals(), MakeTom(),   MakeBass(),
          MakeLead(), MakePad(),   MakeStab(), MakeArp(),     MakeImpact()};
}

}  // namespace songmaker
