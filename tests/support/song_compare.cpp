// Test support: field-by-field comparison of two loaded songs.
#include "song_compare.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace songtest {

void ExpectSamplesEqual(const SongSample& a, const SongSample& b) {
  EXPECT_EQ(a.length, b.length);
  EXPECT_EQ(a.loopStart, b.loopStart);
  EXPECT_EQ(a.loopLength, b.loopLength);
  EXPECT_EQ(a.volume, b.volume);
  EXPECT_EQ(a.finetune, b.finetune);
  EXPECT_EQ(a.pan, b.pan);
  EXPECT_EQ(a.bits, b.bits);
  EXPECT_EQ(a.loopMode, b.loopMode);
  EXPECT_EQ(a.relativeNote, b.relativeNote);
  ASSERT_EQ(a.data == nullptr, b.data == nullptr);
  if (a.data != nullptr && a.length == b.length) {
    EXPECT_EQ(std::memcmp(a.data, b.data, (a.length + SAMPLE_SPARE_VALUES) * sizeof(int16_t)), 0);
  }
}

void ExpectSongsEqual(const Song& a, const Song& b) {
  EXPECT_EQ(a.songLength, b.songLength);
  EXPECT_EQ(a.restartPosition, b.restartPosition);
  EXPECT_EQ(a.channelCount, b.channelCount);
  EXPECT_EQ(a.patternsUsed, b.patternsUsed);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.defaultSpeed, b.defaultSpeed);
  EXPECT_EQ(a.defaultBPM, b.defaultBPM);
  EXPECT_EQ(a.defaultGlobalVolume, b.defaultGlobalVolume);
  EXPECT_EQ(a.tickOperation, b.tickOperation);
  EXPECT_EQ(std::memcmp(a.orderTable, b.orderTable, sizeof a.orderTable), 0);
  ASSERT_EQ(a.patternCount, b.patternCount);
  for (int p = 0; p < a.patternCount; ++p) {
    SCOPED_TRACE(testing::Message() << "pattern " << p);
    ASSERT_EQ(a.patterns[p].rows, b.patterns[p].rows);
    ASSERT_EQ(a.patterns[p].cells == nullptr, b.patterns[p].cells == nullptr);
    if (a.patterns[p].cells == nullptr) continue;
    const size_t bytes = sizeof(NoteCell) * a.patterns[p].rows * a.channelCount;
    EXPECT_EQ(std::memcmp(a.patterns[p].cells, b.patterns[p].cells, bytes), 0);
  }
  ASSERT_EQ(a.instrumentCount, b.instrumentCount);
  for (int i = 0; i < a.instrumentCount; ++i) {
    SCOPED_TRACE(testing::Message() << "instrument " << i);
    const SongInstrument& x = a.instruments[i];
    const SongInstrument& y = b.instruments[i];
    ASSERT_EQ(x.sampleCount, y.sampleCount);
    // Every field from the note-to-sample map on: map, envelopes, their
    // points and types, auto-vibrato and fadeout.
    EXPECT_EQ(std::memcmp(&x.noteToSample, &y.noteToSample,
                          sizeof(SongInstrument) - offsetof(SongInstrument, noteToSample)),
              0);
    for (int j = 0; j < MAX_SAMPLES_PER_INSTRUMENT; ++j) {
      SCOPED_TRACE(testing::Message() << "sample " << j);
      if (j >= x.sampleCount) {
        EXPECT_EQ(x.samples[j], &FMUSIC_DummySample);
        EXPECT_EQ(y.samples[j], &FMUSIC_DummySample);
      } else {
        ExpectSamplesEqual(*x.samples[j], *y.samples[j]);
      }
    }
  }
}

}  // namespace songtest
