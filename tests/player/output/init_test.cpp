// Opening the player: sizes derived from the mix rate, refusal without file
// callbacks or with unusable rates, and the calls on a null song.
#include <gtest/gtest.h>

#include "code_song.h"
#include "player/load/file.h"

namespace {

int g_devicesMade = 0;
std::unique_ptr<WaveOut> CountingVirtual() {
  ++g_devicesMade;
  return FSOUND_CreateVirtualWaveOut();
}
std::unique_ptr<WaveOut> Failing() {
  return nullptr;
}

class InitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_devicesMade = 0;
    FSOUND_SetWaveOutFactory(&CountingVirtual);
    codesong::InstallCallbacks();
  }
  void TearDown() override {
    FSOUND_Close();
    FSOUND_SetWaveOutFactory(nullptr);
  }
};

TEST_F(InitTest, SizesAt44100And22050) {
  struct Case {
    int rate, block, ring, ramp;
  };
  for (const Case c : {Case{44100, 884, 88400, 128}, Case{22050, 444, 44400, 64}}) {
    ASSERT_TRUE(FSOUND_Init(c.rate, 0));
    EXPECT_EQ(FSOUND_MixRate, c.rate);
    EXPECT_FLOAT_EQ(FSOUND_OOMixRate, 1.0f / c.rate);
    EXPECT_EQ(FSOUND_BlockSize, c.block);
    EXPECT_EQ(FSOUND_BufferSize, c.ring);
    EXPECT_EQ(FSOUND_BufferSize / FSOUND_BlockSize, 100);
    EXPECT_EQ(mix_volumerampsteps, c.ramp);
    EXPECT_FLOAT_EQ(mix_1overvolumerampsteps, 1.0f / c.ramp);
    ASSERT_NE(FSOUND_GetWaveOut(), nullptr);
    EXPECT_EQ(static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut())->Rate(), c.rate);
  }
}

TEST_F(InitTest, ZeroesEveryVoiceWithItsIndexAndAUnitStep) {
  FSOUND_Channel[200].volume = 99;
  FSOUND_Channel[3].sample = &codesong::g_sample;
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  for (int i = 0; i < MIX_VOICES; ++i) {
    EXPECT_EQ(FSOUND_Channel[i].index, i);
    EXPECT_EQ(FSOUND_Channel[i].stepInteger, 1u);
    EXPECT_EQ(FSOUND_Channel[i].stepFraction, 0u);
    EXPECT_EQ(FSOUND_Channel[i].sample, nullptr);
    EXPECT_EQ(FSOUND_Channel[i].volume, 0);
  }
}

TEST_F(InitTest, RefusesWithoutCallbacksAndDoesNotTouchTheDevice) {
  // A partial set installs none (the file layer's own tests cover which).
  FSOUND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(FSOUND_Init(44100, 0));
  EXPECT_EQ(g_devicesMade, 0);
  EXPECT_EQ(FSOUND_GetWaveOut(), nullptr);
}

// Rates from 1,000 to 384,000 Hz open the device; the first rate outside
// either end does not.
TEST_F(InitTest, AcceptsRatesFrom1000To384000HzOnly) {
  const struct {
    int rate;
    bool opens;
  } cases[] = {{999, false},    {1000, true}, {384000, true},
               {384001, false}, {0, false},   {-44100, false}};
  for (const auto& c : cases) {
    FSOUND_Close();
    EXPECT_EQ(FSOUND_Init(c.rate, 0), c.opens) << c.rate << " Hz";
    EXPECT_EQ(FSOUND_GetWaveOut() != nullptr, c.opens) << c.rate << " Hz";
  }
}

TEST_F(InitTest, AFactoryWhoseDeviceFailsMakesInitFail) {
  FSOUND_SetWaveOutFactory(&Failing);
  EXPECT_FALSE(FSOUND_Init(44100, 0));
  EXPECT_EQ(FSOUND_GetWaveOut(), nullptr);
}

TEST_F(InitTest, NullSongAndPlayWithoutDevice) {
  EXPECT_FALSE(FMUSIC_PlaySong(nullptr));
  EXPECT_FALSE(FMUSIC_StopSong(nullptr));
  EXPECT_EQ(FMUSIC_GetOrder(nullptr), 0);
  EXPECT_EQ(FMUSIC_GetRow(nullptr), 0);
  EXPECT_EQ(FMUSIC_GetTime(nullptr), 0);
  FSOUND_Close();  // nothing open: harmless
  Song song = codesong::MakeSong();
  EXPECT_FALSE(FMUSIC_PlaySong(&song));  // no device open
  EXPECT_EQ(FMUSIC_PlayingSong.load(), nullptr);
}

TEST_F(InitTest, SongWithTooManyChannelsIsNotPlayed) {
  ASSERT_TRUE(FSOUND_Init(44100, 0));
  Song song = codesong::MakeSong();
  song.channelCount = 33;
  EXPECT_FALSE(FMUSIC_PlaySong(&song));
  EXPECT_EQ(codesong::g_ticks, 0);
}

}  // namespace
