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
