// Sample data: delta decoding, 8-to-16-bit widening, loop modes and the
// value after the loop end that interpolation reads, and data cut short.
#include <gtest/gtest.h>

#include "loader_checks.h"
#include "song_fixture.h"

namespace songtest {
namespace {

XmSong OneSample(XmSample sample) {
  XmSong xm = BasicSong(1, 4);
  xm.instruments[0].samples = {std::move(sample)};
  return xm;
}

const SongSample& FirstSample(const SongPtr& song) {
  return *song->instruments[0].samples[0];
}

TEST(LoaderDecode, EightBitDifferencesDecodeAndWiden) {
  XmSample s;
  s.sixteenBit = false;
  s.data = {1 << 8, 2 << 8, 0, -128 * 256, 127 * 256};  // stored differences 1, 1, -2, -128, -1
  SongPtr song(Load(OneSample(s)));
  ASSERT_TRUE(song);
  const SongSample& x = FirstSample(song);
  EXPECT_EQ(x.bits, 16);
  EXPECT_EQ(x.length, 5u);
  const int16_t expected[] = {256, 512, 0, -32768, 32512, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(x.data[i], expected[i]) << i;
}

TEST(LoaderDecode, SixteenBitDifferencesWrapModulo65536) {
  XmSample s;
  s.data = {32767, -32768, -1, 0, 12345};
  SongPtr song(Load(OneSample(s)));
  ASSERT_TRUE(song);
  const SongSample& x = FirstSample(song);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(x.data[i], s.data[i]) << i;
}

TEST(LoaderDecode, SixteenBitLengthsAreHalved) {
  XmSample s;
  s.data.assign(12128, 7);  // 24,256 bytes in the file
  s.loopType = 1;
  s.loopStart = 1000;
  s.loopLength = 2000;
  SongPtr song(Load(OneSample(s)));
  ASSERT_TRUE(song);
  const SongSample& x = FirstSample(song);
  EXPECT_EQ(x.length, 12128u);
  EXPECT_EQ(x.loopStart, 1000u);
  EXPECT_EQ(x.loopLength, 2000u);
  EXPECT_EQ(x.loopMode, LOOP_FORWARD);
}

// The value at loop start + loop length: the loop start value for a forward
// loop, the last loop value for ping-pong, untouched without a loop.
TEST(LoaderDecode, LoopFixUps) {
  XmSample s;
  for (int i = 0; i < 20; ++i) s.data.push_back(static_cast<int16_t>(100 + i));
  s.loopStart = 5;
  s.loopLength = 10;
  struct Case {
    uint8_t type;
    uint8_t mode;
    int16_t atEnd;  // value[15]
  } cases[] = {
      {1, LOOP_FORWARD, 105},   // copy of value[5]
      {2, LOOP_PINGPONG, 114},  // copy of value[14]
      {3, LOOP_PINGPONG, 114},  // both type bits: ping-pong
      {0, LOOP_OFF, 115},       // no loop: the sample's own value
  };
  for (const Case& c : cases) {
    s.loopType = c.type;
    SongPtr song(Load(OneSample(s)));
    ASSERT_TRUE(song);
    const SongSample& x = FirstSample(song);
    EXPECT_EQ(x.loopMode, c.mode) << int(c.type);
    EXPECT_EQ(x.data[15], c.atEnd) << int(c.type);
    EXPECT_EQ(x.data[20], 0) << "spare values stay silent";
    if (c.mode == LOOP_OFF) {
      EXPECT_EQ(x.loopStart, 0u);
      EXPECT_EQ(x.loopLength, 20u);
    }
  }
}

TEST(LoaderDecode, ZeroLoopLengthPlaysOnceToTheEnd) {
  XmSample s;
  s.data.assign(30, 1);
  s.loopType = 1;
  s.loopStart = 12;
  s.loopLength = 0;
  SongPtr song(Load(OneSample(s)));
  ASSERT_TRUE(song);
  const SongSample& x = FirstSample(song);
  EXPECT_EQ(x.loopMode, LOOP_OFF);
  EXPECT_EQ(x.loopStart, 0u);
  EXPECT_EQ(x.loopLength, 30u);
}

TEST(LoaderDecode, EmptySampleHasNoData) {
  XmSample s;
  s.sixteenBit = false;
  SongPtr song(Load(OneSample(s)));
  ASSERT_TRUE(song);
  const SongSample& x = FirstSample(song);
  EXPECT_EQ(x.length, 0u);
  EXPECT_EQ(x.data, nullptr);
  EXPECT_EQ(x.bits, 8);  // a sample without data keeps the width it was given
}

// A 16-bit sample stored with an odd byte length: the last byte belongs to no
// value, and the instrument after it must still be read from its own place.
TEST(LoaderDecode, OddSixteenBitLengthSkipsItsLastByte) {
  XmSong xm = BasicSong(1, 4);
  XmInstrument second = xm.instruments[0];
  second.samples[0].data.assign(10, 1234);
  second.samples[0].loopLength = 10;
  second.samples[0].relativeNote = 5;
  xm.instruments.push_back(second);
  std::vector<uint8_t> bytes = WriteXm(xm);
  // First sample header at 345 + 263; its 64 values end at 648 + 128.
  const size_t lengthField = 345 + 263;
  const size_t dataEnd = 648 + 128;
  ASSERT_EQ(bytes[lengthField], 128);
  bytes[lengthField] = 129;
  bytes.insert(bytes.begin() + dataEnd, 0x77);
  std::vector<uint8_t> compact;
  SongPtr song(Load(bytes, {Layout::kFull, &compact, nullptr}));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->instruments[0].samples[0]->length, 64u);
  const SongSample& next = *song->instruments[1].samples[0];
  EXPECT_EQ(next.length, 10u);
  EXPECT_EQ(next.relativeNote, 5);
  EXPECT_EQ(next.data[9], 1234);
  // Unread: 43 header bytes, 45 of each instrument header, 23 of each sample
  // header, and the odd byte.
  EXPECT_EQ(compact.size(), bytes.size() - 43 - 2 * 45 - 2 * 23 - 1);
  SongPtr again(Load(compact, {Layout::kCompact, nullptr, nullptr}));
  ASSERT_TRUE(again);
  ExpectSongsEqual(*song, *again);
}

// A stream cut anywhere in the fields the loader reads is rejected; cut after
// the last of them (the sample name is skipped, not read) or inside the data
// it loads, with the missing values silent (not held at the last value).
TEST(LoaderDecode, StreamCutShort) {
  for (bool sixteen : {false, true}) {
    XmSample s;
    s.sixteenBit = sixteen;
    for (int i = 0; i < 24; ++i) s.data.push_back(static_cast<int16_t>((i + 1) * 1024));
    const std::vector<uint8_t> full = WriteXm(OneSample(s));
    const size_t dataBytes = 24 * (sixteen ? 2 : 1);
    const size_t dataStart = full.size() - dataBytes;
    const size_t lastField = dataStart - 40 + 17;  // end of the sample's relative note
    for (size_t cut = 0; cut < full.size(); ++cut) {
      const std::vector<uint8_t> part(full.begin(), full.begin() + cut);
      SongPtr song(Load(part));
      if (cut < lastField) {
        EXPECT_FALSE(song) << "cut at " << cut;
        continue;
      }
      ASSERT_TRUE(song) << "cut at " << cut;
      const SongSample& x = FirstSample(song);
      const size_t complete = cut > dataStart ? (cut - dataStart) / (sixteen ? 2 : 1) : 0;
      for (size_t i = 0; i < 24; ++i)
        EXPECT_EQ(x.data[i], i < complete ? s.data[i] : 0) << "cut " << cut << " value " << i;
    }
  }
}

}  // namespace
}  // namespace songtest
