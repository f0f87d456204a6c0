// --version on each command-line tool, run as the real program from the
// build's bin folder: one line, the tool's name and the project's version.
#include <gtest/gtest.h>

#include <string>

#include "test_process.h"
#include "version.h"

namespace {

TEST(Version, EveryToolPrintsTheProjectVersion) {
  for (const char* tool : {"xmplay", "veldraflimmer-render", "songmaker", "songembed", "picturemaker",
                           "png2raw", "raw2png"}) {
    const RunResult run = RunCommand(std::string("./") + tool + " --version");
    EXPECT_EQ(run.status, 0) << tool;
    EXPECT_EQ(run.out, std::string(tool) + " " VF_VERSION "\n") << tool;
    EXPECT_EQ(run.err, "") << tool;
  }
}

}  // namespace
