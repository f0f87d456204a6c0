// Loop handling of the mixer: forward loops, ping-pong reflection and sample
// ends, checked at the boundaries and against a per-frame reference walk.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "mixer_test_util.h"
#include "player/mix/mixer.h"

namespace {

class MixerLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetVoices(); }
};

std::vector<int16_t> Ramp(int n) {
  std::vector<int16_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<int16_t>(i * 100);
  return v;
}

TEST_F(MixerLoopTest, ForwardLoopPastItsEndContinuesOneLengthEarlierWithTheSameFraction) {
  TestSample s(Ramp(200), LOOP_FORWARD, 100, 50);
  MixChannel& v = SteadyVoice(0, &s.record, 255, 255, 0.0);
  v.position = 151;
  v.fraction = 0x12345678u;
  std::vector<float> out(2, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 1);
  EXPECT_EQ(v.position, 101u);
  EXPECT_EQ(v.fraction, 0x12345678u);
  EXPECT_NEAR(out[0], 10100.0f + 100.0f * (0x12345678u / 4294967296.0), 0.01);
}

TEST_F(MixerLoopTest, ForwardLoopWrapsAtTheEnd) {
  TestSample s(Ramp(200), LOOP_FORWARD, 100, 50);
  MixChannel& v = SteadyVoice(0, &s.record, 255, 255, 1.0);
  v.position = 148;
  std::vector<float> out(2 * 4, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 4);
  EXPECT_FLOAT_EQ(out[0], 14800.0f);
  EXPECT_FLOAT_EQ(out[2], 14900.0f);
  EXPECT_FLOAT_EQ(out[4], 10000.0f);  // position 150 -> 100
  EXPECT_FLOAT_EQ(out[6], 10100.0f);
  EXPECT_EQ(v.position, 102u);
}

TEST_F(MixerLoopTest, PingPongReversesAtTheEndMirroredAndAgainAtTheStart) {
  TestSample s(Ramp(40), LOOP_PINGPONG, 10, 10);  // plays 10 .. 19, end E = 20
  MixChannel& v = SteadyVoice(0, &s.record, 255, 255, 1.0);
  v.position = 18;
  v.fraction = 0x80000000u;  // 18.5
  std::vector<float> out(2 * 2, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 2);
  // 18.5, 19.5 played; 20.5 reflects to 2E - P - 2^-32 = 19.5 - 2^-32.
  EXPECT_EQ(v.direction, DIRECTION_BACKWARD);
  EXPECT_EQ(v.position, 19u);
  EXPECT_EQ(v.fraction, 0x7FFFFFFFu);

  v.position = 10;
  v.fraction = 0x40000000u;  // 10.25, moving backward
  FSOUND_Mixer_FPU_Ramp(out.data(), 1);
  // 10.25 played; 9.25 reflects to 2B - P - 2^-32 = 10.75 - 2^-32.
  EXPECT_EQ(v.direction, DIRECTION_FORWARD);
  EXPECT_EQ(v.position, 10u);
  EXPECT_EQ(v.fraction, 0xBFFFFFFFu);
}

TEST_F(MixerLoopTest, LongStepsAgainstShortLoopsStayInsideTheData) {
  TestSample pp(Ramp(12), LOOP_PINGPONG, 5, 2);
  TestSample fw(Ramp(12), LOOP_FORWARD, 5, 1);
  SteadyVoice(0, &pp.record, 255, 0, 7.3);
  SteadyVoice(1, &fw.record, 0, 255, 9.9);
  std::vector<float> out(2 * 1000, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 1000);  // ASan would catch reads past the data
  for (int f = 100; f < 1000; ++f) {
    EXPECT_GE(out[2 * f], 500.0f);
    EXPECT_LE(out[2 * f], 700.0f);
    EXPECT_FLOAT_EQ(out[2 * f + 1], 500.0f);  // value[5], the fix-up value[6] = value[5]
  }
  EXPECT_NE(FSOUND_Channel[0].sample, nullptr);
}

TEST_F(MixerLoopTest, LoopEndBeyondTheDataIsClampedToIt) {
  TestSample s(Ramp(50), LOOP_FORWARD, 10, 20);
  s.record.loopLength = 100000;  // malformed: the loop ends far past the data
  SteadyVoice(0, &s.record, 255, 255, 3.0);
  std::vector<float> out(2 * 500, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 500);
  EXPECT_NE(FSOUND_Channel[0].sample, nullptr);
  EXPECT_LT(FSOUND_Channel[0].position, 50u);
}

struct WalkCase {
  const char* name;
  uint8_t mode;
  uint32_t loopStart, loopLength;
  double step;
};

void PrintTo(const WalkCase& c, std::ostream* os) {
  *os << c.name;
}

class MixerWalkTest : public ::testing::TestWithParam<WalkCase> {};

// The optimised passes hear exactly what a frame-by-frame walk hears, over
// many boundaries, in blocks of the player's size.
TEST_P(MixerWalkTest, MatchesTheFrameByFrameWalk) {
  ResetVoices();
  const WalkCase& c = GetParam();
  std::vector<int16_t> values(500);
  for (int i = 0; i < 500; ++i) values[i] = static_cast<int16_t>((i * 7919) % 30000 - 15000);
  TestSample s(values, c.mode, c.loopStart, c.loopLength);
  MixChannel& v = SteadyVoice(9, &s.record, 255, 255, c.step);
  const int64_t step = (int64_t{v.stepInteger} << 32) | v.stepFraction;
  const int frames = 884 * 6;
  const std::vector<double> expected = ReferenceValues(s, 0, step, frames);
  std::vector<float> out(2 * frames, 0.0f);
  for (int b = 0; b < 6; ++b) FSOUND_Mixer_FPU_Ramp(&out[2 * 884 * b], 884);
  for (int f = 0; f < frames; ++f) {
    ASSERT_NEAR(out[2 * f], expected[f], 0.01) << "frame " << f;
    ASSERT_EQ(out[2 * f], out[2 * f + 1]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loops, MixerWalkTest,
    ::testing::Values(WalkCase{"forward", LOOP_FORWARD, 100, 50, 0.18964},
                      WalkCase{"forward_fast", LOOP_FORWARD, 0, 500, 3.3},
                      WalkCase{"forward_exact_steps", LOOP_FORWARD, 20, 30, 0.5},
                      WalkCase{"pingpong", LOOP_PINGPONG, 200, 77, 0.7531},
                      WalkCase{"pingpong_exact_steps", LOOP_PINGPONG, 10, 40, 0.25},
                      WalkCase{"pingpong_fast", LOOP_PINGPONG, 10, 5, 11.1},
                      WalkCase{"once", LOOP_OFF, 0, 0, 0.1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

struct SilentCase {
  const char* name;
  uint8_t mode;
  uint32_t loopStart, loopLength;
  double step;
  uint32_t position;
  int32_t direction;
  uint32_t fraction = 0x9E3779B9u;
};

// Test lists show the case's name rather than its bytes.
void PrintTo(const SilentCase& c, std::ostream* os) {
  *os << c.name;
}

class MixerSilentVoiceTest : public ::testing::TestWithParam<SilentCase> {};

// A silent voice is moved over its loops in one step instead of pass by pass;
// after every call it must stand where a sounding twin stands: same position,
// fraction and direction, and idle after the same call when its sample ends.
TEST_P(MixerSilentVoiceTest, EndsEveryCallWhereASoundingTwinEnds) {
  ResetVoices();
  const SilentCase& c = GetParam();
  TestSample s(Ramp(300), c.mode, c.loopStart, c.loopLength);
  MixChannel& loud = SteadyVoice(0, &s.record, 200, 100, c.step);
  MixChannel& quiet = SteadyVoice(1, &s.record, 0, 0, c.step);
  for (MixChannel* v : {&loud, &quiet}) {
    v->position = c.position;
    v->fraction = c.fraction;
    v->direction = c.direction;
  }
  std::vector<float> out(2 * 1000, 0.0f);
  for (int call = 0; call < 40; ++call) {
    FSOUND_Mixer_FPU_Ramp(out.data(), 1 + call * 37 % 700);
    ASSERT_EQ(quiet.sample, loud.sample) << "call " << call;
    ASSERT_EQ(quiet.position, loud.position) << "call " << call;
    ASSERT_EQ(quiet.fraction, loud.fraction) << "call " << call;
    ASSERT_EQ(quiet.direction, loud.direction) << "call " << call;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loops, MixerSilentVoiceTest,
    ::testing::Values(
        SilentCase{"forward_from_before_the_loop", LOOP_FORWARD, 100, 50, 0.7131, 3, 0},
        SilentCase{"forward_one_value_loop", LOOP_FORWARD, 40, 1, 3.71, 41, 0},
        SilentCase{"forward_exact_steps", LOOP_FORWARD, 20, 30, 0.5, 20, 0},
        SilentCase{"pingpong_from_before_the_loop", LOOP_PINGPONG, 200, 77, 0.7531, 0, 0},
        SilentCase{"pingpong_backward_inside", LOOP_PINGPONG, 10, 40, 1.37, 30, DIRECTION_BACKWARD},
        SilentCase{"pingpong_steps_longer_than_the_loop", LOOP_PINGPONG, 10, 5, 11.1, 12, 0},
        SilentCase{"pingpong_exact_steps", LOOP_PINGPONG, 10, 40, 0.25, 10, 0},
        SilentCase{"pingpong_backward_before_the_loop", LOOP_PINGPONG, 50, 20, 0.9, 20,
                   DIRECTION_BACKWARD},
        SilentCase{"forward_from_past_the_end", LOOP_FORWARD, 20, 30, 0.8, 120, 0},
        SilentCase{"once_ends_inside_a_call", LOOP_OFF, 0, 0, 0.37, 10, 0},
        SilentCase{"once_ends_exactly_at_a_call_end", LOOP_OFF, 0, 0, 1.0, 299, 0, 0},
        SilentCase{"standing_still", LOOP_PINGPONG, 10, 40, 0.0, 25, DIRECTION_BACKWARD}),
    [](const auto& info) { return std::string(info.param.name); });
