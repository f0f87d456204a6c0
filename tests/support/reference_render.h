// Test-only: one XM file rendered two ways, by this player (through the real
// block fill on the virtual device) and by libopenmpt as an independent
// reference player (linear interpolation), each to the song's end, with the
// rows each played and their sound, for comparing the two.
//
// Contract: the player side installs file callbacks and opens the virtual
// device (one render at a time, on the calling thread).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "player/load/song.h"
#include "player/play/rules.h"

namespace reference {

constexpr int kRate = 44100;

// A run of consecutive output frames on one order entry and row (a row that
// plays again at once, as in a pattern loop of one row, makes one run).
struct RowRun {
  int order = 0, row = 0;
  int64_t start = 0, frames = 0;
};

struct Rendering {
  std::vector<RowRun> rows;  // up to the song's end
  std::vector<float> mono;   // (left + right) / 2, up to the song's end
};

// False with a message when the bytes do not load.
bool RenderWithPlayer(const std::vector<uint8_t>& xm, const PlayRules* rules, Rendering& out,
                      std::string& error);
bool RenderWithLibopenmpt(const std::vector<uint8_t>& xm, Rendering& out, std::string& error);

// "order.row" for each run, joined by spaces.
std::string RowSequence(const Rendering& r);
// RMS of each run of `r` (frames within the run).
std::vector<double> RowRms(const Rendering& r);
// RMS of consecutive windows of `frames` frames.
std::vector<double> WindowRms(const Rendering& r, int frames);
// Pearson correlation of two series over their common length.
double Correlation(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace reference
