// Running the real xmplay executable from the tests, and test songs written
// as XM files with the XM writer.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xm_writer.h"

struct RunResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out, err;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Temporary files of this process, removed when it ends.
struct TempFiles {
  std::vector<std::string> paths;
  ~TempFiles() {
    for (const std::string& path : paths) std::remove(path.c_str());
  }
};
inline TempFiles g_tempFiles;

// Tests run in parallel processes: every temporary name carries the process id.
inline std::string TempPath(const std::string& name) {
  const std::string path =
      ::testing::TempDir() + "xmplay_test_" + std::to_string(getpid()) + "_" + name;
  g_tempFiles.paths.push_back(path);
  return path;
}

// Runs xmplay with `args` (already quoted where needed) and `env` assignments
// in front, capturing stdout and stderr.
inline RunResult RunXmplay(const std::string& args, const std::string& env = "") {
  const std::string out = TempPath("xmplay_stdout.txt"), err = TempPath("xmplay_stderr.txt");
  const std::string command =
      env + " " XMPLAY_PATH " " + args + " >" + out + " 2>" + err + " </dev/null";
  const int raw = std::system(command.c_str());
  RunResult r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = ReadText(out);
  r.err = ReadText(err);
  return r;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// A one-channel song: `orders` entries of a `rows`-row pattern (all the same
// pattern 0), a note on every fourth row with a looping square wave.
inline XmSong SquareSong(int orders, int rows, int speed, int bpm, int restart = 0) {
  XmSong song;
  song.channels = 2;
  song.speed = speed;
  song.bpm = bpm;
  song.restart = restart;
  XmPattern& p = song.AddPattern(rows);
  for (int r = 0; r < rows; r += 4) {
    p.At(r, 0, song.channels).note = static_cast<uint8_t>(49 + r % 12);
    p.At(r, 0, song.channels).instrument = 1;
  }
  song.orders.assign(orders, 0);
  XmInstrument instrument;
  XmSample sample;
  for (int i = 0; i < 64; ++i) sample.data.push_back(i < 32 ? 12000 : -12000);
  sample.loopType = 1;
  sample.loopLength = 64;
  instrument.samples.push_back(sample);
  song.instruments.push_back(instrument);
  return song;
}

inline std::string WriteSong(const XmSong& song, const std::string& name) {
  const std::string path = TempPath(name);
  if (!WriteXmFile(song, path)) return "";
  return path;
}
