// The two tools as programs: help, usage errors, failures reported by exit
// status, and songembed regenerating the build's song_data.cpp exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_files.h"
#include "test_process.h"

namespace {

int RunTool(const std::string& command) {
  return RunCommand(command).status;
}

TEST(SongTools, HelpAndUsage) {
  EXPECT_EQ(RunTool("./songmaker --help"), 0);
  EXPECT_EQ(RunTool("./songmaker"), 2);
  EXPECT_EQ(RunTool("./songmaker a.xm b.xm"), 2);
  EXPECT_EQ(RunTool("./songembed --help"), 0);
  EXPECT_EQ(RunTool("./songembed veldraflimmer.xm"), 2);
}

TEST(SongTools, FailuresAreReportedByExitStatus) {
  const TempDir dir;
  const std::string out = dir / "out.cpp", notASong = dir / "not_a_song.xm";
  EXPECT_EQ(RunTool("./songmaker /nonexistent-dir/song.xm"), 1);
  EXPECT_EQ(RunTool("./songembed /nonexistent-dir/song.xm " + out), 1);
  // Not a song: the loader rejects it and nothing is written.
  ASSERT_TRUE(WriteFile(notASong, "Extended Mortal: nothing here"));
  EXPECT_EQ(RunTool("./songembed " + notASong + " " + out), 1);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(RunTool("./songembed veldraflimmer.xm /nonexistent-dir/out.cpp"), 1);
}

TEST(SongTools, SongmakerAndSongembedAreDeterministic) {
  const TempDir dir;
  ASSERT_EQ(RunTool("./songmaker " + (dir / "copy.xm")), 0);
  EXPECT_EQ(ReadFile(dir / "copy.xm"), ReadFile("veldraflimmer.xm"));
  ASSERT_EQ(RunTool("./songembed veldraflimmer.xm " + (dir / "data.cpp")), 0);
  const std::string generated = ReadFile("../generated/song_data.cpp");
  ASSERT_FALSE(generated.empty());
  EXPECT_EQ(ReadFile(dir / "data.cpp"), generated);
}

}  // namespace
