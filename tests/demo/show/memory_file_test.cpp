// The memory file that serves the embedded song to the loader.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "demo/music.h"
#include "demo/song_data.h"

namespace {
void Rewind() {
  file_pos = 0;
  tell_pos = 0;
}
}  // namespace

TEST(MemoryFile, ServesTheSongStreamFromItsStart) {
  Rewind();
  EXPECT_NE(fileopen("ignored.xm"), 0u);
  char head[17];
  ASSERT_EQ(fileread(head, 17, 0), 17);
  EXPECT_EQ(std::memcmp(head, "Extended Module: ", 17), 0);
  EXPECT_EQ(file_pos, 17);
  fileclose(0);
}

TEST(MemoryFile, ReadPastTheEndIsCutShortAndCopiesNothingBeyond) {
  Rewind();
  fileopen("");
  const int size = static_cast<int>(musDataSize);
  std::vector<unsigned char> all(musDataSize);
  ASSERT_EQ(fileread(all.data(), size - 5, 0), size - 5);
  EXPECT_EQ(std::memcmp(all.data(), musData, musDataSize - 5), 0);

  std::vector<unsigned char> tail(100, 0xEE);
  EXPECT_EQ(fileread(tail.data(), 100, 0), 5);
  EXPECT_EQ(std::memcmp(tail.data(), musData + musDataSize - 5, 5), 0);
  for (int i = 5; i < 100; ++i) ASSERT_EQ(tail[i], 0xEE) << "byte " << i;
  EXPECT_EQ(file_pos, size);

  EXPECT_EQ(fileread(tail.data(), 10, 0), 0);
  EXPECT_EQ(file_pos, size);
}

TEST(MemoryFile, NegativeOrZeroSizeReadsNothing) {
  Rewind();
  fileopen("");
  unsigned char byte = 0x5A;
  EXPECT_EQ(fileread(&byte, -4, 0), 0);
  EXPECT_EQ(fileread(&byte, 0, 0), 0);
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(file_pos, 0);
}

TEST(MemoryFile, TellReplaysTheRecordedAnswersThenRepeatsTheLast) {
  Rewind();
  ASSERT_GT(musTellCount, 0);
  for (int i = 0; i < musTellCount; ++i) EXPECT_EQ(filetell(0), musTell[i]) << "call " << i;
  EXPECT_EQ(filetell(0), musTell[musTellCount - 1]);
  EXPECT_EQ(filetell(0), musTell[musTellCount - 1]);
  EXPECT_EQ(tell_pos, musTellCount);
}

TEST(MemoryFile, OpeningAgainResetsTheReadPositionButNotTheTellCursor) {
  Rewind();
  fileopen("");
  char buffer[64];
  fileread(buffer, 64, 0);
  filetell(0);
  filetell(0);
  fileopen("");
  EXPECT_EQ(file_pos, 0);
  EXPECT_EQ(tell_pos, 2);
  EXPECT_EQ(filetell(0), musTell[2]);
}

TEST(MemoryFile, SeekNeverMoves) {
  Rewind();
  fileopen("");
  char buffer[40];
  fileread(buffer, 40, 0);
  const signed char modes[] = {0, 1, 2, -1};
  const int offsets[] = {0, 17, -40, 1 << 30};
  for (signed char mode : modes) {
    for (int offset : offsets) {
      fileseek(0, offset, mode);
      EXPECT_EQ(file_pos, 40) << "offset " << offset << " mode " << int{mode};
    }
  }
}
