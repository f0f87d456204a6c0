// png2raw and raw2png, run as executables: round trips, PNG flavours and bad input.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "picture_files.h"

namespace {

const std::string kPng2Raw = PNG2RAW;
const std::string kRaw2Png = RAW2PNG;

// Writes a PNG through libpng directly, in any of its simple formats.
void WriteTestPng(const std::string& path, int w, int h, png_uint_32 format,
                  const std::vector<uint8_t>& pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = format;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr))
      << image.message;
}

TEST(Converters, RawToPngToRawKeepsEveryByte) {
  TempDir dir;
  // Every byte value in every channel, including colour under weight 0 and partial weights.
  std::vector<uint8_t> raw(64 * 16 * 4);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  WriteBytes(dir / "in.raw", raw);
  ASSERT_EQ(RunTool(kRaw2Png + " " + (dir / "in.raw") + " 64 16 " + (dir / "mid.png")), 0);
  ASSERT_EQ(RunTool(kPng2Raw + " " + (dir / "mid.png") + " " + (dir / "out.raw")), 0);
  EXPECT_EQ(ReadBytes(dir / "out.raw"), raw);

  // And one of the show's own pictures.
  ASSERT_EQ(RunTool(kRaw2Png + " veldra.raw 320 240 " + (dir / "veldra.png")), 0);
  std::string out;
  ASSERT_EQ(RunTool(kPng2Raw + " " + (dir / "veldra.png") + " " + (dir / "veldra.raw"), &out), 0);
  EXPECT_NE(out.find("320x240"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "veldra.raw"), ReadBytes("veldra.raw"));
}

TEST(Converters, Png2RawTakesGreyAndOpaquePictures) {
  TempDir dir;
  // Grey without transparency: each grey level becomes red = green = blue, weight 255.
  WriteTestPng(dir / "grey.png", 3, 1, PNG_FORMAT_GRAY, {0, 128, 255});
  ASSERT_EQ(RunTool(kPng2Raw + " " + (dir / "grey.png") + " " + (dir / "grey.raw")), 0);
  EXPECT_EQ(ReadBytes(dir / "grey.raw"),
            (std::vector<uint8_t>{0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}));

  // Grey with transparency keeps its alpha as the weight, straight (not premultiplied).
  WriteTestPng(dir / "ga.png", 2, 1, PNG_FORMAT_GA, {200, 0, 100, 77});
  ASSERT_EQ(RunTool(kPng2Raw + " " + (dir / "ga.png") + " " + (dir / "ga.raw")), 0);
  EXPECT_EQ(ReadBytes(dir / "ga.raw"), (std::vector<uint8_t>{200, 200, 200, 0, 100, 100, 100, 77}));

  // Colour without transparency, two rows: rows stay top to bottom.
  WriteTestPng(dir / "rgb.png", 1, 2, PNG_FORMAT_RGB, {10, 20, 30, 40, 50, 60});
  ASSERT_EQ(RunTool(kPng2Raw + " " + (dir / "rgb.png") + " " + (dir / "rgb.raw")), 0);
  EXPECT_EQ(ReadBytes(dir / "rgb.raw"), (std::vector<uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));
}

TEST(Converters, Png2RawRejectsBadInput) {
  TempDir dir;
  std::string out;
  EXPECT_EQ(RunTool(kPng2Raw + " --help", &out), 0);
  EXPECT_NE(out.find("usage: png2raw"), std::string::npos);
  EXPECT_EQ(RunTool(kPng2Raw, &out), 1);
  EXPECT_EQ(RunTool(kPng2Raw + " a.png", &out), 1);
  EXPECT_EQ(RunTool(kPng2Raw + " a.png b.raw c", &out), 1);

  EXPECT_EQ(RunTool(kPng2Raw + " " + (dir / "missing.png") + " " + (dir / "x.raw"), &out), 1);
  EXPECT_NE(out.find("missing.png"), std::string::npos);

  WriteBytes(dir / "text.png", std::vector<uint8_t>(100, 'x'));
  EXPECT_EQ(RunTool(kPng2Raw + " " + (dir / "text.png") + " " + (dir / "x.raw"), &out), 1);
  EXPECT_NE(out.find("png2raw:"), std::string::npos);

  // A real PNG cut short in its image data.
  WriteTestPng(dir / "whole.png", 64, 64, PNG_FORMAT_RGBA, std::vector<uint8_t>(64 * 64 * 4, 9));
  std::vector<uint8_t> whole = ReadBytes(dir / "whole.png");
  whole.resize(whole.size() / 2);
  WriteBytes(dir / "cut.png", whole);
  EXPECT_EQ(RunTool(kPng2Raw + " " + (dir / "cut.png") + " " + (dir / "x.raw"), &out), 1);

  // A good picture but an output that cannot be created.
  EXPECT_EQ(RunTool(kPng2Raw + " " + (dir / "whole.png") + " /nonexistent/dir/x.raw", &out), 1);
  EXPECT_NE(out.find("/nonexistent/dir/x.raw"), std::string::npos);
}

TEST(Converters, Raw2PngRejectsBadInput) {
  TempDir dir;
  WriteBytes(dir / "four.raw", std::vector<uint8_t>(2 * 2 * 4, 1));
  std::string out;
  EXPECT_EQ(RunTool(kRaw2Png + " --help", &out), 0);
  EXPECT_NE(out.find("usage: raw2png"), std::string::npos);
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " 2 2", &out), 1);

  const std::string png = std::string(" ").append(dir / "x.png");
  // Sizes that are not whole positive numbers in range.
  for (const char* size : {"0 2", "2 -1", "2x 2", "two 2", "2 99999", "2 2.5"}) {
    EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " " + size + png, &out), 1) << size;
  }
  // File size that does not match the stated size, either way.
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " 3 2" + png, &out), 1);
  EXPECT_NE(out.find("shorter"), std::string::npos);
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " 1 2" + png, &out), 1);
  EXPECT_NE(out.find("longer"), std::string::npos);
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "none.raw") + " 2 2" + png, &out), 1);
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " 2 2 /nonexistent/dir/x.png", &out), 1);
  // And the good call for contrast.
  EXPECT_EQ(RunTool(kRaw2Png + " " + (dir / "four.raw") + " 2 2" + png, &out), 0);
  const std::vector<uint8_t> written = ReadBytes(dir / "x.png");
  ASSERT_GE(written.size(), 8u);
  EXPECT_EQ(written[1], 'P');  // the PNG signature
}

}  // namespace
