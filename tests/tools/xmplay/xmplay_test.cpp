// xmplay's command line and its failures: help, usage errors (status 2) and
// files that cannot be played (status 1, one line naming the file and why).
#include <gtest/gtest.h>

#include "run_xmplay.h"

namespace {

TEST(XmplayCommandLineTest, HelpExplainsTheOptions) {
  const RunResult r = RunXmplay("--help");
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"--wav", "--timeline", "--seconds", "--info", "--effects", "Ctrl-C"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
}

TEST(XmplayCommandLineTest, BadOptionsAreUsageErrors) {
  const std::string song = WriteSong(SquareSong(1, 16, 6, 125), "usage.xm");
  for (const std::string& args :
       {std::string(""), "--bogus " + song, song + " --seconds", song + " --seconds abc",
        song + " --seconds -3", song + " --wav", song + " --wav a.wav --timeline",
        song + " other.xm", song + " --effects all", song + " --info --timeline"}) {
    const RunResult r = RunXmplay(args);
    EXPECT_EQ(r.status, 2) << "args: " << args;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << "args: " << args;
  }
}

// One line on stderr, naming the file and holding `reason`.
void ExpectOneLineFailure(const std::string& path, const std::string& reason) {
  const RunResult r = RunXmplay("'" + path + "' --timeline");
  EXPECT_EQ(r.status, 1) << path;
  const std::vector<std::string> lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 1u) << r.err;
  EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
  EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(XmplayBadFileTest, MissingFile) {
  ExpectOneLineFailure(TempPath("no such file.xm"), "cannot open");
}

TEST(XmplayBadFileTest, NotAnXmFile) {
  const std::string path = TempPath("notes.txt");
  ASSERT_TRUE(WriteFile(path, "These are not the bytes of a module.\n"));
  ExpectOneLineFailure(path, "not an XM module");
  const std::string tiny = TempPath("tiny.xm");
  ASSERT_TRUE(WriteFile(tiny, "Extended"));
  ExpectOneLineFailure(tiny, "not an XM module");
}

// A file cut inside its header cannot be played; one cut later plays what it
// holds, saying in one line what is missing.
TEST(XmplayBadFileTest, FilesCutShortAnywhere) {
  const std::vector<uint8_t> bytes = WriteXm(SquareSong(2, 32, 6, 125));
  // In the header, in the pattern, in the instrument and in the sample data.
  for (const size_t keep :
       {size_t{40}, size_t{100}, size_t{350}, bytes.size() - 300, bytes.size() - 1}) {
    const std::string path = TempPath("cut.xm");
    ASSERT_TRUE(
        WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), keep)));
    SCOPED_TRACE("kept " + std::to_string(keep) + " of " + std::to_string(bytes.size()));
    if (keep < 336) {
      ExpectOneLineFailure(path, "ends inside its header");
      continue;
    }
    const RunResult r = RunXmplay("'" + path + "' --timeline");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_NE(lines[0].find(path + ": the file is cut short: "), std::string::npos) << lines[0];
    EXPECT_FALSE(r.out.empty());
    // --info names the same in its list of what was tolerated.
    const RunResult info = RunXmplay("'" + path + "' --info");
    const std::string said = lines[0].substr(lines[0].find("cut short: ") + 11);
    EXPECT_NE(info.out.find("tolerated:     " + said + "\n"), std::string::npos) << info.out;
  }
}

}  // namespace
