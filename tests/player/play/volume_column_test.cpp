// The volume column at speed 6: the value after each tick of the row (tick 0
// being the row step), starting from a sample volume of 32 and pan of 128.
#include <gtest/gtest.h>

#include "tick_table.h"

namespace songtest {
namespace {

XmSong WithVolumeByte(uint8_t volume) {
  XmSong xm = BasicSong(1, 4);
  xm.instruments[0].samples[0].volume = 32;
  xm.patterns[0].At(0, 0, 1) = {49, 1, volume, 0, 0};
  return xm;
}

TEST(VolumeColumn, VolumeCommands) {
  const struct {
    uint8_t byte;
    Ticks volume;
  } table[] = {
      {0x0F, {32, 32, 32, 32, 32, 32}},  // below 0x10: nothing
      {0x10, {0, 0, 0, 0, 0, 0}},        // set 0
      {0x50, {64, 64, 64, 64, 64, 64}},  // set 64
      {0x55, {32, 32, 32, 32, 32, 32}},  // above 0x50: nothing
      {0x65, {27, 22, 17, 12, 7, 2}},    // slide down on every tick: 30 per row
      {0x6F, {17, 2, 0, 0, 0, 0}},       // not below 0
      {0x75, {37, 42, 47, 52, 57, 62}},  // slide up on every tick
      {0x7F, {47, 62, 64, 64, 64, 64}},  // not above 64
      {0x85, {27, 27, 27, 27, 27, 27}},  // fine down, once
      {0x95, {37, 37, 37, 37, 37, 37}},  // fine up, once
      {0xA5, {32, 32, 32, 32, 32, 32}},  // vibrato speed: no effect
      {0xB5, {32, 32, 32, 32, 32, 32}},  // vibrato: no effect
  };
  for (const auto& row : table) {
    Player p(WithVolumeByte(row.byte));
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(Record(p, 6, ChannelVolume()), row.volume) << std::hex << int(row.byte);
  }
}

TEST(VolumeColumn, PanCommands) {
  const auto pan = [](Player& p) { return p.Channel(0).pan; };
  const struct {
    uint8_t byte;
    Ticks pan;
  } table[] = {
      {0xC3, {48, 48, 48, 48, 48, 48}},        // set y x 16
      {0xD3, {125, 122, 119, 116, 113, 110}},  // slide left on every tick
      {0xE3, {131, 134, 137, 140, 143, 146}},  // slide right on every tick
  };
  for (const auto& row : table) {
    Player p(WithVolumeByte(row.byte));
    ASSERT_TRUE(p.loaded());
    EXPECT_EQ(Record(p, 6, pan), row.pan) << std::hex << int(row.byte);
  }
}

TEST(VolumeColumn, PanSlideIsClampedOnlyAtTheVoice) {
  XmSong xm = WithVolumeByte(0xEF);
  xm.instruments[0].samples[0].pan = 250;
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  EXPECT_EQ(Record(p, 3, [](Player& q) { return q.Channel(0).pan; }), (Ticks{265, 280, 295}));
  EXPECT_EQ(p.Voice(0).pan, 255);
}

TEST(VolumeColumn, PortamentoByteKeepsTheSoundingNote) {
  XmSong xm = WithVolumeByte(0);
  xm.patterns[0].At(1, 0, 1) = {61, 0, 0xF0, 0, 0};
  Player p(xm);
  ASSERT_TRUE(p.loaded());
  p.Ticks(6);
  MixChannel* voice = p.Channel(0).voice;
  voice->position = 20;
  p.Tick();
  EXPECT_EQ(p.Channel(0).voice, voice) << "not restarted";
  EXPECT_EQ(voice->position, 20u);
  EXPECT_EQ(p.Channel(0).period, 3840);
  EXPECT_EQ(static_cast<int>(VoiceFrequency(*voice) + 0.5), 16726);
}

}  // namespace
}  // namespace songtest
