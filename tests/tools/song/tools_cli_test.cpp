// The two tools as programs: help, usage errors, failures reported by exit
// status, and songembed regenerating the build's song_data.cpp exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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
  EXPECT_EQ(RunTool("./songmaker /nonexistent-dir/song.xm"), 1);
  EXPECT_EQ(RunTool("./songembed /nonexistent-dir/song.xm song_cli_out.cpp"), 1);
  // Not a song: the loader rejects it and nothing is written.
  std::ofstream("song_cli_not_a_song.xm") << "Extended Mortal: nothing here";
  EXPECT_EQ(RunTool("./songembed song_cli_not_a_song.xm song_cli_out.cpp"), 1);
  EXPECT_FALSE(std::ifstream("song_cli_out.cpp").good());
  EXPECT_EQ(RunTool("./songembed veldraflimmer.xm /nonexistent-dir/out.cpp"), 1);
  std::remove("song_cli_not_a_song.xm");
}

TEST(SongTools, SongmakerAndSongembedAreDeterministic) {
  ASSERT_EQ(RunTool("./songmaker song_cli_copy.xm"), 0);
  EXPECT_EQ(ReadFile("song_cli_copy.xm"), ReadFile("veldraflimmer.xm"));
  ASSERT_EQ(RunTool("./songembed veldraflimmer.xm song_cli_data.cpp"), 0);
  std::string generated = ReadFile("../generated/song_data.cpp");
  ASSERT_FALSE(generated.empty());
  EXPECT_EQ(ReadFile("song_cli_data.cpp"), generated);
  std::remove("song_cli_copy.xm");
  std::remove("song_cli_data.cpp");
}

}  // namespace
