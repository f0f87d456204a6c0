// The pictures drawn at build time: present at their sizes, reproducible, and shaped for the
// layers of the frame they are blended into.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/kanter.h"
#include "picture_files.h"

namespace {

// One raw picture: red, green, blue, weight per pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> bytes;
  const uint8_t* At(int x, int y) const { return &bytes[(static_cast<size_t>(y) * width + x) * 4]; }
  int Weight(int x, int y) const { return At(x, y)[3]; }
};

Picture Load(const char* name) {
  for (const PictureListEntry& f : kPictureList) {
    if (std::string(f.file) == name) {
      Picture p{f.width, f.height, ReadBytes(name)};  // the tests run in the show's directory
      EXPECT_EQ(p.bytes.size(), static_cast<size_t>(f.width) * f.height * 4) << name;
      if (p.bytes.size() != static_cast<size_t>(f.width) * f.height * 4)
        p.bytes.assign(f.width * f.height * 4, 0);
      return p;
    }
  }
  ADD_FAILURE() << "unknown picture " << name;
  return {};
}

bool InBand(int x, int y) {
  const int i = y * 320 + x;
  return (kanter_bit[i / 32] >> (31 - i % 32)) & 1u;
}

// Difference between two rows, colour weighted by opacity, summed over the row.
double RowDistance(const Picture& a, int ya, const Picture& b, int yb) {
  double sum = 0;
  for (int x = 0; x < a.width; ++x) {
    for (int c = 0; c < 3; ++c) {
      sum += std::fabs(a.At(x, ya)[c] * a.Weight(x, ya) - b.At(x, yb)[c] * b.Weight(x, yb)) / 255.0;
    }
    sum += std::abs(a.Weight(x, ya) - b.Weight(x, yb));
  }
  return sum;
}

// Whether `lower` continues `upper` without a seam: the step across the join may be at most twice
// the largest step between the rows next to it on either side (a pattern that runs on changes
// about as fast across the join as beside it).
testing::AssertionResult JoinsSmoothly(const Picture& upper, const Picture& lower) {
  const int last = upper.height - 1;
  const double across = RowDistance(upper, last, lower, 0);
  double beside = 0;
  for (int k = 0; k < 2; ++k) {
    beside = std::max(beside, RowDistance(upper, last - k - 1, upper, last - k));
    beside = std::max(beside, RowDistance(lower, k, lower, k + 1));
  }
  if (across <= 2 * beside + 1) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "step across the join " << across << ", beside it " << beside;
}

TEST(Pictures, AllFourteenExistAtTheirSizes) {
  for (const PictureListEntry& f : kPictureList) {
    EXPECT_EQ(ReadBytes(f.file).size(), static_cast<size_t>(f.width) * f.height * 4) << f.file;
  }
}

TEST(Pictures, PicturemakerRedrawsThemByteForByte) {
  TempDir dir;
  ASSERT_EQ(RunTool(std::string(PICTUREMAKER) + " --out " + dir.path()), 0);
  for (const PictureListEntry& f : kPictureList) {
    EXPECT_EQ(ReadBytes(dir / f.file), ReadBytes(f.file)) << f.file << " differs";
  }
}

TEST(Pictures, PicturemakerCommandLine) {
  std::string out;
  EXPECT_EQ(RunTool(std::string(PICTUREMAKER) + " --help", &out), 0);
  EXPECT_NE(out.find("usage: picturemaker"), std::string::npos);

  EXPECT_EQ(RunTool(std::string(PICTUREMAKER) + " --list", &out), 0);
  EXPECT_NE(out.find("greet.raw 500 240"), std::string::npos);
  EXPECT_NE(out.find("sidolinjer1.raw 50 250"), std::string::npos);

  EXPECT_EQ(RunTool(std::string(PICTUREMAKER) + " --bogus", &out), 1);
  EXPECT_NE(out.find("--bogus"), std::string::npos);

  TempDir dir;
  EXPECT_EQ(
      RunTool(std::string(PICTUREMAKER) + " --out " + dir.path() + " --fonts /nonexistent", &out),
      1);
  EXPECT_NE(out.find("font"), std::string::npos);
  EXPECT_EQ(RunTool(std::string(PICTUREMAKER) + " --out /nonexistent/dir", &out), 1);
  EXPECT_NE(out.find("/nonexistent/dir"), std::string::npos);
}

TEST(Pictures, OverlaysAreMostlyClearWithOpaqueMarks) {
  for (const char* name : {"veldra.raw", "link.raw", "kollademos.raw", "tecken.raw"}) {
    const Picture p = Load(name);
    int clear = 0, opaque = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        clear += p.Weight(x, y) == 0;
        opaque += p.Weight(x, y) == 255;
      }
    }
    const int all = p.width * p.height;
    EXPECT_GT(clear, all / 2) << name;
    EXPECT_GT(opaque, all / 20) << name;
  }
}

TEST(Pictures, ClearPixelsCarryNoColour) {
  // The blend still darkens by 1/256 where the weight is 0, so stray colour there would be wasted
  // at best; clear pixels are stored as four zero bytes.
  for (const PictureListEntry& f : kPictureList) {
    const Picture p = Load(f.file);
    for (size_t i = 0; i < p.bytes.size(); i += 4) {
      if (p.bytes[i + 3] == 0) {
        ASSERT_EQ(p.bytes[i] | p.bytes[i + 1] | p.bytes[i + 2], 0) << f.file << " pixel " << i / 4;
      }
    }
  }
}

TEST(Pictures, StripsJoinWithoutASeam) {
  const Picture side = Load("sidolinjer1.raw");
  const Picture l1 = Load("linje1.raw");
  const Picture l2 = Load("linje2.raw");
  // The right strip follows itself; on the left, linje1 and linje2 take turns.
  EXPECT_TRUE(JoinsSmoothly(side, side));
  EXPECT_TRUE(JoinsSmoothly(l1, l2));
  EXPECT_TRUE(JoinsSmoothly(l2, l1));
  EXPECT_NE(l1.bytes, l2.bytes);
}

TEST(Pictures, SceneBackgroundsLeaveBorderAndStripsVisible) {
  for (const char* name : {"blabak.raw", "grabak1.raw", "grabak2.raw", "grabak3.raw"}) {
    const Picture p = Load(name);
    int wrong = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        const bool panel = x >= 50 && x < 270 && !InBand(x, y);
        wrong += p.Weight(x, y) != (panel ? 255 : 0);
      }
    }
    EXPECT_EQ(wrong, 0) << name;
  }
}

struct MeanColour {
  double r = 0, g = 0, b = 0, most_chroma = 0;
};

MeanColour Mean(const Picture& p) {
  MeanColour m;
  int n = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.Weight(x, y) != 255) continue;
      const uint8_t* c = p.At(x, y);
      m.r += c[0], m.g += c[1], m.b += c[2];
      m.most_chroma = std::max<double>(m.most_chroma,
                                       std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]}));
      ++n;
    }
  }
  if (n > 0) m.r /= n, m.g /= n, m.b /= n;
  return m;
}

TEST(Pictures, BlueSceneIsBlueAndGreySceneDifferClearly) {
  const MeanColour blue = Mean(Load("blabak.raw"));
  EXPECT_GT(blue.b, blue.r + 60);
  EXPECT_GT(blue.b, blue.g + 30);

  double brightness[3];
  const char* grey[] = {"grabak1.raw", "grabak2.raw", "grabak3.raw"};
  for (int i = 0; i < 3; ++i) {
    const MeanColour m = Mean(Load(grey[i]));
    EXPECT_LE(m.most_chroma, 0) << grey[i] << " is not grey";
    brightness[i] = (m.r + m.g + m.b) / 3;
  }
  // Scene cuts must show: every pair differs by a visible step in mean brightness.
  EXPECT_GT(std::fabs(brightness[0] - brightness[1]), 25);
  EXPECT_GT(std::fabs(brightness[1] - brightness[2]), 25);
  EXPECT_GT(std::fabs(brightness[0] - brightness[2]), 12);
}

TEST(Pictures, GreetingsSpreadOverTheWholeScroll) {
  const Picture p = Load("greet.raw");
  // Every 50-column slice holds lettering, so the scroll never runs empty.
  for (int slice = 0; slice < 10; ++slice) {
    int ink = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = slice * 50; x < slice * 50 + 50; ++x) ink += p.Weight(x, y) > 128;
    }
    EXPECT_GT(ink, 200) << "columns " << slice * 50;
  }
}

TEST(Pictures, UnderlaysAreOpaqueOrInked) {
  // link2 lies under the noise as a full picture; kludd is ink on clear paper.
  const Picture link2 = Load("link2.raw");
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) ASSERT_EQ(link2.Weight(x, y), 255) << x << "," << y;
  }
  const Picture kludd = Load("kludd.raw");
  int ink = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) ink += kludd.Weight(x, y) > 0;
  }
  EXPECT_GT(ink, 320 * 240 / 10);
  EXPECT_LT(ink, 320 * 240 / 2);
}

}  // namespace
