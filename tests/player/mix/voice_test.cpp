// Voice handling of the mixer: the volume ramp and its continuation across
// calls, the voice range, sample ends and the empty sample, and that splitting
// a buffer into calls of any size changes nothing.
#include <gtest/gtest.h>

#include <vector>

#include "mixer_test_util.h"
#include "player/mix/mixer.h"

namespace {

class MixerVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetVoices(); }
  // A looping sample holding one constant value: the output is that value
  // times the gain in force at each frame.
  TestSample constant_{std::vector<int16_t>(64, 1000), LOOP_FORWARD, 0, 64};
};

TEST_F(MixerVoiceTest, RampFromSilenceReachesTargetAfterExactly128FramesAcrossCalls) {
  MixChannel& v = FSOUND_Channel[0];
  v.sample = &constant_.record;
  v.leftGain = 100;
  v.rightGain = 50;
  v.direction = DIRECTION_FORWARD;

  // Calls of 50 frames: the ramp of 128 frames spans three of them.
  std::vector<float> out(2 * 300, 0.0f);
  for (int start = 0; start < 300; start += 50) FSOUND_Mixer_FPU_Ramp(&out[2 * start], 50);

  const float full_left = 1000.0f * (100 / 255.0f);
  const float full_right = 1000.0f * (50 / 255.0f);
  EXPECT_FLOAT_EQ(out[0], 0.0f);  // the ramp starts at the old gain
  for (int f = 1; f < 128; ++f) {
    EXPECT_LT(out[2 * f], full_left - 1.0f) << "frame " << f;
    EXPECT_GT(out[2 * f], out[2 * (f - 1)]) << "frame " << f;
  }
  EXPECT_NEAR(out[2 * 64], full_left / 2, 0.5f);
  for (int f = 128; f < 300; ++f) {
    EXPECT_NEAR(out[2 * f], full_left, 1e-3f) << "frame " << f;
    EXPECT_NEAR(out[2 * f + 1], full_right, 1e-3f) << "frame " << f;
  }
  EXPECT_EQ(v.rampCount, 0);
  EXPECT_EQ(v.rampLeft, 100 * 256);
  EXPECT_EQ(v.rampRight, 50 * 256);
}

TEST_F(MixerVoiceTest, RampLengthFollowsTheMixRate) {
  mix_volumerampsteps = 64;  // 22,050 Hz
  mix_1overvolumerampsteps = 1.0f / 64;
  MixChannel& v = FSOUND_Channel[3];
  v.sample = &constant_.record;
  v.leftGain = v.rightGain = 255;
  std::vector<float> out(2 * 100, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 100);
  EXPECT_LT(out[2 * 63], 999.0f);
  EXPECT_NEAR(out[2 * 64], 1000.0f, 1e-3f);
  EXPECT_NEAR(out[2 * 99], 1000.0f, 1e-3f);
}

TEST_F(MixerVoiceTest, GainChangeDuringARampStartsANewRampFromTheCurrentGain) {
  MixChannel& v = SteadyVoice(0, &constant_.record, 200, 200, 1.0);
  v.leftGain = v.rightGain = 0;  // fade out
  std::vector<float> out(2 * 64, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 64);  // half way down
  EXPECT_NEAR(v.rampLeft >> 8, 100, 1);
  v.leftGain = v.rightGain = 200;  // back up from about 100
  std::vector<float> more(2 * 200, 0.0f);
  FSOUND_Mixer_FPU_Ramp(more.data(), 200);
  EXPECT_NEAR(more[0], out[2 * 63] - 1000.0f * 200 / 255 / 128, 2.0f);  // continuous
  EXPECT_LT(more[2 * 127], 1000.0f * 200 / 255 - 1.0f);
  EXPECT_NEAR(more[2 * 128], 1000.0f * 200 / 255, 1e-3f);
}

TEST_F(MixerVoiceTest, GhostVoicesAreMixedAndVoicesAbove63AreNot) {
  SteadyVoice(5, &constant_.record, 255, 0, 1.0);
  SteadyVoice(5 + GHOST_VOICE_OFFSET, &constant_.record, 0, 255, 1.0);
  SteadyVoice(64, &constant_.record, 255, 255, 1.0);
  SteadyVoice(200, &constant_.record, 255, 255, 1.0);
  std::vector<float> out(2 * 10, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 10);
  for (int f = 0; f < 10; ++f) {
    EXPECT_FLOAT_EQ(out[2 * f], 1000.0f);
    EXPECT_FLOAT_EQ(out[2 * f + 1], 1000.0f);
  }
  EXPECT_EQ(FSOUND_Channel[64].position, 0u);  // untouched
}

TEST_F(MixerVoiceTest, SilencedVoiceFadesOutThenRunsOnSilentlyUntilItsEnd) {
  TestSample once(std::vector<int16_t>(1000, 2000), LOOP_OFF, 0, 0);
  MixChannel& v = SteadyVoice(1, &once.record, 255, 255, 1.0);
  v.volume = v.leftGain = v.rightGain = 0;  // what the ghost hand-over leaves behind
  std::vector<float> out(2 * 500, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 500);
  EXPECT_FLOAT_EQ(out[0], 2000.0f);
  EXPECT_GT(out[2 * 127], 0.0f);
  for (int f = 128; f < 500; ++f) ASSERT_EQ(out[2 * f], 0.0f) << "frame " << f;
  EXPECT_EQ(v.sample, &once.record);  // still running, silent
  EXPECT_EQ(v.position, 500u);
  std::vector<float> rest(2 * 600, 0.0f);
  FSOUND_Mixer_FPU_Ramp(rest.data(), 600);
  EXPECT_EQ(v.sample, nullptr);
}

TEST_F(MixerVoiceTest, SampleWithoutLoopEndsInsideTheBlockAndGoesIdle) {
  std::vector<int16_t> values(100);
  for (int i = 0; i < 100; ++i) values[i] = static_cast<int16_t>(i * 10 + 5);
  TestSample once(values, LOOP_OFF, 0, 0);
  MixChannel& v = SteadyVoice(2, &once.record, 255, 255, 1.0);
  v.position = 90;
  std::vector<float> out(2 * 64, -1.0f);  // the mixer adds: untouched frames stay -1
  FSOUND_Mixer_FPU_Ramp(out.data(), 64);
  for (int f = 0; f < 10; ++f) EXPECT_FLOAT_EQ(out[2 * f], -1.0f + values[90 + f]) << f;
  for (int f = 10; f < 64; ++f) EXPECT_EQ(out[2 * f], -1.0f) << "frame " << f;
  EXPECT_EQ(v.sample, nullptr);
  EXPECT_EQ(v.position, 0u);
  EXPECT_EQ(v.fraction, 0u);
}

TEST_F(MixerVoiceTest, EmptySampleStopsItsVoiceWithoutOutput) {
  SongSample empty{};  // length 0, no data, loop mode 0
  MixChannel& v = FSOUND_Channel[7];
  v.sample = &empty;
  v.leftGain = v.rightGain = 255;
  std::vector<float> out(2 * 32, 0.0f);
  FSOUND_Mixer_FPU_Ramp(out.data(), 32);
  for (float x : out) EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(v.sample, nullptr);
}

TEST_F(MixerVoiceTest, NothingHappensForNoFrames) {
  MixChannel& v = SteadyVoice(0, &constant_.record, 255, 255, 1.0);
  float out[4] = {0, 0, 0, 0};
  FSOUND_Mixer_FPU_Ramp(out, 0);
  FSOUND_Mixer_FPU_Ramp(out, -5);
  EXPECT_EQ(v.position, 0u);
  EXPECT_EQ(out[0], 0.0f);
}

// Calls of odd and even sizes (the pair loop's odd last frame, ramps cut by
// call ends, loop wraps at call ends) give what one long call gives.
TEST_F(MixerVoiceTest, SplittingTheBufferIntoCallsChangesNothing) {
  std::vector<int16_t> values(300);
  for (int i = 0; i < 300; ++i) values[i] = static_cast<int16_t>((i * 977) % 20000 - 10000);
  TestSample forward(values, LOOP_FORWARD, 40, 200);
  TestSample pingpong(values, LOOP_PINGPONG, 100, 37);
  const int frames = 5000;

  auto run = [&](const std::vector<int>& chunks) {
    ResetVoices();
    SteadyVoice(0, &forward.record, 180, 90, 1.37);
    SteadyVoice(33, &pingpong.record, 60, 255, 2.71);
    FSOUND_Channel[0].rampLeft = FSOUND_Channel[0].rampRight = 0;  // starts with a ramp
    std::vector<float> out(2 * frames, 0.0f);
    int at = 0;
    for (size_t i = 0; at < frames; ++i) {
      const int n = std::min(chunks[i % chunks.size()], frames - at);
      FSOUND_Mixer_FPU_Ramp(&out[2 * at], n);
      at += n;
    }
    return out;
  };
  const std::vector<float> whole = run({frames});
  for (const auto& chunks : {std::vector<int>{1}, {7, 2, 13}, {884}, {3, 100, 64}}) {
    const std::vector<float> split = run(chunks);
    for (int i = 0; i < 2 * frames; ++i) {
      // Ramps store their gains rounded to 8.8 at each call end.
      ASSERT_NEAR(split[i], whole[i], 0.05f) << "value " << i << ", chunk " << chunks[0];
    }
  }
}

}  // namespace
