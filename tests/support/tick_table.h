// Per-tick tables for the effect tests: play a song tick by tick and collect
// one value of the channel (or voice, or song) after each tick.
#pragma once
#include <vector>

#include "song_fixture.h"

namespace songtest {

template <typename Value>
std::vector<int> Record(Player& p, int ticks, Value value) {
  std::vector<int> out;
  for (int i = 0; i < ticks; ++i) {
    p.Tick();
    out.push_back(static_cast<int>(value(p)));
  }
  return out;
}

inline auto ChannelVolume() {
  return [](Player& p) { return p.Channel(0).volume; };
}

}  // namespace songtest

namespace songtest {

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
