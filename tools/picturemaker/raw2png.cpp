// raw2png: turns a raw picture into a PNG for viewing; the weight byte becomes transparency.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "picture_io.h"
#include "version.h"

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: raw2png IN.raw WIDTH HEIGHT OUT.png\n"
               "       raw2png --version | --help\n"
               "Converts a raw picture (4 bytes per pixel: red, green, blue, weight; no header)\n"
               "of WIDTH x HEIGHT pixels into a PNG whose transparency is the weight byte.\n"
               "The raw file must hold exactly WIDTH x HEIGHT x 4 bytes.\n");
}

// A whole decimal number in 1..kMaxPictureSide.
bool ParseSide(const char* text, int& side) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < 1 || v > kMaxPictureSide) return false;
  side = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("raw2png %s\n", VF_VERSION);
    return 0;
  }
  if (argc != 5) {
    Usage(stderr);
    return 1;
  }
  int width = 0, height = 0;
  if (!ParseSide(argv[2], width) || !ParseSide(argv[3], height)) {
    std::fprintf(stderr, "raw2png: WIDTH and HEIGHT must be whole numbers from 1 to %d\n",
                 kMaxPictureSide);
    return 1;
  }
  RgbaImage image;
  std::string error;
  if (!ReadRaw(argv[1], width, height, image, error) || !WritePng(argv[4], image, error)) {
    std::fprintf(stderr, "raw2png: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
