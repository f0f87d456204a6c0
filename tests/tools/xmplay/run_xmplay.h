// Running the real xmplay executable from the tests, and test songs written
// as XM files with the XM writer.
#pragma once
#include <string>
#include <vector>

#include "test_files.h"
#include "test_process.h"
#include "wav_file.h"
#include "xm_writer.h"

// A path in this process's own temporary folder, removed when it ends.
inline std::string TempPath(const std::string& name) {
  static TempDir folder;
  return folder / name;
}

// Runs xmplay with `args` (already quoted where needed) and `env` assignments
// in front, capturing stdout and stderr.
inline RunResult RunXmplay(const std::string& args, const std::string& env = "") {
  return RunCommand(env + " " XMPLAY_PATH " " + args);
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
