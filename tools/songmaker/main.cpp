// songmaker: composes the show's song and writes it as an XM file.
#include <cstdio>
#include <cstring>

#include "composition.h"
#include "version.h"
#include "xm_writer.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: songmaker OUT.xm\n"
               "       songmaker --version | --help\n"
               "Composes the show's song (10 channels, 11 synthesised instruments, 167 BPM)\n"
               "and writes it as an XM module to OUT.xm.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("songmaker %s\n", VF_VERSION);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    Usage(stderr);
    return 2;
  }
  XmSong song = songmaker::ComposeSong();
  if (!WriteXmFile(song, argv[1])) {
    std::fprintf(stderr, "songmaker: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
