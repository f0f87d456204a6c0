// songembed: turns an XM song into the show's embedded compact stream by
// recording what the player's loader reads from it.
#include <cstdio>
#include <cstring>
#include <string>

#include "recorder.h"
#include "version.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: songembed IN.xm OUT.cpp\n"
               "       songembed --version | --help\n"
               "Loads IN.xm with the player's loader, recording every byte it reads and every\n"
               "file position it asks for, and writes OUT.cpp defining musData, musDataSize,\n"
               "musTell and musTellCount (declared in src/demo/song_data.h).\n");
}

// Keeps only the file name, so that the generated text does not depend on
// where the build tree is.
std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("songembed %s\n", VF_VERSION);
    return 0;
  }
  if (argc != 3) {
    Usage(stderr);
    return 2;
  }
  LoadRecording recording;
  if (!RecordSongLoad(argv[1], &recording)) {
    std::fprintf(stderr, "songembed: %s does not load as a song\n", argv[1]);
    return 1;
  }
  std::string source = SongDataSource(recording, BaseName(argv[1]));
  // Written under a temporary name and renamed, so that an interrupted run
  // never leaves a half-written source behind for the next build.
  std::string temporary = std::string(argv[2]) + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "songembed: cannot write %s\n", argv[2]);
    return 1;
  }
  bool written = std::fwrite(source.data(), 1, source.size(), f) == source.size();
  written = std::fclose(f) == 0 && written;
  if (!written || std::rename(temporary.c_str(), argv[2]) != 0) {
    std::remove(temporary.c_str());
    std::fprintf(stderr, "songembed: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
