// The XM writer's bytes at the offsets a tracker expects: the fixed header,
// packed cells and delta-coded samples (read back in full by an independent
// reader in xm_writer_readback_test.cpp), and its file writes.
#include "xm_writer.h"

#include <gtest/gtest.h>

#include "round_trip_song.h"
#include "test_files.h"

namespace {

TEST(XmWriter, LayoutOfHeaderPatternsAndSamples) {
  const XmSong in = MakeSong();
  const std::vector<uint8_t> b = WriteXm(in);
  // Header: 60 fixed bytes, then 276 counted from offset 60.
  EXPECT_EQ(b[58] | b[59] << 8, 0x0104);
  EXPECT_EQ(b[68] | b[69] << 8, 3);  // channels
  EXPECT_EQ(b[70] | b[71] << 8, 3);  // patterns
  EXPECT_EQ(b[74] | b[75] << 8, 0);  // flags: Amiga table
  EXPECT_EQ(b[80], 1);               // first order entry
  // First pattern at 336: 9-byte header; the full first cell is stored raw.
  EXPECT_EQ(b[336], 9);
  EXPECT_EQ(b[341] | b[342] << 8, 4);  // rows
  EXPECT_EQ(b[345], 49);
  EXPECT_EQ(b[346], 1);
  // The second cell (empty) is a lone mask byte.
  EXPECT_EQ(b[350], 0x80);
  // The 8-bit sample's deltas (127, -128-127, 0-(-128), 5) end the first instrument, which is
  // followed only by the empty instrument's 263-byte header.
  const size_t n = b.size() - 263;
  EXPECT_EQ(b[n - 4], 127);
  EXPECT_EQ(b[n - 3], static_cast<uint8_t>(-255));
  EXPECT_EQ(b[n - 2], 128);
  EXPECT_EQ(b[n - 1], 5);
}

TEST(XmWriter, EmptyPatternHasNoPackedData) {
  XmSong s;
  s.channels = 2;
  s.orders = {0};
  s.AddPattern(16);
  const std::vector<uint8_t> b = WriteXm(s);
  ASSERT_EQ(b.size(), 336u + 9u);
  EXPECT_EQ(b[343] | b[344] << 8, 0);
}

// A file that cannot be created, or a full device: false. Else the file
// holds the bytes.
TEST(XmWriter, FileWriteReportsFailure) {
  const XmSong s = MakeSong();
  EXPECT_FALSE(WriteXmFile(s, "/nonexistent-dir/x.xm"));
  if (!FullDevice().empty()) {
    EXPECT_FALSE(WriteXmFile(s, FullDevice()));
  }
  const TempDir dir;
  const std::string path = dir / "song.xm";
  ASSERT_TRUE(WriteXmFile(s, path));
  EXPECT_EQ(ReadFile<std::vector<uint8_t>>(path), WriteXm(s));
}

}  // namespace
