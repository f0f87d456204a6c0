// The embedded stream is what the loader reads from veldraflimmer.xm: served
// from memory with seeks ignored it loads the same song as the file with real
// seeks, and it is used up exactly, 4 padding bytes short of its span.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "demo/song_data.h"
#include "recorder.h"
#include "song_compare.h"
#include "song_loading.h"

namespace {

TEST(EmbeddedStream, LoadsTheSameSongAsTheFile) {
  SongPtr file = LoadSongFile(kSongFile);
  ASSERT_NE(file, nullptr);
  StreamUse use;
  SongPtr memory = LoadEmbeddedSong(&use);
  ASSERT_NE(memory, nullptr);
  songtest::ExpectSongsEqual(*file, *memory);
}

TEST(EmbeddedStream, IsConsumedExactlyUpToThePadding) {
  StreamUse use;
  SongPtr memory = LoadEmbeddedSong(&use);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(use.bytesRead, static_cast<long long>(musDataSize) - 4);
  // One position query per instrument, all answered from the table.
  EXPECT_EQ(use.tellCalls, musTellCount);
  EXPECT_EQ(musTellCount, 11);
  EXPECT_GT(use.seekCalls, 0);  // the loader did seek; the stream needs none of them
  for (unsigned i = musDataSize - 4; i < musDataSize; ++i) EXPECT_EQ(musData[i], 0) << i;
}

// The generated data matches the song file of this build byte for byte, and
// the tell answers are positions inside the full file, rising.
TEST(EmbeddedStream, IsTheRecordingOfTheCurrentSongFile) {
  LoadRecording recording;
  ASSERT_TRUE(RecordSongLoad(kSongFile, &recording));
  ASSERT_EQ(recording.bytes.size() + 4, musDataSize);
  EXPECT_EQ(std::memcmp(recording.bytes.data(), musData, recording.bytes.size()), 0);
  ASSERT_EQ(static_cast<int>(recording.tells.size()), musTellCount);
  for (int i = 0; i < musTellCount; ++i) {
    EXPECT_EQ(recording.tells[i], musTell[i]) << i;
    if (i > 0) {
      EXPECT_GT(musTell[i], musTell[i - 1]) << i;
    }
  }
}

// The stream lacks what the seeks skip: before the first instrument that is
// only the 43 unread header bytes; later instruments lie further behind.
TEST(EmbeddedStream, PositionsLagTheFileByTheSkippedBytes) {
  StreamUse use;
  SongPtr memory = LoadEmbeddedSong(&use);
  ASSERT_NE(memory, nullptr);
  ASSERT_EQ(static_cast<int>(use.tellPositions.size()), musTellCount);
  EXPECT_EQ(musTell[0] - use.tellPositions[0], 43);
  for (int i = 1; i < musTellCount; ++i) {
    EXPECT_GT(musTell[i] - use.tellPositions[i], musTell[i - 1] - use.tellPositions[i - 1]) << i;
  }
}

TEST(EmbeddedStream, HasTheCompactLayout) {
  ASSERT_GT(musDataSize, 293u);
  EXPECT_EQ(std::memcmp(musData, "Extended Module: ", 17), 0);
  auto u16 = [](int at) { return musData[at] | musData[at + 1] << 8; };
  EXPECT_EQ(u16(17) | u16(19) << 16, 276);  // header size, straight after the signature
  EXPECT_EQ(u16(21), 8);                    // song length
  EXPECT_EQ(u16(23), 0);                    // restart
  EXPECT_EQ(u16(25), 10);                   // channels
  EXPECT_EQ(u16(27), 8);                    // patterns in the file
  EXPECT_EQ(u16(29), 11);                   // instruments
  EXPECT_EQ(u16(31), 1);                    // linear
  EXPECT_EQ(u16(33), 6);                    // speed
  EXPECT_EQ(u16(35), 167);                  // BPM
  const unsigned char orders[9] = {2, 3, 0, 4, 5, 6, 7, 7, 0};
  EXPECT_EQ(std::memcmp(musData + 37, orders, 9), 0);
}

}  // namespace
