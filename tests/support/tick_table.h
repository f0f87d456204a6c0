// Per-tick tables for the effect tests: play a song tick by tick and collect
// values of the channel (or voice, or song) after each tick.
#pragma once
#include <cstddef>
#include <utility>
#include <vector>

#include "song_fixture.h"

namespace songtest {

using Ticks = std::vector<int>;        // a value after each tick
using Table = std::vector<Ticks>;      // one list of ticks per row, or per value
using Position = std::pair<int, int>;  // order, row

template <typename Value>
Ticks Record(Player& p, int ticks, Value value) {
  Ticks out;
  for (int i = 0; i < ticks; ++i) {
    p.Tick();
    out.push_back(static_cast<int>(value(p)));
  }
  return out;
}

// The value after each tick of `rows` rows at speed 6, a list per row.
template <typename Value>
Table RecordRows(Player& p, size_t rows, Value value) {
  Table out;
  for (size_t r = 0; r < rows; ++r) out.push_back(Record(p, 6, value));
  return out;
}

// Several values after each of the same `ticks` ticks, a list per value.
template <typename... Values>
Table RecordEach(Player& p, int ticks, Values... values) {
  Table out(sizeof...(values));
  for (int i = 0; i < ticks; ++i) {
    p.Tick();
    size_t k = 0;
    (out[k++].push_back(static_cast<int>(values(p))), ...);
  }
  return out;
}

// The order and row after each of `ticks` ticks.
inline std::vector<Position> RecordPositions(Player& p, int ticks) {
  std::vector<Position> out;
  for (int i = 0; i < ticks; ++i) {
    p.Tick();
    out.emplace_back(p.song()->order, p.song()->row);
  }
  return out;
}

inline auto ChannelVolume() {
  return [](Player& p) { return p.Channel(0).volume; };
}

// A song of `channels` channels (BasicSong) with the given cells placed:
// {row, channel, cell}.
struct PlacedCell {
  int row, channel;
  XmCell cell;
};
inline XmSong SongWithCells(int channels, int rows, std::initializer_list<PlacedCell> cells) {
  XmSong xm = BasicSong(channels, rows);
  for (const PlacedCell& c : cells) xm.patterns[0].At(c.row, c.channel, channels) = c.cell;
  return xm;
}

// Gain the channel update gives volume v with envelope, fadeout and global
// volume at full scale: v x 64 x 65536 x 64 x 255 / 2^35 = v x 255 / 128.
inline int FullScaleGain(int v) {
  return v * 255 / 128;
}

}  // namespace songtest
