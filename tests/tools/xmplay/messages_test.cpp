// What xmplay says when it cannot play as asked: a missing or bad file is
// reported alone, before anything about the sound system, and a machine with
// no sound device gets one line about the silent fallback and nothing from
// the sound library underneath.
#include <gtest/gtest.h>

#include "run_xmplay.h"

namespace {

// The lines of stderr other than the real-time status line, which is redrawn
// in place and so starts with a carriage return.
std::vector<std::string> MessageLines(const std::string& err) {
  std::vector<std::string> messages;
  for (const std::string& line : Lines(err)) {
    if (!line.empty() && line[0] != '\r') messages.push_back(line);
  }
  return messages;
}

TEST(XmplayMessagesTest, EachFailureAndTheSilentFallbackIsOneLine) {
  const std::string song = WriteSong(SquareSong(8, 64, 6, 125), "messages.xm");
  const std::string text = TempPath("not_a_module.xm");
  ASSERT_TRUE(WriteFile(text, "just some text, long enough to be read as a header\n"));
  // The sound library finds no device at all on any machine: its
  // configuration is an empty file, and SDL is kept to that library.
  const std::string emptyConfig = TempPath("empty_alsa.conf");
  ASSERT_TRUE(WriteFile(emptyConfig, ""));
  const std::string noDevice = "SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=" + emptyConfig;

  struct Case {
    const char* what;
    std::string args;
    int status;
    std::string line;  // the one line expected, or its start
  };
  const Case cases[] = {
      {"missing file", "/nonexistent/missing.xm", 1,
       "xmplay: /nonexistent/missing.xm: cannot open: No such file or directory"},
      {"not a module", text, 1, "xmplay: " + text + ": not an XM module"},
      {"no sound device", song + " --seconds 0.3", 0,
       "player: no audio device could be opened; playing silently in real time"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RunResult r = RunXmplay(c.args, noDevice);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::vector<std::string> lines = MessageLines(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_EQ(lines[0].substr(0, c.line.size()), c.line) << r.err;
  }
}

}  // namespace
