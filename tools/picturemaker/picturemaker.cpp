// picturemaker: draws the show's fourteen raw pictures into a directory.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "picture_io.h"
#include "pictures.h"
#include "version.h"

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: picturemaker [--out DIR] [--fonts DIR] [--list]\n"
               "Draws the show's pictures as raw files (4 bytes per pixel: red, green, blue,\n"
               "weight; no header) into DIR (default: the current directory). The output is\n"
               "the same byte for byte on every run.\n"
               "  --out DIR    where to write the pictures\n"
               "  --fonts DIR  where the DejaVu fonts are (default %s)\n"
               "  --list       print each file with its size and exit\n"
               "  --version    print the version and exit\n",
               kDefaultFontDir);
}

}  // namespace

int main(int argc, char** argv) {
  std::string out_dir = ".";
  std::string font_dir = kDefaultFontDir;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Usage(stdout);
      return 0;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("picturemaker %s\n", VF_VERSION);
      return 0;
    } else if (std::strcmp(argv[i], "--list") == 0) {
      for (const PictureMaker& p : AllPictures())
        std::printf("%s %d %d\n", p.file, p.width, p.height);
      return 0;
    } else if (std::strcmp(argv[i], "--out") == 0 && has_value) {
      out_dir = argv[++i];
    } else if (std::strcmp(argv[i], "--fonts") == 0 && has_value) {
      font_dir = argv[++i];
    } else {
      std::fprintf(stderr, "picturemaker: unexpected argument '%s'\n", argv[i]);
      Usage(stderr);
      return 1;
    }
  }

  try {
    Fonts fonts(font_dir);
    for (const PictureMaker& p : AllPictures()) {
      const Canvas canvas = p.make(fonts);
      std::string error;
      if (canvas.width() != p.width || canvas.height() != p.height ||
          !WriteRaw(out_dir + "/" + p.file, canvas.ToRaw(), error)) {
        std::fprintf(stderr, "picturemaker: %s: %s\n", p.file,
                     error.empty() ? "drawn at the wrong size" : error.c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "picturemaker: %s\n", e.what());
    return 1;
  }
  return 0;
}
