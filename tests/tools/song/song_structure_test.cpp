// The song fits the show: its fixed frame (channels, instruments, tempo,
// order list, row counts) and a note start in the percussion channels on
// every row where the synchronisation table fires a picture event.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "demo/sync.h"
#include "song_loading.h"

namespace {

constexpr int kPercussionChannels = 4;  // kick, snare, hats, toms and crashes

class SongStructure : public testing::Test {
 protected:
  void SetUp() override {
    song_ = LoadSongFile(kSongFile);
    ASSERT_NE(song_, nullptr) << kSongFile << " does not load";
  }
  const NoteCell& Cell(int pattern, int row, int channel) const {
    return song_->patterns[pattern].cells[row * song_->channelCount + channel];
  }
  SongPtr song_;
};

TEST_F(SongStructure, HeaderMatchesTheShow) {
  EXPECT_EQ(song_->channelCount, 10);
  EXPECT_EQ(song_->instrumentCount, 11);
  EXPECT_EQ(song_->flags & SONG_FLAG_LINEAR, SONG_FLAG_LINEAR);
  EXPECT_EQ(song_->defaultSpeed, 6);
  EXPECT_EQ(song_->defaultBPM, 167);
  EXPECT_EQ(song_->restartPosition, 0);
  ASSERT_EQ(song_->songLength, 8);
  const std::vector<int> orders(song_->orderTable, song_->orderTable + 8);
  EXPECT_EQ(orders, (std::vector<int>{2, 3, 0, 4, 5, 6, 7, 7}));
}

TEST_F(SongStructure, OrderPositionsHaveTheTimelinesRowCounts) {
  const int expected[8] = {64, 64, 64, 67, 64, 64, 64, 64};
  for (int order = 0; order < 8; ++order) {
    EXPECT_EQ(song_->patterns[song_->orderTable[order]].rows, expected[order]) << order;
  }
}

TEST_F(SongStructure, PatternOneExistsOutsideTheOrderList) {
  ASSERT_GE(song_->patternCount, 8);
  EXPECT_EQ(song_->patterns[1].rows, 64);
  bool hasNotes = false;
  for (int row = 0; row < 64; ++row) {
    for (int ch = 0; ch < song_->channelCount; ++ch) hasNotes |= Cell(1, row, ch).note != 0;
  }
  EXPECT_TRUE(hasNotes);
  for (int order = 0; order < song_->songLength; ++order) EXPECT_NE(song_->orderTable[order], 1);
}

// Every record of the show's synchronisation table, the stop included, lands
// on a row where a percussion channel starts a note.
TEST_F(SongStructure, EveryShowEventRowHasAPercussionHit) {
  for (int record = 0; record < kSyncRecords; ++record) {
    const int order = sync_data[3 * record], row = sync_data[3 * record + 1];
    ASSERT_LT(order, song_->songLength) << "record " << record;
    const int pattern = song_->orderTable[order];
    ASSERT_LT(row, song_->patterns[pattern].rows) << "record " << record;
    bool hit = false;
    for (int ch = 0; ch < kPercussionChannels; ++ch) {
      const uint8_t note = Cell(pattern, row, ch).note;
      hit |= note >= 1 && note <= 96;
    }
    EXPECT_TRUE(hit) << "order " << order << " row " << row << " has no percussion note";
  }
}

// The pattern breaks are only where they change nothing: on a pattern's last
// row, and to row 0, so every order keeps its length.
TEST_F(SongStructure, PatternBreaksKeepTheOrderLengths) {
  int breaks = 0;
  for (int p = 0; p < song_->patternCount; ++p) {
    for (int row = 0; row < song_->patterns[p].rows; ++row) {
      for (int ch = 0; ch < song_->channelCount; ++ch) {
        const NoteCell& c = Cell(p, row, ch);
        if (c.effect != 0xD) continue;
        ++breaks;
        EXPECT_EQ(row, song_->patterns[p].rows - 1) << "pattern " << p;
        EXPECT_EQ(c.parameter, 0) << "pattern " << p;
      }
    }
  }
  EXPECT_GT(breaks, 0);
}

// The song keeps to what the player implements, and the tempo never changes.
TEST_F(SongStructure, UsesOnlyImplementedEffectsAndNoTempoChange) {
  const std::set<int> implemented = {0x0, 0x2, 0xA, 0xC, 0xD, 0xE, 0x10, 0x11, 0x14};
  std::set<int> used;
  for (int p = 0; p < song_->patternCount; ++p) {
    for (int i = 0; i < song_->patterns[p].rows * song_->channelCount; ++i) {
      const NoteCell& c = song_->patterns[p].cells[i];
      if (c.effect == 0 && c.parameter == 0) continue;
      used.insert(c.effect);
      EXPECT_TRUE(implemented.count(c.effect)) << "pattern " << p << " effect " << int(c.effect);
      if (c.effect == 0xE) {
        int x = c.parameter >> 4;
        EXPECT_TRUE(x == 0x9 || x == 0xA) << "pattern " << p << " E" << std::hex << x;
      }
    }
  }
  // Arpeggio, portamento down, volume slide, set volume, break, retrigger /
  // fine volume up, global volume and its slide, key off: all are heard.
  EXPECT_EQ(used, implemented);
}

// Every volume-column command the player knows is heard somewhere.
TEST_F(SongStructure, UsesTheWholeVolumeColumn) {
  std::set<int> kinds;  // high nibble; 1 stands for the whole set-volume range
  for (int p = 0; p < song_->patternCount; ++p) {
    for (int i = 0; i < song_->patterns[p].rows * song_->channelCount; ++i) {
      uint8_t v = song_->patterns[p].cells[i].volume;
      if (v == 0) continue;
      EXPECT_FALSE(v > 0x50 && v < 0x60) << "pattern " << p << " volume byte " << int(v);
      EXPECT_NE(v >> 4, 0xA);  // vibrato commands do nothing in this player
      EXPECT_NE(v >> 4, 0xB);
      kinds.insert(v <= 0x50 ? 1 : v >> 4);
    }
  }
  EXPECT_EQ(kinds, (std::set<int>{1, 0x6, 0x7, 0x8, 0x9, 0xC, 0xD, 0xE, 0xF}));
}

TEST_F(SongStructure, InstrumentsUseTheLoopAndEnvelopeVocabulary) {
  bool forward = false, pingPong = false;
  bool sustain = false, volumeLoop = false, panLoop = false, vibrato = false, fadeout = false;
  for (int i = 0; i < song_->instrumentCount; ++i) {
    const SongInstrument& ins = song_->instruments[i];
    ASSERT_GE(ins.sampleCount, 1) << i;
    sustain |= (ins.volumeType & ENVELOPE_SUSTAIN) != 0;
    volumeLoop |= (ins.volumeType & ENVELOPE_LOOP) != 0;
    panLoop |= (ins.panType & (ENVELOPE_ON | ENVELOPE_LOOP)) == (ENVELOPE_ON | ENVELOPE_LOOP);
    vibrato |= ins.vibratoDepth > 0 && ins.vibratoRate > 0;
    fadeout |= ins.fadeout > 0;
    for (int j = 0; j < ins.sampleCount; ++j) {
      forward |= ins.samples[j]->loopMode == LOOP_FORWARD;
      pingPong |= ins.samples[j]->loopMode == LOOP_PINGPONG;
    }
  }
  EXPECT_TRUE(sustain && volumeLoop && panLoop && vibrato && fadeout);
  EXPECT_TRUE(forward && pingPong);
}

}  // namespace
