// Assembles the song: the fixed frame the show's timeline depends on (ten
// channels, speed 6 at 167 BPM, order list 2 3 0 4 5 6 7 7, pattern 4 of 67
// rows) around the instruments and the pattern writers.
#include "composition.h"

#include "composer.h"
#include "instruments.h"
#include "layout.h"

namespace songmaker {

XmSong ComposeSong() {
  XmSong song;
  song.name = "veldraflimmer";
  song.channels = kChannels;
  song.linear = true;
  song.restart = 0;
  song.speed = kSpeed;
  song.bpm = kBpm;
  song.orders = {2, 3, 0, 4, 5, 6, 7, 7};
  // All patterns first: the writers hold references into the table.
  static constexpr int kRows[8] = {64, 64, 64, 64, 67, 64, 64, 64};
  for (int rows : kRows) song.AddPattern(rows);
  song.instruments = MakeInstruments();

  using Writer = void (*)(Pattern&);
  static constexpr Writer kWriters[8] = {WriteGroove,         WriteSketch,     WriteIntro,
                                         WriteIntroBass,      WriteGrooveFill, WriteGreetings,
                                         WriteGreetingsBuild, WriteFinale};
  for (int i = 0; i < 8; ++i) {
    Pattern p(song.patterns[i]);
    kWriters[i](p);
  }
  return song;
}

}  // namespace songmaker
