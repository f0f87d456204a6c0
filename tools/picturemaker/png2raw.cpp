// png2raw: turns a PNG into a raw picture the show can load, so any picture can be replaced.
#include <cstdio>
#include <cstring>
#include <string>

#include "picture_io.h"
#include "version.h"

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: png2raw IN.png OUT.raw\n"
               "       png2raw --version | --help\n"
               "Converts a PNG picture into the show's raw picture format: 4 bytes per pixel\n"
               "(red, green, blue, weight), rows top to bottom, no header. The PNG's\n"
               "transparency becomes the weight byte (255 opaque, 0 clear). The picture keeps\n"
               "its size; make it the size the show expects for that file.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("png2raw %s\n", VF_VERSION);
    return 0;
  }
  if (argc != 3) {
    Usage(stderr);
    return 1;
  }
  RgbaImage image;
  std::string error;
  if (!ReadPng(argv[1], image, error) || !WriteRaw(argv[2], image.bytes, error)) {
    std::fprintf(stderr, "png2raw: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d\n", argv[2], image.width, image.height);
  return 0;
}
