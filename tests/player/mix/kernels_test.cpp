// The vector kernel sets against the plain one: random voices mixed through
// the whole mixer (every loop mode, boundaries and ramp ends at any frame of a
// vector step, steps from tiny to huge, calls of odd sizes) must give the same
// float buffers word for word and the same voice states; the clip copy must
// give the same 16-bit values for edge and random floats.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mixer_test_util.h"
#include "player/mix/mix_kernels.h"
#include "player/mix/mixer.h"

namespace {

// The sets this processor runs besides the plain one, printed once so that a
// log shows which were compared.
std::vector<KernelSet> VectorSets() {
  std::vector<KernelSet> sets;
  std::string names = "plain";
  for (KernelSet set : kKernelSets) {
    if (set == KernelSet::kPlain || MixKernelTable(set) == nullptr) continue;
    sets.push_back(set);
    names += std::string(" ") + KernelSetName(set);
  }
  static bool printed = false;
  if (!printed) std::printf("mixer kernel sets compared: %s\n", names.c_str());
  printed = true;
  return sets;
}

// Restores the processor's best set after each test.
class KernelSetsTest : public ::testing::Test {
 protected:
  void TearDown() override { UseMixKernels(KernelSet::kBest); }
};

struct Scenario {
  const char* name;
  double minStep, maxStep;  // drawn log-uniformly; equal bounds give that step
  double rampChance;        // per voice and call: a new gain target
  int maxCall;              // frames per call, 1..maxCall
};

// Sample values across the whole 16-bit range, extremes included.
std::vector<int16_t> RandomValues(std::mt19937& rng, uint32_t length) {
  std::uniform_int_distribution<int> value(-32768, 32767);
  std::vector<int16_t> values(length);
  for (auto& x : values)
    x = static_cast<int16_t>(rng() % 16 == 0 ? (rng() % 2 ? 32767 : -32768) : value(rng));
  return values;
}

// Samples of every loop mode, with loops from one value long to hundreds.
std::vector<std::unique_ptr<TestSample>> RandomSamples(std::mt19937& rng) {
  std::vector<std::unique_ptr<TestSample>> samples;
  for (int i = 0; i < 12; ++i) {
    const uint32_t length = 1 + rng() % (i < 6 ? 24 : 3000);
    const uint8_t mode = i % 3 == 0 ? LOOP_OFF : (i % 3 == 1 ? LOOP_FORWARD : LOOP_PINGPONG);
    const uint32_t loopStart = rng() % length;
    const uint32_t loopLength = 1 + rng() % (length - loopStart);
    samples.push_back(
        std::make_unique<TestSample>(RandomValues(rng, length), mode, loopStart, loopLength));
  }
  return samples;
}

void StartNote(std::mt19937& rng, const Scenario& sc, MixChannel& v,
               std::vector<std::unique_ptr<TestSample>>& samples) {
  const SongSample& s = samples[rng() % samples.size()]->record;
  v.sample = const_cast<SongSample*>(&s);
  v.position = s.length ? static_cast<uint32_t>(rng() % s.length) : 0;
  v.fraction = static_cast<uint32_t>(rng());
  v.direction = rng() % 2 ? DIRECTION_FORWARD : DIRECTION_BACKWARD;
  const double step =
      sc.minStep * std::pow(sc.maxStep / sc.minStep, std::uniform_real_distribution<>(0, 1)(rng));
  SetStep(v, step);
  if (sc.minStep == sc.maxStep && rng() % 2) v.stepFraction += rng() % 3 - 1;  // one unit off
}

struct ScenarioResult {
  std::vector<uint32_t> words;  // every call's float output, then every voice's state
  size_t changed = 0;           // output values the voices changed
};

// Runs one scenario through the selected kernel set.
ScenarioResult RunScenario(const Scenario& sc, uint32_t seed) {
  std::mt19937 rng(seed);
  ResetVoices();
  auto samples = RandomSamples(rng);
  for (int i = 0; i < MIX_ACTIVE_VOICES; ++i) {
    if (rng() % 4 == 0) continue;  // idle
    MixChannel& v = FSOUND_Channel[i];
    StartNote(rng, sc, v, samples);
    v.leftGain = rng() % 256;
    v.rightGain = rng() % 256;
  }
  ScenarioResult r;
  for (int call = 0; call < 60; ++call) {
    for (int i = 0; i < MIX_ACTIVE_VOICES; ++i) {
      MixChannel& v = FSOUND_Channel[i];
      if (rng() % 1000 < sc.rampChance * 1000) {
        v.leftGain = rng() % 4 == 0 ? 0 : rng() % 256;
        v.rightGain = rng() % 256;
      }
      if (rng() % 40 == 0) StartNote(rng, sc, v, samples);
    }
    const int frames = 1 + static_cast<int>(rng() % sc.maxCall);
    // Start from values of any size, as after earlier voices.
    std::vector<float> before(2 * static_cast<size_t>(frames));
    for (auto& x : before) x = std::uniform_real_distribution<float>(-70000.0f, 70000.0f)(rng);
    std::vector<float> out = before;
    FSOUND_Mixer_FPU_Ramp(out.data(), frames);
    for (size_t i = 0; i < out.size(); ++i) {
      r.changed += out[i] != before[i];
      r.words.push_back(std::bit_cast<uint32_t>(out[i]));
    }
  }
  for (int i = 0; i < MIX_ACTIVE_VOICES; ++i) {
    const MixChannel& v = FSOUND_Channel[i];
    for (uint32_t w :
         {v.sample ? 1u : 0u, v.position, v.fraction, uint32_t(v.direction), uint32_t(v.rampLeft),
          uint32_t(v.rampRight), uint32_t(v.rampCount), std::bit_cast<uint32_t>(v.rampLeftStep),
          std::bit_cast<uint32_t>(v.rampRightStep)}) {
      r.words.push_back(w);
    }
  }
  return r;
}

const Scenario kScenarios[] = {
    {"tiny_steps", 1.0 / (1 << 20), 0.01, 0.3, 300},
    {"steps_below_one", 0.01, 0.999, 0.3, 300},
    {"steps_of_exactly_one", 1.0, 1.0, 0.3, 300},
    {"steps_above_one", 1.001, 8.0, 0.3, 300},
    {"huge_steps", 8.0, 255.0, 0.3, 300},
    {"any_step_short_calls", 0.001, 40.0, 0.5, 19},
    {"any_step_ramps_every_call", 0.001, 40.0, 1.0, 884},
};

TEST_F(KernelSetsTest, EveryVectorSetMixesWordForWordLikeThePlainKernels) {
  const std::vector<KernelSet> sets = VectorSets();
#if defined(__x86_64__) || defined(__wasm_simd128__)
  // These targets always have a vector set: comparing none would prove nothing.
  ASSERT_FALSE(sets.empty());
#endif
  for (const Scenario& sc : kScenarios) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      ASSERT_TRUE(UseMixKernels(KernelSet::kPlain));
      const ScenarioResult expected = RunScenario(sc, seed);
      // The voices sound in most frames: equal silent buffers would prove nothing.
      const size_t outputs = expected.words.size() - 9 * MIX_ACTIVE_VOICES;
      ASSERT_GT(expected.changed, outputs / 2) << sc.name << ", seed " << seed;
      for (KernelSet set : sets) {
        ASSERT_TRUE(UseMixKernels(set));
        const std::vector<uint32_t> got = RunScenario(sc, seed).words;
        ASSERT_EQ(got.size(), expected.words.size());
        for (size_t i = 0; i < got.size(); ++i) {
          ASSERT_EQ(got[i], expected.words[i])
              << KernelSetName(set) << ", " << sc.name << ", seed " << seed << ", word " << i
              << (i < outputs ? " of the output" : " of the voice states");
        }
      }
    }
  }
}

// Floats that probe the clip copy: ties of rounding, the clamp bounds and just
// beyond, the conversion's own overflow at 2^31, infinities, NaN of both signs.
std::vector<float> ClipInputs() {
  std::vector<float> in;
  const float inf = std::numeric_limits<float>::infinity();
  for (float x : {0.0f, 0.5f, 1.5f, 2.5f, 0.49999997f, 32766.5f, 32767.0f, 32767.5f, 32767.996f,
                  32768.0f, 32768.5f, 40000.0f, 2147483520.0f, 2147483648.0f, 1e30f, inf,
                  std::numeric_limits<float>::denorm_min(), std::nextafter(32768.0f, 0.0f)}) {
    in.push_back(x);
    in.push_back(-x);
  }
  for (uint32_t nan :
       {0x7FC00000u, 0xFFC00000u, 0x7F800001u, 0xFF800001u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    in.push_back(std::bit_cast<float>(nan));
  }
  for (int k = -33000; k <= 33000; k += 1) in.push_back(static_cast<float>(k) + 0.5f);
  std::mt19937 rng(11);
  for (int i = 0; i < 100000; ++i) in.push_back(std::bit_cast<float>(static_cast<uint32_t>(rng())));
  for (int i = 0; i < 100000; ++i) {
    in.push_back(std::uniform_real_distribution<float>(-40000.0f, 40000.0f)(rng));
  }
  for (uint64_t bits = 0; bits < (uint64_t{1} << 32); bits += 65521) {
    in.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
  }
  return in;
}

TEST_F(KernelSetsTest, ClipCopyOfEveryVectorSetMatchesThePlainOne) {
  const std::vector<float> in = ClipInputs();
  std::vector<int16_t> expected(in.size());
  MixKernelTable(KernelSet::kPlain)
      ->clip(expected.data(), in.data(), static_cast<int>(in.size()));
  for (KernelSet set : VectorSets()) {
    const MixKernels& k = *MixKernelTable(set);
    // Every start offset and a length that leaves every tail size.
    for (int offset = 0; offset < 17; ++offset) {
      std::vector<int16_t> got(in.size(), 1234);
      const int n = static_cast<int>(in.size()) - offset - (offset * 5) % 17;
      k.clip(got.data() + offset, in.data() + offset, n);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(got[offset + i], expected[offset + i])
            << KernelSetName(set) << ": input " << in[offset + i] << " (bits 0x" << std::hex
            << std::bit_cast<uint32_t>(in[offset + i]) << std::dec << ")";
      }
      if (offset > 0) {
        ASSERT_EQ(got[offset - 1], 1234) << "wrote before the start";
      }
      if (offset + n < static_cast<int>(got.size())) {
        ASSERT_EQ(got[offset + n], 1234) << "wrote past the end";
      }
    }
  }
}

}  // namespace
